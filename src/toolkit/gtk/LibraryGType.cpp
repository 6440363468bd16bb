#include "toolkit/gtk/LibraryGType.h"

#include <vector>

namespace tessaly {
namespace {

struct InstalledClass {
    gpointer klass;
    ClassFunctionSetter setFunctions;
};

// Destroyed when the library is unloaded (or the process ends): hands every class back to its parent's
// functions.
class InstalledClasses {
public:
    ~InstalledClasses()
    {
        for (const InstalledClass& installed : m_classes)
            installed.setFunctions(installed.klass, false);
    }
    void Add(InstalledClass installed) { m_classes.push_back(installed); }

private:
    std::vector<InstalledClass> m_classes;
};

InstalledClasses g_installedClasses;

}  // namespace

GType RegisterLibraryType(GType parent, const char* name, ClassFunctionSetter setFunctions)
{
    GType type = g_type_from_name(name);
    if (type == 0) {
        GTypeQuery query{};
        g_type_query(parent, &query);
        type = g_type_register_static_simple(parent, name, query.class_size, nullptr, query.instance_size, nullptr,
                                             static_cast<GTypeFlags>(0));
    }
    gpointer klass = g_type_class_ref(type);  // kept: a registered type's class lives on anyway
    setFunctions(klass, true);
    g_installedClasses.Add({klass, setFunctions});
    return type;
}

}  // namespace tessaly
