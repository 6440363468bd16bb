// The UI thread: chosen once per process, kept in GLib's type data so that unloading and reloading the
// library keeps the choice, and served through idle sources on the default main context.
#include "platform/UiThread.h"

#include <glib-object.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <fstream>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <system_error>
#include <thread>

#include "platform/DynamicLibrary.h"
#include "platform/Threads.h"
#include "platform/WindowSystem.h"

namespace tessaly::platform {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// A call gives up on a UI thread that has not run its main loop for this long, or that has sat
// blocked on a lock or a join for this long, rather than wait for ever.
constexpr Clock::duration kNotRunningLimit = 10s;
constexpr Clock::duration kBlockedLimit = 5s;
constexpr Clock::duration kCheckEvery = 50ms;
// Source ids of the default main context looked at to tell whether anything has put work there.
constexpr guint kSourceIdsScanned = 1u << 16;

// A thread, told apart from a later thread that reuses its id by its start time.
struct ThreadIdentity {
    long tid;
    unsigned long long started;
};

unsigned long long TaskStartTime(long tid)
{
    std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return 0;
    const auto close = line.rfind(')');
    if (close == std::string::npos || close + 2 > line.size())
        return 0;
    // After the name come the fields from the state (3) on; the start time is field 22.
    std::istringstream rest(line.substr(close + 2));
    std::string skipped;
    for (int field = 3; field < 22 && rest >> skipped; ++field) {
    }
    unsigned long long started = 0;
    rest >> started;
    return started;
}

ThreadIdentity CurrentThread()
{
    const long tid = CurrentThreadId();
    return {tid, TaskStartTime(tid)};
}

bool Alive(const ThreadIdentity& thread)
{
    return thread.started != 0 && TaskStartTime(thread.tid) == thread.started;
}

bool IsCurrent(const ThreadIdentity& thread)
{
    return thread.tid == CurrentThreadId() && Alive(thread);
}

// Whether the thread sits in a futex wait (a lock, a condition, a join) rather than in its loop's poll.
bool WaitingOnALock(long tid)
{
    std::ifstream file("/proc/self/task/" + std::to_string(tid) + "/syscall");
    long number = -1;
    return (file >> number) && number == SYS_futex;
}

bool IsProcessMainThread()
{
    return CurrentThreadId() == static_cast<long>(::getpid());
}

// ---- the choice, kept with GLib (which stays loaded) -----------------------------------------

std::mutex& ChoiceMutex()
{
    static std::mutex mutex;
    return mutex;
}

GQuark ChoiceQuark()
{
    return g_quark_from_string("tessaly-ui-thread");  // copied: this library may be unloaded
}

std::optional<ThreadIdentity> Chosen()
{
    const auto* stored = static_cast<const ThreadIdentity*>(g_type_get_qdata(G_TYPE_OBJECT, ChoiceQuark()));
    return stored ? std::optional<ThreadIdentity>(*stored) : std::nullopt;
}

void Choose(const ThreadIdentity& thread)
{
    auto* stored = g_new(ThreadIdentity, 1);  // lives as long as the process
    *stored = thread;
    g_type_set_qdata(G_TYPE_OBJECT, ChoiceQuark(), stored);
}

// Claims the UI thread for the calling thread when none is chosen yet; true when it is the UI thread.
bool AdoptCurrentThread()
{
    std::lock_guard lock(ChoiceMutex());
    const std::optional<ThreadIdentity> chosen = Chosen();
    if (!chosen)
        Choose(CurrentThread());
    return !chosen || IsCurrent(*chosen);
}

// Whether anything (a toolkit, an event loop's own sources, an earlier call) has put a source on the
// default main context: then a loop is meant to run it, and the library does not start its own.
bool ContextInUse(GMainContext* context)
{
    for (guint id = 1; id <= kSourceIdsScanned; ++id)
        if (g_main_context_find_source_by_id(context, id))
            return true;
    return false;
}

// ---- the library's own UI thread -------------------------------------------------------------

void RunOwnUiThread(std::promise<ThreadIdentity> started)
{
    pthread_setname_np(pthread_self(), "tessaly-ui");
    GMainContext* context = g_main_context_default();
    // Owned before anyone learns of this thread, so no other thread can take the context meanwhile.
    g_main_context_acquire(context);
    GMainLoop* loop = g_main_loop_new(context, FALSE);
    started.set_value(CurrentThread());
    g_main_loop_run(loop);  // never quits: the thread serves the rest of the process
}

std::optional<ThreadIdentity> StartOwnUiThread(std::string& whyNot)
{
    // The thread runs this library's code for the rest of the process, so the library must stay.
    if (!PinLibraryForever(reinterpret_cast<const void*>(&RunOwnUiThread))) {
        whyNot = "no safe thread: the library could not be kept loaded for a UI thread of its own";
        return std::nullopt;
    }
    std::promise<ThreadIdentity> started;
    std::future<ThreadIdentity> identity = started.get_future();
    try {
        std::thread(RunOwnUiThread, std::move(started)).detach();
    } catch (const std::system_error&) {
        whyNot = "no safe thread: a UI thread could not be started";
        return std::nullopt;
    }
    return identity.get();
}

// ---- calls carried to the UI thread ----------------------------------------------------------

struct PendingCall {
    enum class Stage { Waiting, Running, Finished, Cancelled, Refused };

