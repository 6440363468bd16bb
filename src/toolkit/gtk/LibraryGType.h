#pragma once
// GObject types of this library that survive its unloading. GObject keeps a registered type, and the
// class structure made for it, until the process ends, while a host may unload this library and load
// it again. So such a type carries no code of ours in its type information: it is registered by name
// once per process, without init functions, and every load of the library writes its own functions
// into the class structure; when the library is unloaded the parent class's functions go back in, so
// nothing left behind can call into unmapped code.
#include <glib-object.h>

namespace tessaly {

// Writes this library's functions into a class structure (ours true) or the parent class's (false).
using ClassFunctionSetter = void (*)(gpointer klass, bool ours);

// The type `name` deriving from `parent` with the parent's class and instance sizes, its class holding
// this library's functions; the parent's go back when the library is unloaded (and at process exit).
// Call once per load, on the user-interface thread (for example from a function-local static).
GType RegisterLibraryType(GType parent, const char* name, ClassFunctionSetter setFunctions);

}  // namespace tessaly
