// A Windows host in C++ that knows Tessaly only through <tessaly/tessaly.h>: the C consumer's checks
// (see consumer.c for the command line), with the library, the call's strings and the window list
// held by owners that give them back however the program leaves.
#include <tessaly/tessaly.h>

#include <cstdio>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace {

int g_failures = 0;

void Expect(bool good, const char* what)
{
    std::printf("%s: %s\n", good ? "ok" : "FAILED", what);
    g_failures += good ? 0 : 1;
}

struct LibraryFreer {
    void operator()(HMODULE module) const { ::FreeLibrary(module); }
};
using Library = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryFreer>;

template <typename Proc>
Proc Export(const Library& library, const char* name)
{
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(::GetProcAddress(library.get(), name)));
}

// The two records of one PreLogin call, owning the strings in them (the library replaces some).
struct Records {
    PreLoginRequest request{};
    PreLoginResult result{};

    Records() = default;
    Records(const Records&) = delete;
    Records& operator=(const Records&) = delete;
    ~Records()
    {
        TessalyStringFree(&request.m_strUserName);
        TessalyStringFree(&request.m_strPassword);
        TessalyStringFree(&result.m_strMessage);
    }
};

std::wstring Text(const TessalyChar* value) { return value ? std::wstring(value) : std::wstring(); }

// The host's window message list, published while the object lives; the library fills its storage
// from the process heap.
class PublishedList {
public:
    PublishedList() { m_published = TessalyPublishWndMsgList(&m_list) == 0; }
    ~PublishedList()
    {
        TessalyPublishWndMsgList(nullptr);
        if (m_list.items)
            ::HeapFree(::GetProcessHeap(), 0, m_list.items);
    }
    PublishedList(const PublishedList&) = delete;
    PublishedList& operator=(const PublishedList&) = delete;
    bool published() const { return m_published; }

private:
    TessalyWndMsgList m_list{};
    bool m_published = false;
};

// The password as PreLogin takes it: enciphered by Cyvelle.dll, in upper-case hexadecimal.
std::wstring Encipher(const std::wstring& folder, const std::string& clear)
{
    using EncryptProc = int (*)(const unsigned char*, int, const unsigned char*, int, unsigned char*, int*);
    const Library cipher(::LoadLibraryW((folder + L"Cyvelle.dll").c_str()));
    const auto encrypt = cipher ? Export<EncryptProc>(cipher, "Zel_Encrypt") : nullptr;
    std::vector<unsigned char> out(clear.size() + 64);
    int length = static_cast<int>(out.size());
    if (!encrypt || encrypt(reinterpret_cast<const unsigned char*>("58074319"), 8,
                            reinterpret_cast<const unsigned char*>(clear.data()), static_cast<int>(clear.size()),
                            out.data(), &length) != 0 || length <= 0 || length > static_cast<int>(out.size()))
        return {};
    std::wstring hex;
    for (int i = 0; i < length; ++i) {
        hex += L"0123456789ABCDEF"[out[static_cast<std::size_t>(i)] >> 4];
        hex += L"0123456789ABCDEF"[out[static_cast<std::size_t>(i)] & 15];
    }
    return hex;
}

struct Outcome {
    int accepted = -1;
    int code = 12345;
    std::wstring message;
    bool messageKept = false;  // the very buffer set before the call is still there
};

Outcome Call(TessalyPreLoginProc preLogin, const std::wstring& folder, const std::wstring& user,
             const std::string& password, const std::wstring& preset)
{
    Outcome outcome;
    const std::wstring hex = Encipher(folder, password);
    Records records;
    if (hex.empty() || TessalyStringSet(&records.request.m_strUserName, user.c_str()) != 0 ||
        TessalyStringSet(&records.request.m_strPassword, hex.c_str()) != 0 ||
        TessalyStringSet(&records.result.m_strMessage, preset.c_str()) != 0) {
        Expect(false, "the request could be prepared (Cyvelle.dll beside Tessaly.dll)");
        return outcome;
    }
    const TessalyChar* presetBuffer = records.result.m_strMessage;
    records.result.m_nCode = 12345;
    outcome.accepted = preLogin(&records.request, &records.result);
    outcome.code = records.result.m_nCode;
    outcome.message = Text(records.result.m_strMessage);
    outcome.messageKept = records.result.m_strMessage == presetBuffer && outcome.message == preset;
    // The password member comes back holding the configured "Pwd" item, empty in the shipped file.
    Expect(Text(records.request.m_strPassword).empty(), "the password member is emptied");
    return outcome;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 4 || (std::wstring(argv[2]) != L"up" && std::wstring(argv[2]) != L"down")) {
        std::fprintf(stderr, "usage: consumer TESSALY_DLL up|down EXPECTED_MESSAGE\n");
        return 2;
    }
    const std::wstring path = argv[1], expected = argv[3];
    const auto slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos) {
        std::fprintf(stderr, "consumer: give Tessaly.dll with its full path\n");
        return 2;
    }
    const std::wstring folder = path.substr(0, slash + 1);
    const PublishedList list;
    Expect(list.published(), "the window message list is published");
    const Library library(::LoadLibraryW(path.c_str()));
    if (!library) {
        std::fprintf(stderr, "consumer: cannot load the library (error %lu)\n", ::GetLastError());
        return 1;
    }
    const auto preLogin = Export<TessalyPreLoginProc>(library, "PreLogin");
    Expect(preLogin && Export<TessalyRedirectProc>(library, "Redirect"), "PreLogin and Redirect are exported");
    if (!preLogin)
        return 1;
    if (std::wstring(argv[2]) == L"up") {
        const Outcome right = Call(preLogin, folder, L"alice", "wonderland", L"untouched");
        Expect(right.accepted == 1 && right.code == 0, "the right password: 1, code 0");
        Expect(right.messageKept, "the right password: the message is left as it was");
        const Outcome wrong = Call(preLogin, folder, L"alice", "not-the-password", L"old");
        Expect(wrong.accepted == 0 && wrong.code == -102, "a wrong password: 0, code -102");
        Expect(wrong.message == expected, "a wrong password: the configured message");
        const Outcome unknown = Call(preLogin, folder, L"nobody", "x", L"old");
        Expect(unknown.accepted == 0 && unknown.code == -101, "an unknown user: 0, code -101");
    } else {
        const Outcome down = Call(preLogin, folder, L"alice", "wonderland", L"old");
        Expect(down.accepted == 0 && down.code == -1, "no service: 0, code -1");
        Expect(down.message == expected, "no service: the configured message for -1");
    }
    return g_failures == 0 ? 0 : 1;
}
