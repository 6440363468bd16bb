#include "toolkit/UserInterface.h"

#include <glib.h>

#include <chrono>
#include <memory>

#include "platform/WindowSystem.h"
#include "toolkit/gtk/GuiHandles.h"

namespace tessaly::toolkit {

bool StartUserInterface(std::string& whyNot) { return platform::StartToolkit(whyNot); }

// WebKit keeps idle work queued after a view is gone. Bounded, so a busy context cannot hold the
// caller.
void DrainPendingWork()
{
    GMainContext* context = g_main_context_default();
    if (!g_main_context_acquire(context))
        return;  // another thread runs this context; its own loop will dispatch the rest
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    while (g_main_context_pending(context) && std::chrono::steady_clock::now() < end)
        g_main_context_iteration(context, FALSE);
    g_main_context_release(context);
}

// The windows run on the default main context; an idle source at default priority keeps posted
// work in order with the window's own events.
void PostToUiThread(std::function<void()> task)
{
    auto owned = std::make_unique<std::function<void()>>(std::move(task));
    const SourcePtr source(g_idle_source_new());
    g_source_set_priority(source.get(), G_PRIORITY_DEFAULT);
    g_source_set_callback(
        source.get(),
        [](gpointer data) -> gboolean {
            (*static_cast<std::function<void()>*>(data))();
            return G_SOURCE_REMOVE;
        },
        owned.release(), [](gpointer data) { delete static_cast<std::function<void()>*>(data); });
    g_source_attach(source.get(), nullptr);
}

}  // namespace tessaly::toolkit
