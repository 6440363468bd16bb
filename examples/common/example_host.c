#include "example_host.h"

#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* The key the library deciphers passwords with. */
static const char kPasswordKey[] = "58074319";

const char *example_module_path(int argc, char **argv)
{
    const char *env = getenv("TESSALY_MODULE");
    if (argc > 1 && argv[1][0])
        return argv[1];
    return env && *env ? env : TESSALY_MODULE_PATH;
}

int example_host_open(ExampleHost *host, const char *module_path)
{
    const char *slash = strrchr(module_path, '/');
    size_t folder_length = slash ? (size_t)(slash - module_path) + 1 : 0;
    memset(host, 0, sizeof *host);
    if (folder_length >= sizeof host->folder) {
        fprintf(stderr, "module path too long: %s\n", module_path);
        return -1;
    }
    memcpy(host->folder, module_path, folder_length);
    host->module = dlopen(module_path, RTLD_NOW | RTLD_LOCAL);
    if (!host->module) {
        fprintf(stderr, "cannot load %s: %s\n", module_path, dlerror());
        return -1;
    }
    *(void **)&host->PreLogin = dlsym(host->module, "PreLogin");
    *(void **)&host->Redirect = dlsym(host->module, "Redirect");
    if (!host->PreLogin || !host->Redirect) {
        fprintf(stderr, "%s does not export PreLogin and Redirect\n", module_path);
        example_host_close(host);
        return -1;
    }
    return 0;
}

void example_host_close(ExampleHost *host)
{
    if (host->module)
        dlclose(host->module);
    host->module = NULL;
}

/* Hexadecimal text of `password` enciphered with Zel_Encrypt of Cyvelle.so; NULL on failure. */
static char *encipher(const char *folder, const char *password)
{
    typedef int (*CryptFn)(const unsigned char *, int, const unsigned char *, int, unsigned char *, int *);
    char path[4200];
    unsigned char out[512];
    int length = (int)sizeof out, i;
    char *hex = NULL;
    void *cipher;
    CryptFn encrypt;
    snprintf(path, sizeof path, "%sCyvelle.so", folder);
    cipher = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!cipher) {
        fprintf(stderr, "cannot load %s: %s\n", path, dlerror());
        return NULL;
    }
    *(void **)&encrypt = dlsym(cipher, "Zel_Encrypt");
    if (encrypt && strlen(password) < 256 &&
        encrypt((const unsigned char *)kPasswordKey, (int)strlen(kPasswordKey), (const unsigned char *)password,
                (int)strlen(password), out, &length) == 0 &&
        length > 0 && length <= (int)sizeof out && (hex = malloc(2 * (size_t)length + 1)) != NULL) {
        for (i = 0; i < length; ++i)
            sprintf(hex + 2 * i, "%02X", out[i]);
    }
    dlclose(cipher);
    return hex;
}

int example_prelogin(const ExampleHost *host, const char *user, const char *password, int *code)
{
    PreLoginRequest request = {0};
    PreLoginResult result = {0};
    char *hex = encipher(host->folder, password);
    int accepted = -1;
    if (hex && TessalyStringSetUtf8(&request.m_strUserName, user) == 0 &&
        TessalyStringSetUtf8(&request.m_strPassword, hex) == 0) {
        result.m_nCode = -1;
        accepted = host->PreLogin(&request, &result);
        *code = result.m_nCode;
    }
    free(hex);
    TessalyStringFree(&request.m_strUserName);
    TessalyStringFree(&request.m_strPassword);
    TessalyStringFree(&result.m_strMessage);
    return accepted;
}

void example_expect(const char *what, long got, long want, int *failures)
{
    if (got == want) {
        printf("%s: %ld\n", what, got);
    } else {
        printf("%s: %ld (expected %ld)\n", what, got, want);
        ++*failures;
    }
    fflush(stdout);
}
