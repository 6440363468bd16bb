/* A Windows host in plain C that knows Tessaly only through <tessaly/tessaly.h>: it loads Tessaly.dll
 * with LoadLibraryW, publishes its window message list, enciphers passwords with Cyvelle.dll beside
 * the library and calls PreLogin, checking every result.
 *
 *   consumer TESSALY_DLL up EXPECTED_WRONG_PASSWORD_MESSAGE
 *       the login service answers: right password, wrong password, unknown user
 *   consumer TESSALY_DLL down EXPECTED_NO_REPLY_MESSAGE
 *       nothing answers at the configured address
 *
 * Exit code 0 when every result is the expected one, 1 otherwise, 2 for bad arguments. */
#include <tessaly/tessaly.h>

typedef int (*EncryptProc)(const unsigned char *, int, const unsigned char *, int, unsigned char *, int *);

static int failures = 0;

static void expect(int good, const char *what)
{
    printf("%s: %s\n", good ? "ok" : "FAILED", what);
    if (!good)
        ++failures;
}

static int same_text(const TessalyChar *got, const wchar_t *want)
{
    return wcscmp(got ? got : L"", want) == 0;
}

/* The password as PreLogin takes it: enciphered by Cyvelle.dll, in upper-case hexadecimal. */
static int encipher(const wchar_t *folder, const char *clear, TessalyString *hex)
{
    static const wchar_t digits[] = L"0123456789ABCDEF";
    wchar_t path[MAX_PATH], text[512];
    unsigned char out[256];
    int length = (int)sizeof out, i, rc = -1;
    HMODULE cipher;
    EncryptProc encrypt;
    if (wcslen(folder) + wcslen(L"Cyvelle.dll") >= MAX_PATH)
        return -1;
    wcscat(wcscpy(path, folder), L"Cyvelle.dll");
    if (!(cipher = LoadLibraryW(path)))
        return -1;
    encrypt = (EncryptProc)(void (*)(void))GetProcAddress(cipher, "Zel_Encrypt");
    if (encrypt && encrypt((const unsigned char *)"58074319", 8, (const unsigned char *)clear, (int)strlen(clear), out,
                           &length) == 0 && length > 0 && length <= (int)sizeof out) {
        for (i = 0; i < length; ++i) {
            text[2 * i] = digits[out[i] >> 4];
            text[2 * i + 1] = digits[out[i] & 15];
        }
        rc = TessalyStringSetN(hex, text, 2 * (size_t)length);
    }
    FreeLibrary(cipher);
    return rc;
}

/* One PreLogin call with the message member preset to `preset`; returns PreLogin's result. *kept
 * tells whether the message member still holds the very buffer it was given. */
static int prelogin(TessalyPreLoginProc call, const wchar_t *folder, const wchar_t *user, const char *password,
                    PreLoginResult *result, const wchar_t *preset, int *kept)
{
    PreLoginRequest request = {0};
    const TessalyChar *given;
    int accepted = -1;
    result->m_nCode = 12345;
    *kept = 0;
    if (TessalyStringSet(&request.m_strUserName, user) == 0 && encipher(folder, password, &request.m_strPassword) == 0 &&
        TessalyStringSet(&result->m_strMessage, preset) == 0) {
        given = result->m_strMessage;
        accepted = call(&request, result);
        *kept = result->m_strMessage == given && same_text(result->m_strMessage, preset);
        /* The password member comes back holding the configured "Pwd" item, empty in the shipped file. */
        expect(TessalyStringLength(request.m_strPassword) == 0, "the password member is emptied");
    } else {
        expect(0, "the request could be prepared (Cyvelle.dll beside Tessaly.dll)");
    }
    TessalyStringFree(&request.m_strUserName);
    TessalyStringFree(&request.m_strPassword);
    return accepted;
}

int wmain(int argc, wchar_t **argv)
{
    wchar_t folder[MAX_PATH];
    wchar_t *slash;
    TessalyWndMsgList list = {0};
    PreLoginResult result = {0};
    HMODULE library;
    TessalyPreLoginProc call;
    int up, kept;
    if (argc != 4 || (wcscmp(argv[2], L"up") != 0 && wcscmp(argv[2], L"down") != 0) || wcslen(argv[1]) >= MAX_PATH) {
        fprintf(stderr, "usage: consumer TESSALY_DLL up|down EXPECTED_MESSAGE\n");
        return 2;
    }
    up = wcscmp(argv[2], L"up") == 0;
    wcscpy(folder, argv[1]);
    slash = wcsrchr(folder, L'\\');
    if (!slash) {
        fprintf(stderr, "consumer: give Tessaly.dll with its full path\n");
        return 2;
    }
    slash[1] = 0;
    library = LoadLibraryW(argv[1]);
    if (!library) {
        fprintf(stderr, "consumer: cannot load the library (error %lu)\n", (unsigned long)GetLastError());
        return 1;
    }
    call = (TessalyPreLoginProc)(void (*)(void))GetProcAddress(library, "PreLogin");
    expect(call != NULL && GetProcAddress(library, "Redirect") != NULL, "PreLogin and Redirect are exported");
    expect(TessalyPublishWndMsgList(&list) == 0, "the window message list is published");
    if (call && up) {
        expect(prelogin(call, folder, L"alice", "wonderland", &result, L"untouched", &kept) == 1, "the right password: 1");
        expect(result.m_nCode == 0, "the right password: code 0");
        expect(kept, "the right password: the message is left as it was");
        expect(prelogin(call, folder, L"alice", "not-the-password", &result, L"old", &kept) == 0, "a wrong password: 0");
        expect(result.m_nCode == -102, "a wrong password: code -102");
        expect(same_text(result.m_strMessage, argv[3]), "a wrong password: the configured message");
        expect(prelogin(call, folder, L"nobody", "x", &result, L"old", &kept) == 0, "an unknown user: 0");
        expect(result.m_nCode == -101, "an unknown user: code -101");
    } else if (call) {
        expect(prelogin(call, folder, L"alice", "wonderland", &result, L"old", &kept) == 0, "no service: 0");
        expect(result.m_nCode == -1, "no service: code -1");
        expect(same_text(result.m_strMessage, argv[3]), "no service: the configured message for -1");
    }
    TessalyStringFree(&result.m_strMessage);
    TessalyPublishWndMsgList(NULL);
    FreeLibrary(library);
    if (list.items)
        HeapFree(GetProcessHeap(), 0, list.items);
    return failures == 0 ? 0 : 1;
}