    explicit PendingCall(const std::function<void()>& w) : work(w) {}

    const std::function<void()>& work;  // lives on the waiting caller's stack
    std::mutex mutex;
    std::condition_variable changed;
    Stage stage = Stage::Waiting;
    std::exception_ptr failure;

    void Set(Stage next)
    {
        {
            std::lock_guard lock(mutex);
            stage = next;
        }
        changed.notify_all();
    }
};

using PendingRef = std::shared_ptr<PendingCall>;

gboolean RunPending(gpointer data)
{
    PendingCall& call = **static_cast<PendingRef*>(data);
    const bool adopted = AdoptCurrentThread();
    {
        // Decided under the lock: once the caller has given up, its work (on its stack) is gone.
        std::lock_guard lock(call.mutex);
        if (call.stage != PendingCall::Stage::Waiting)
            return G_SOURCE_REMOVE;
        call.stage = adopted ? PendingCall::Stage::Running : PendingCall::Stage::Refused;
    }
    call.changed.notify_all();
    if (!adopted)
        return G_SOURCE_REMOVE;
    try {
        call.work();
    } catch (...) {
        call.failure = std::current_exception();
    }
    call.Set(PendingCall::Stage::Finished);
    return G_SOURCE_REMOVE;
}

void DropPending(gpointer data)
{
    std::unique_ptr<PendingRef>(static_cast<PendingRef*>(data)).reset();
}

// Watches a UI thread while a call waits for it to pick the call up. Returns the reason to give up,
// or an empty text to go on waiting.
class StallWatch {
public:
    explicit StallWatch(GMainContext* context) : m_context(context) {}

