#include "toolkit/gtk/DialogTemplate.h"

#include "toolkit/gtk/GuiHandles.h"
#include "toolkit/gtk/SheetContainer.h"

extern "C" GResource* tessaly_get_resource(void);

namespace tessaly {

DialogTemplate LoadDialogTemplate()
{
    // Referencing the resource keeps its registration in the link; it registers itself on load.
    if (!tessaly_get_resource())
        return {};
    g_type_ensure(SheetContainerType());  // the template names the client area's own type
    GObjectPtr<GtkBuilder> builder = AdoptObject(gtk_builder_new());
    GError* error = nullptr;
    const bool added = gtk_builder_add_from_resource(builder.get(), "/org/tessaly/dialog1000.ui", &error);
    const ErrorPtr failure(error);
    if (!added)
        return {};
    DialogTemplate parts;
    GObject* window = gtk_builder_get_object(builder.get(), "dialog");
    GObject* client = gtk_builder_get_object(builder.get(), "client");
    GObject* slot = gtk_builder_get_object(builder.get(), "control1000");
    if (!GTK_IS_WINDOW(window) || !GTK_IS_FIXED(client) || !GTK_IS_WIDGET(slot)) {
        if (GTK_IS_WIDGET(window))
            gtk_widget_destroy(GTK_WIDGET(window));
        return {};
    }
    parts.window = GTK_WIDGET(g_object_ref(window));
    parts.client = GTK_WIDGET(client);
    parts.slot1000 = GTK_WIDGET(slot);
    return parts;
}

}  // namespace tessaly
