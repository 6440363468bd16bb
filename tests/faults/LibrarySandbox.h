#pragma once
// A private copy of the library's run-time folder for one test: libtessaly.so copied into a fresh
// temporary folder with a chosen set of companion libraries (the real ones or the misbehaving fakes)
// and a small configuration, loaded with dlopen exactly as a host would. Everything is removed again
// when the sandbox goes away.
#include <tessaly/tessaly.h>

#include "common/ScopedEnv.h"
#include "common/TempDir.h"

#include <filesystem>
#include <functional>
#include <string>

namespace tessaly::test {

enum class Companions { Fake, Real, None };

class LibrarySandbox {
public:
    // `tracing` writes a settings file that switches the trace log on (read when the library loads).
    explicit LibrarySandbox(Companions companions = Companions::Fake, bool tracing = false);
    ~LibrarySandbox();
    LibrarySandbox(const LibrarySandbox&) = delete;
    LibrarySandbox& operator=(const LibrarySandbox&) = delete;

    // Before the first load, the web engine's libraries are pinned in the process, so that unloading
    // the library copy cannot unmap them under the engine's own background thread (UnloadTest checks
    // that case on its own). A test that wants the bare behaviour clears this first.
    static inline bool pinWebEngine = true;

    // Loads the library copy; false (with the loader's reason in `error`) when that fails.
    bool Load(std::string* error = nullptr);
    void Unload();

    // Calls the export with a user name and the password "736563726574" (hex for "secret") and frees what
    // the library handed back. Returns the export's result; the code and message land in the outputs.
    int CallPreLogin(std::int32_t* code = nullptr, std::u16string* message = nullptr);
    int CallRedirect();

    // Functions run right before and right after each call of an export (empty ones do nothing), so
    // that what a test switches on covers the library's work and not the test's own set-up.
    void SetCallHooks(std::function<void()> before, std::function<void()> after)
    {
        before_ = std::move(before);
        after_ = std::move(after);
    }

    const std::filesystem::path& Root() const { return root_.path(); }
    std::filesystem::path LibraryFolder() const { return Root() / "lib"; }
    std::filesystem::path ConfigFolder() const { return Root() / "lib" / "Config"; }
    std::filesystem::path TraceFile() const { return ConfigFolder() / "UILogTrace.txt"; }

    // Copies the shipped configuration folder (skin, wait page, every section) over Config/, for tests
    // of the redirect window.
    void UseShippedConfig() const;

    // Replaces one configuration file (relative to Config/) with `text`.
    void WriteConfigFile(const std::string& name, const std::string& text) const;

private:
    TempDir root_;
    ScopedEnv registry_{"TESSALY_REGISTRY", (root_.path() / "registry.reg").string()};
    void* handle_ = nullptr;
    int (*preLogin_)(PreLoginRequest*, PreLoginResult*) = nullptr;
    int (*redirect_)() = nullptr;
    std::function<void()> before_;
    std::function<void()> after_;
};

// The login section every sandbox starts with.
extern const char kLoginConfigXml[];

}  // namespace tessaly::test
