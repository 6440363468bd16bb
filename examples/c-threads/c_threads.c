/*
 * A plain C host with threads: two threads sign in (the right and a wrong password) while the main
 * thread runs the redirect window. The library starts the user interface it needs by itself.
 *
 *   tessaly-example-c-threads [path/to/libtessaly.so]
 */
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>

#include "example_host.h"

typedef struct SignIn {
    const ExampleHost *host;
    const char *user, *password;
    int accepted, code;
} SignIn;

static void *sign_in(void *data)
{
    SignIn *s = data;
    s->accepted = example_prelogin(s->host, s->user, s->password, &s->code);
    return NULL;
}

int main(int argc, char **argv)
{
    /* The list through which this host could close the library's windows; it must live as long as
     * the library may use it. */
    static TessalyWndMsgList windows;
    ExampleHost host;
    SignIn right, wrong;
    pthread_t threads[2];
    int failures = 0;

    if (example_host_open(&host, example_module_path(argc, argv)) != 0)
        return 1;
    if (TessalyPublishWndMsgList(&windows) != 0) {
        perror("publishing the window list");
        return 1;
    }

    right = (SignIn){&host, "alice", "wonderland", -1, -1};
    wrong = (SignIn){&host, "alice", "not her password", -1, -1};
    pthread_create(&threads[0], NULL, sign_in, &right);
    pthread_create(&threads[1], NULL, sign_in, &wrong);
    example_expect("Redirect", host.Redirect(), 1, &failures);
    pthread_join(threads[0], NULL);
    pthread_join(threads[1], NULL);
    example_expect("PreLogin with the right password", right.accepted, 1, &failures);
    example_expect("  reply code", right.code, 0, &failures);
    example_expect("PreLogin with a wrong password", wrong.accepted, 0, &failures);
    example_expect("  reply code", wrong.code, -102, &failures);
    /* The window listed itself while it was open and took its entry out again. */
    example_expect("window listed while open", windows.capacity > 0, 1, &failures);
    example_expect("windows listed afterwards", (long)windows.count, 0, &failures);

    example_host_close(&host);
    TessalyPublishWndMsgList(NULL);
    free(windows.items);
    return failures == 0 ? 0 : 1;
}
