#include "toolkit/ToolkitPin.h"

#include <gtk/gtk.h>
#include <jsc/jsc.h>
#include <webkit2/webkit2.h>

#include "platform/DynamicLibrary.h"

namespace tessaly::toolkit {

void PinToolkitLibraries() noexcept
{
    // One exported function of each library stands for the library that holds it.
    const void* const members[] = {
        reinterpret_cast<const void*>(&g_main_context_default),    // GLib
        reinterpret_cast<const void*>(&g_object_new),              // GObject
        reinterpret_cast<const void*>(&g_application_get_default), // GIO
        reinterpret_cast<const void*>(&gdk_display_get_default),   // GDK
        reinterpret_cast<const void*>(&gtk_init_check),            // GTK
        reinterpret_cast<const void*>(&jsc_context_new),           // JavaScriptCore
        reinterpret_cast<const void*>(&webkit_web_view_new),       // WebKit
    };
    for (const void* member : members)
        platform::PinLibraryForever(member);
}

}  // namespace tessaly::toolkit
