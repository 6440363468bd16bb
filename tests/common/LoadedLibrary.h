#pragma once
// A shared object opened for one test; symbols looked up by name.
#include <dlfcn.h>

#include <string>

namespace tessaly::test {

class LoadedLibrary {
public:
    explicit LoadedLibrary(const std::string& path) : m_handle(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL))
    {
        const char* reason = m_handle ? nullptr : dlerror();
        if (reason)
            m_error = reason;
    }
    ~LoadedLibrary()
    {
        if (m_handle)
            dlclose(m_handle);
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    bool ok() const { return m_handle != nullptr; }
    const std::string& error() const { return m_error; }

    template <typename Fn>
    Fn Get(const char* name) const
    {
        return m_handle ? reinterpret_cast<Fn>(dlsym(m_handle, name)) : nullptr;
    }

private:
    void* m_handle;
    std::string m_error;
};

}  // namespace tessaly::test
