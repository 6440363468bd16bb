#pragma once
// Test-only failure injection: a shared library linked into a test program that stands in front of
// the C library's allocation, file-opening, dlopen and shm_open calls. Once armed for one kind, it
// counts that kind's calls and makes exactly the Nth one fail (NULL / -1 with errno set), so a test
// can walk N over every call a library operation makes.
#ifdef __cplusplus
extern "C" {
#endif

enum TessalyFailKind {
    kFailMalloc = 0,  // malloc, calloc, realloc, aligned allocations (also what operator new uses)
    kFailFopen = 1,   // fopen, fopen64
    kFailOpen = 2,    // open, open64, openat, openat64
    kFailDlopen = 3,  // dlopen
    kFailShmOpen = 4, // shm_open
    kFailKinds = 5
};

// Counts the calling thread's calls of `kind` from now on and fails the `nth` one (1-based); 0 counts without failing.
void TessalyFailShimArm(int kind, long nth);
// Stops counting and failing.
void TessalyFailShimDisarm(void);
// Calls of the armed kind since arming.
long TessalyFailShimCount(void);
// Whether the armed failure has happened.
int TessalyFailShimFired(void);
// File name of the library whose request was refused (empty before any failure).
const char* TessalyFailShimRequester(void);

#ifdef __cplusplus
}
#endif
