#include "toolkit/gtk/SheetContainer.h"

#include <algorithm>

#include "toolkit/gtk/LibraryGType.h"

namespace tessaly {
namespace {

constexpr const char* kWidthKey = "tessaly-sheet-width";
constexpr const char* kHeightKey = "tessaly-sheet-height";

GtkWidgetClass* Parent(GtkWidget* widget)
{
    return GTK_WIDGET_CLASS(g_type_class_peek_parent(G_OBJECT_GET_CLASS(widget)));
}

int SheetValue(GtkWidget* widget, const char* key)
{
    return GPOINTER_TO_INT(g_object_get_data(G_OBJECT(widget), key));
}

void PreferredWidth(GtkWidget* widget, gint* minimum, gint* natural)
{
    *minimum = *natural = SheetValue(widget, kWidthKey);
}

void PreferredHeight(GtkWidget* widget, gint* minimum, gint* natural)
{
    *minimum = *natural = SheetValue(widget, kHeightKey);
}

// Offers the focus to the children in the order they were added, starting after the child that holds
// it (which first gets the chance to move the focus inside itself, as a web page does between links).
gboolean Focus(GtkWidget* widget, GtkDirectionType direction)
{
    if (direction != GTK_DIR_TAB_FORWARD && direction != GTK_DIR_TAB_BACKWARD)
        return Parent(widget)->focus(widget, direction);
    GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
    if (direction == GTK_DIR_TAB_BACKWARD)
        children = g_list_reverse(children);
    GtkWidget* current = gtk_container_get_focus_child(GTK_CONTAINER(widget));
    bool started = current == nullptr;
    gboolean moved = FALSE;
    for (GList* child = children; child && !moved; child = child->next) {
        auto* candidate = GTK_WIDGET(child->data);
        if (!started) {
            started = candidate == current;
            if (!started || !GTK_IS_CONTAINER(candidate))
                continue;
        }
        moved = gtk_widget_child_focus(candidate, direction);
    }
    g_list_free(children);
    return moved;
}

void SetFunctions(gpointer klass, bool ours)
{
    auto* widget = GTK_WIDGET_CLASS(klass);
    const auto* parent = GTK_WIDGET_CLASS(g_type_class_peek_parent(klass));
    widget->get_preferred_width = ours ? PreferredWidth : parent->get_preferred_width;
    widget->get_preferred_height = ours ? PreferredHeight : parent->get_preferred_height;
    widget->focus = ours ? Focus : parent->focus;
}

}  // namespace

GType SheetContainerType()
{
    static const GType type = RegisterLibraryType(GTK_TYPE_FIXED, "TessalySheet", SetFunctions);
    return type;
}

bool SetSheetSize(GtkWidget* widget, int width, int height)
{
    if (!G_TYPE_CHECK_INSTANCE_TYPE(widget, SheetContainerType()))
        return false;
    g_object_set_data(G_OBJECT(widget), kWidthKey, GINT_TO_POINTER(std::max(width, 0)));
    g_object_set_data(G_OBJECT(widget), kHeightKey, GINT_TO_POINTER(std::max(height, 0)));
    gtk_widget_queue_resize(widget);
    return true;
}

}  // namespace tessaly
