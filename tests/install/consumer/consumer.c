/* Loads the module from the path its build found, and calls PreLogin for a user name and an
 * enciphered password given on the command line. Prints the reply code; exits 0 when accepted. */
#include <dlfcn.h>
#include <stdio.h>
#include <tessaly/tessaly.h>

typedef int (*PreLoginFn)(PreLoginRequest *, PreLoginResult *);

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: consumer USER PASSWORD-HEX\n");
        return 2;
    }
    void *module = dlopen(TESSALY_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        fprintf(stderr, "consumer: %s\n", dlerror());
        return 1;
    }
    PreLoginFn preLogin = (PreLoginFn)dlsym(module, "PreLogin");
    if (!preLogin || !dlsym(module, "Redirect")) {
        fprintf(stderr, "consumer: the module lacks its exports\n");
        return 1;
    }
    PreLoginRequest request = {0};
    PreLoginResult result = {0};
    TessalyStringSetUtf8(&request.m_strUserName, argv[1]);
    TessalyStringSetUtf8(&request.m_strPassword, argv[2]);
    const int accepted = preLogin(&request, &result);
    printf("code %d\n", (int)result.m_nCode);
    TessalyStringFree(&request.m_strUserName);
    TessalyStringFree(&request.m_strPassword);
    TessalyStringFree(&result.m_strMessage);
    dlclose(module);
    return accepted == 1 ? 0 : 3;
}
