#include "faults/LibrarySandbox.h"

#include <dlfcn.h>
#include <stdlib.h>

#include "common/TracingStore.h"

namespace tessaly::test {

namespace fs = std::filesystem;

const char kLoginConfigXml[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<Config>
 <CommonWindow>
  <VomoLogin>
   <WindowInfo>
    <Item ItemID="LoginPatern" Data="%s?user=%s&amp;password=%s&amp;ip=%s"/>
    <Item ItemID="ErrorPwd" Data="Wrong password"/>
    <Item ItemID="ErrorMsg" Data="Error %d"/>
   </WindowInfo>
  </VomoLogin>
 </CommonWindow>
</Config>
)";

LibrarySandbox::LibrarySandbox(Companions companions, bool tracing)
{
    fs::create_directories(ConfigFolder());
    fs::copy_file(fs::path(TESSALY_OUT_DIR) / "libtessaly.so", LibraryFolder() / "libtessaly.so");
    const fs::path fakes = fs::path(TESSALY_FAULTS_FAKE_DIR);
    for (const char* name : {"Trelvin.so", "Parvex.so", "Dunmore.so"}) {
        if (companions == Companions::Fake)
            fs::create_symlink(fakes / name, LibraryFolder() / name);
        else if (companions == Companions::Real && fs::exists(fs::path(TESSALY_OUT_DIR) / name))
            fs::create_symlink(fs::path(TESSALY_OUT_DIR) / name, LibraryFolder() / name);
    }
    WriteConfigFile("VomoLoginCfg.xml", kLoginConfigXml);
    WriteConfigFile("orvane.cfg", "[WebUrl]\nVomoLoginUrl=http://127.0.0.1:9/login\n"
                                  "PreLoginFromInternet=http://127.0.0.1:9/prelogin/exchange\n");

    root_.Write("registry.reg", tracing ? kDebugOn : "REGEDIT4\n");
}

LibrarySandbox::~LibrarySandbox()
{
    Unload();
    std::error_code ignored;
    fs::permissions(ConfigFolder(), fs::perms::owner_all, fs::perm_options::add, ignored);
}

namespace {

void PinWebEngineOnce()
{
    static const bool pinned = [] {
        for (const char* name : {"libjavascriptcoregtk-4.1.so.0", "libwebkit2gtk-4.1.so.0"})
            ::dlopen(name, RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE);
        return true;
    }();
    (void)pinned;
}

}  // namespace

bool LibrarySandbox::Load(std::string* error)
{
    if (handle_)
        return true;
    if (pinWebEngine)
        PinWebEngineOnce();
    handle_ = ::dlopen((LibraryFolder() / "libtessaly.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        if (error)
            *error = ::dlerror();
        return false;
    }
    preLogin_ = reinterpret_cast<int (*)(PreLoginRequest*, PreLoginResult*)>(::dlsym(handle_, "PreLogin"));
    redirect_ = reinterpret_cast<int (*)()>(::dlsym(handle_, "Redirect"));
    return preLogin_ && redirect_;
}

void LibrarySandbox::Unload()
{
#if defined(__SANITIZE_THREAD__)
    // ThreadSanitizer runs every static destructor a library registered at process exit, also for a
    // library that was unloaded long before, which jumps into unmapped code. Under it the copy stays
    // loaded; UnloadTest covers unloading in the normal build.
    handle_ = nullptr;
#endif
    if (handle_)
        ::dlclose(handle_);
    handle_ = nullptr;
    preLogin_ = nullptr;
    redirect_ = nullptr;
}

int LibrarySandbox::CallPreLogin(std::int32_t* code, std::u16string* message)
{
    if (!preLogin_ && !Load())
        throw std::runtime_error("library not loaded");
    PreLoginRequest request{};
    PreLoginResult result{nullptr, 12345};
    TessalyStringSetUtf8(&request.m_strUserName, "alice");
    TessalyStringSetUtf8(&request.m_strPassword, "736563726574");
    if (before_)
        before_();
    const int rc = preLogin_(&request, &result);
    if (after_)
        after_();
    if (code)
        *code = result.m_nCode;
    if (message)
        *message = result.m_strMessage ? std::u16string(result.m_strMessage) : std::u16string();
    TessalyStringFree(&request.m_strUserName);
    TessalyStringFree(&request.m_strPassword);
    TessalyStringFree(&result.m_strMessage);
    return rc;
}

int LibrarySandbox::CallRedirect()
{
    if (!redirect_ && !Load())
        throw std::runtime_error("library not loaded");
    if (before_)
        before_();
    const int rc = redirect_();
    if (after_)
        after_();
    return rc;
}

void LibrarySandbox::UseShippedConfig() const
{
    fs::copy(fs::path(TESSALY_OUT_DIR) / "Config", ConfigFolder(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

void LibrarySandbox::WriteConfigFile(const std::string& name, const std::string& text) const
{
    WriteFile((ConfigFolder() / name).string(), text);
}

}  // namespace tessaly::test
