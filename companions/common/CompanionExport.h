#pragma once

// Marks the few C entry points a companion library offers (cdecl, plain C names). On Windows each
// library's .def file lists them, which also keeps the names undecorated on 32-bit; elsewhere
// everything but these stays hidden.
#ifdef _WIN32
#define COMPANION_EXPORT extern "C"
#else
#define COMPANION_EXPORT extern "C" __attribute__((visibility("default")))
#endif