    std::string Check()
    {
        std::optional<ThreadIdentity> ui;
        {
            std::lock_guard lock(ChoiceMutex());
            ui = Chosen();
        }
        if (ui && !Alive(*ui))
            return "no safe thread: the UI thread has ended";
        // Before the first call is picked up, the thread to watch is the one that usually runs the
        // loop: the process's main thread.
        const long watched = ui ? ui->tid : static_cast<long>(::getpid());
        m_blocked = WaitingOnALock(watched) ? m_blocked + kCheckEvery : Clock::duration::zero();
        if (m_blocked >= kBlockedLimit)
            return "no safe thread: the UI thread is blocked waiting on a lock or another thread";
        // Whoever runs the loop owns the context; a context anyone can take is not being run.
        const bool free = g_main_context_acquire(m_context);
        if (free)
            g_main_context_release(m_context);
        m_notRunning = free ? m_notRunning + kCheckEvery : Clock::duration::zero();
        if (m_notRunning >= kNotRunningLimit)
            return "no safe thread: nothing runs the UI thread's main loop";
        return {};
    }

private:
    GMainContext* m_context;
    Clock::duration m_blocked{};
    Clock::duration m_notRunning{};
};

bool PostAndWait(GMainContext* context, const std::function<void()>& work, std::string& whyNot)
{
    // The UI thread still runs this library's code (the end of the call, the source's clean-up) after
    // the caller has returned and could unload it; so a library that serves other threads stays.
    PinLibraryForever(reinterpret_cast<const void*>(&RunPending));
    auto call = std::make_shared<PendingCall>(work);
    GSource* source = g_idle_source_new();
    g_source_set_priority(source, G_PRIORITY_DEFAULT);
    g_source_set_callback(source, &RunPending, std::make_unique<PendingRef>(call).release(), &DropPending);
    g_source_attach(source, context);

    StallWatch watch(context);
    std::unique_lock lock(call->mutex);
    while (!call->changed.wait_for(lock, kCheckEvery, [&] { return call->stage != PendingCall::Stage::Waiting; })) {
        lock.unlock();
        std::string stalled = watch.Check();
        lock.lock();
        if (!stalled.empty() && call->stage == PendingCall::Stage::Waiting) {
            call->stage = PendingCall::Stage::Cancelled;
            lock.unlock();
            g_source_destroy(source);
            g_source_unref(source);
            whyNot = std::move(stalled);
            return false;
        }
    }
    // Once running, the call takes as long as its window stays open.
    call->changed.wait(lock, [&] {
        return call->stage == PendingCall::Stage::Finished || call->stage == PendingCall::Stage::Refused;
    });
    const bool ran = call->stage == PendingCall::Stage::Finished;
    lock.unlock();
    g_source_unref(source);
    if (!ran) {
        whyNot = "no safe thread: the default main context is run by a thread other than the UI thread";
        return false;
    }
    if (call->failure)
        std::rethrow_exception(call->failure);
    return true;
}

enum class Route { Here, Post, Refuse };

// Picks the UI thread at the first call (under the choice lock).
Route ChooseFirst(GMainContext* context, std::string& whyNot)
{
    // Called from a handler of the loop that runs the default context: this is the UI thread.
    if (g_main_context_is_owner(context)) {
        Choose(CurrentThread());
        return Route::Here;
    }
    // Another thread runs the loop right now; the call goes there, and that thread adopts it.
    if (!g_main_context_acquire(context))
        return Route::Post;
    const bool inUse = ContextInUse(context);
    g_main_context_release(context);
    if (inUse) {
        // The host has a loop that is not running at this moment: before or after its main loop on
        // its main thread, or (from another thread) one that will pick the call up when it runs.
        if (!IsProcessMainThread())
            return Route::Post;
        Choose(CurrentThread());
        return Route::Here;
    }
    // Nothing uses the default context: a host without a toolkit. No display, no thread.
    if (!DisplayAvailable(whyNot))
        return Route::Refuse;
    const std::optional<ThreadIdentity> own = StartOwnUiThread(whyNot);
    if (!own)
        return Route::Refuse;
    Choose(*own);
    return Route::Post;
}

Route RouteCall(GMainContext* context, std::string& whyNot)
{
    std::lock_guard lock(ChoiceMutex());
    const std::optional<ThreadIdentity> ui = Chosen();
    if (!ui)
        return ChooseFirst(context, whyNot);
    if (IsCurrent(*ui))
        return Route::Here;
    if (!Alive(*ui)) {
        whyNot = "no safe thread: the UI thread has ended";
        return Route::Refuse;
    }
    return Route::Post;
}

}  // namespace

bool RunOnUiThread(const std::function<void()>& work, std::string& whyNot)
{
    GMainContext* context = g_main_context_default();
    switch (RouteCall(context, whyNot)) {
    case Route::Here:
        work();
        return true;
    case Route::Post:
        return PostAndWait(context, work, whyNot);
    case Route::Refuse:
        break;
    }
    return false;
}

}  // namespace tessaly::platform
