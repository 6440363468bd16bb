/*
 * What the C and C++ example hosts share: loading libtessaly.so, enciphering a password with the
 * cipher library installed beside it, one PreLogin call, and reporting results.
 */
#ifndef TESSALY_EXAMPLE_HOST_H
#define TESSALY_EXAMPLE_HOST_H

#include <tessaly/tessaly.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct ExampleHost {
    void *module;
    int (*PreLogin)(PreLoginRequest *request, PreLoginResult *result);
    int (*Redirect)(void);
    char folder[4096]; /* the module's folder, ending in '/' */
} ExampleHost;

/* The module to load: the first argument, else $TESSALY_MODULE, else the path compiled in. */
const char *example_module_path(int argc, char **argv);

/* Loads the module and finds both exports. 0 on success; -1 with a message on stderr. */
int example_host_open(ExampleHost *host, const char *module_path);
void example_host_close(ExampleHost *host);

/* Enciphers `password` with Cyvelle.so beside the module and calls PreLogin. Returns what PreLogin
 * returned (1 accepted, 0 not) and stores the reply code; -1 when the password could not be enciphered. */
int example_prelogin(const ExampleHost *host, const char *user, const char *password, int *code);

/* Prints "what: got (expected want)" and counts a mismatch in *failures. */
void example_expect(const char *what, long got, long want, int *failures);

#ifdef __cplusplus
}
#endif

#endif
