#include "toolkit/gtk/SkinArea.h"

#include <gtk/gtk-a11y.h>

#include <string>

#include "toolkit/gtk/LibraryGType.h"
#include "platform/toolkit/GObjectPtr.h"
#include "support/WideText.h"

namespace tessaly {
namespace {

constexpr const char* kControlKey = "tessaly-skin-control";
constexpr const char* kNameKey = "tessaly-accessible-name";

AtkObjectClass* Parent(AtkObject* accessible)
{
    return ATK_OBJECT_CLASS(g_type_class_peek_parent(G_OBJECT_GET_CLASS(accessible)));
}

const toolkit::ControlEvents* ControlOf(AtkObject* accessible)
{
    GtkWidget* widget = gtk_accessible_get_widget(GTK_ACCESSIBLE(accessible));
    return widget ? static_cast<const toolkit::ControlEvents*>(g_object_get_data(G_OBJECT(widget), kControlKey)) : nullptr;
}

AtkRole AtkRoleOf(toolkit::AccessibleRole role)
{
    switch (role) {
    case toolkit::AccessibleRole::Label: return ATK_ROLE_LABEL;
    case toolkit::AccessibleRole::PushButton: return ATK_ROLE_PUSH_BUTTON;
    case toolkit::AccessibleRole::CheckBox: return ATK_ROLE_CHECK_BOX;
    case toolkit::AccessibleRole::RadioButton: return ATK_ROLE_RADIO_BUTTON;
    case toolkit::AccessibleRole::Decoration: return ATK_ROLE_REDUNDANT_OBJECT;
    case toolkit::AccessibleRole::Unknown: break;
    }
    return ATK_ROLE_UNKNOWN;
}

AtkRole GetRole(AtkObject* accessible)
{
    const toolkit::ControlEvents* control = ControlOf(accessible);
    return control ? AtkRoleOf(control->Role()) : Parent(accessible)->get_role(accessible);
}

// The control's text, or its tooltip when it has none; a name someone set explicitly wins.
const gchar* GetName(AtkObject* accessible)
{
    const gchar* given = Parent(accessible)->get_name(accessible);
    const toolkit::ControlEvents* control = ControlOf(accessible);
    if (given || !control)
        return given;
    std::string name = ToUtf8(control->AccessibleText());
    if (name.empty()) {
        const CharPtr tip(gtk_widget_get_tooltip_text(gtk_accessible_get_widget(GTK_ACCESSIBLE(accessible))));
        name = tip ? tip.get() : "";
    }
    // The answer stays valid until the next question, as ATK expects of a name.
    g_object_set_data_full(G_OBJECT(accessible), kNameKey, name.empty() ? nullptr : g_strdup(name.c_str()), g_free);
    return static_cast<const gchar*>(g_object_get_data(G_OBJECT(accessible), kNameKey));
}

AtkStateSet* RefStateSet(AtkObject* accessible)
{
    AtkStateSet* states = Parent(accessible)->ref_state_set(accessible);
    const toolkit::ControlEvents* control = ControlOf(accessible);
    if (const auto checked = control ? control->AccessibleChecked() : std::nullopt) {
        atk_state_set_add_state(states, ATK_STATE_CHECKABLE);
        if (*checked)
            atk_state_set_add_state(states, ATK_STATE_CHECKED);
    }
    return states;
}

void SetAccessibleFunctions(gpointer klass, bool ours)
{
    auto* atk = ATK_OBJECT_CLASS(klass);
    const auto* parent = ATK_OBJECT_CLASS(g_type_class_peek_parent(klass));
    atk->get_role = ours ? GetRole : parent->get_role;
    atk->get_name = ours ? GetName : parent->get_name;
    atk->ref_state_set = ours ? RefStateSet : parent->ref_state_set;
}

GType AccessibleType()
{
    static const GType type =
        RegisterLibraryType(GTK_TYPE_WIDGET_ACCESSIBLE, "TessalySkinAccessible", SetAccessibleFunctions);
    return type;
}

// The area has no functions of ours; its accessible type stays, and without our functions that is an
// ordinary widget accessible.
void SetAreaFunctions(gpointer klass, bool ours)
{
    if (ours)
        gtk_widget_class_set_accessible_type(GTK_WIDGET_CLASS(klass), AccessibleType());
}

GType AreaType()
{
    static const GType type = RegisterLibraryType(GTK_TYPE_DRAWING_AREA, "TessalySkinArea", SetAreaFunctions);
    return type;
}

}  // namespace

GtkWidget* NewSkinArea(toolkit::ControlEvents* control)
{
    GtkWidget* area = GTK_WIDGET(g_object_new(AreaType(), nullptr));
    g_object_set_data(G_OBJECT(area), kControlKey, control);
    return area;
}

void DetachSkinArea(GtkWidget* area)
{
    if (area)
        g_object_set_data(G_OBJECT(area), kControlKey, nullptr);
}

}  // namespace tessaly
