#pragma once
// A shared library opened for one test; symbols looked up by name. The loader calls are the kit's
// system part (TestLibrary.h).
#include <string>

#include "TestLibrary.h"

namespace tessaly::test {

class LoadedLibrary {
public:
    explicit LoadedLibrary(const std::string& path) : m_handle(system::OpenLibrary(path, m_error)) {}
    ~LoadedLibrary()
    {
        if (m_handle)
            system::CloseLibrary(m_handle);
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    bool ok() const { return m_handle != nullptr; }
    const std::string& error() const { return m_error; }

    template <typename Fn>
    Fn Get(const char* name) const
    {
        return m_handle ? reinterpret_cast<Fn>(system::LibrarySymbol(m_handle, name)) : nullptr;
    }

private:
    std::string m_error;
    system::LibraryHandle m_handle;
};

}  // namespace tessaly::test
