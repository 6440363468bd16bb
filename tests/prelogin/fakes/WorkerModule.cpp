// A stand-in for the library as a host sees it: a shared object that starts a worker, lets the
// "window" stop caring about it, and can then be unloaded while the worker still runs.
#include <memory>

#include "platform/ModulePaths.h"
#include "redirect/worker/InfoWorker.h"

#define MODULE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
std::shared_ptr<tessaly::InfoWorker> g_worker;
}

MODULE_EXPORT int StartWorker(const char16_t* moduleFolder)
{
    tessaly::platform::OverrideModuleFolders(moduleFolder, moduleFolder);
    g_worker = tessaly::InfoWorker::Start({u"http://127.0.0.1:1/", u"", u"", u""}, [](std::u16string) {});
    return g_worker ? 1 : 0;
}

// What the window does when it closes: stop the worker and let go of it.
MODULE_EXPORT void AbandonWorker()
{
    if (g_worker)
        g_worker->RequestStop();
    g_worker.reset();
}
