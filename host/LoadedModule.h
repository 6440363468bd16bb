#pragma once

#include <memory>
#include <string>

namespace tessaly::host {

// A library loaded by its full path the way a desktop client loads one (dlopen on Linux, LoadLibraryW
// on Windows), its exports looked up by name; released again when the object goes away.
class LoadedModule {
public:
    // The generic function pointer type; cast to the export's own type before calling.
    using AnyFunction = void (*)();

    // nullptr and "cannot load PATH: reason" in `error` when the library cannot be loaded.
    static std::unique_ptr<LoadedModule> Open(const std::string& path, std::string& error);

    struct Key {
    private:
        Key() = default;
        friend class LoadedModule;
    };
    LoadedModule(Key, void* handle) : m_handle(handle) {}
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;
    ~LoadedModule();

    // The export `name` of this library, or nullptr.
    AnyFunction Find(const char* name) const;

    template <typename Function>
    Function Get(const char* name) const
    {
        return reinterpret_cast<Function>(Find(name));
    }

private:
    void* m_handle;
};

}  // namespace tessaly::host
