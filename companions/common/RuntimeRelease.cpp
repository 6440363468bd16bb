// Each companion DLL carries its own copy of the C++ runtime (linked -static), and each load of it
// makes that runtime allocate its emergency buffer for exceptions (about 73 KiB on 64-bit), which the
// runtime itself never frees. The host loads and frees the companions on every call, so the buffer
// is handed back when the DLL is unloaded: the destructor below runs at the DLL's process detach,
// when no exception can be in flight in it.

namespace __gnu_cxx {
void __freeres() noexcept;  // libstdc++: frees the emergency buffer (made for leak checkers)
}

namespace {

struct RuntimeRelease {
    ~RuntimeRelease() { __gnu_cxx::__freeres(); }
} g_runtimeRelease;

}  // namespace
