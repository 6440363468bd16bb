/*
 * Tessaly host interface.
 *
 * libtessaly.so exports exactly two C functions, PreLogin and Redirect. This header declares them and
 * the records that cross the boundary. It is plain C (usable from C and C++) and depends on nothing
 * but the C library and its POSIX functions (in a strict ISO C mode, define _POSIX_C_SOURCE 200809L
 * before the first #include).
 *
 * Calling order
 *   1. dlopen("…/libtessaly.so") — loading runs the library's start-up (trace log set up from
 *      Config/UILogTrace.txt beside the library, tracing switches read from the settings store).
 *   2. Call PreLogin and Redirect in any order and as often as needed, from any thread. Redirect's
 *      modal GTK window always runs on the process's one UI thread: the thread that runs the default
 *      GLib main context (a GTK host's main loop), or, when nothing does, a thread the library starts
 *      and keeps; a call from another thread waits there for the window's end code. Never block the UI
 *      thread while it waits for a Redirect called from another thread. The process locale is never
 *      changed. See the README, "Using the library from your program".
 *   3. dlclose() last; this runs the library's shut-down. The GUI toolkit and browser engine libraries
 *      that the library brought in stay loaded for the rest of the process (their own threads outlive
 *      any unload), so the library may be loaded and unloaded again any number of times; once it has
 *      started a UI thread of its own, or served a call from another thread, the library itself stays
 *      loaded too.
 *
 * Companion libraries
 *   Trelvin.so, Parvex.so and Dunmore.so are loaded from the library's own folder. Cyvelle.so (the
 *   password cipher) is loaded from the host executable's folder first and, when it is not there,
 *   from the library's own folder; so a host whose executable lives elsewhere (a Python program runs
 *   /usr/bin/python3) uses the copy installed beside the library.
 *
 * Strings
 *   A TessalyString is one pointer: NULL (the empty string) or a NUL-terminated UTF-16 buffer that was
 *   obtained from malloc. Whoever replaces a value frees the old buffer with free(); host and library
 *   share the C heap. Use the inline helpers below to set, read and free them.
 *
 * Shared data block and the window message list
 *   A host that wants to close open redirect windows publishes the address of its window message list,
 *   a TessalyWndMsgList living in the host process, with TessalyPublishWndMsgList below. That helper
 *   keeps the POSIX shared memory object TESSALY_SHARED_BLOCK_PREFIX "." <pid of the host process, in
 *   decimal> (1024 bytes, mode 0600): the list address (8 bytes) at byte offset 32, the publishing
 *   process's pid at offset 40 and its start time at offset 48 (clock ticks since boot, field 22 of
 *   /proc/<pid>/stat; both 8 bytes, little-endian). The library uses the address only when both
 *   identity fields are its own process's, so a block left behind by a crashed process never counts.
 *   Each redirect window adds one TessalyWndMsgItem {TESSALY_WM_PRELOGIN_CLOSE, X11 window id} while
 *   it runs and removes it again when it is destroyed. Storage of the list comes from
 *   malloc/realloc/free.
 *
 * Closing redirect windows from the host
 *   Call TessalyPostWindowMessage(entry.window, TESSALY_WM_PRELOGIN_CLOSE, wParam, lParam) for each
 *   listed window, from any thread of the host process. It works for windows of every kind: on X11
 *   the entry holds the window's X11 id; on other window systems (Wayland) it holds a channel value,
 *   a number with TESSALY_CHANNEL_WINDOW_FLAG set, which never equals an X11 id (X11 ids keep their
 *   top three bits clear). The message travels over the library's in-process channel, whose name the
 *   library keeps in the shared data block from TESSALY_SHARED_CHANNEL_OFFSET on while one of its
 *   windows is registered; the library drops a message for any value that is not one of its open
 *   windows, and records that come from another process.
 *   An X11 window can still be closed the older way: an X11 ClientMessage (format 32) whose
 *   message_type is the atom TESSALY_WINDOW_MESSAGE_ATOM, data.l[0] = TESSALY_WM_PRELOGIN_CLOSE,
 *   data.l[1] = wParam, data.l[2] = lParam, from any thread or process; sending to a window that no
 *   longer exists does no harm.
 *
 * Windows (Tessaly.dll, 32-bit)
 *   The same header serves a Windows host; the differences:
 *   - Load Tessaly.dll with LoadLibraryW and take PreLogin and Redirect with GetProcAddress (cdecl,
 *     undecorated names; TessalyPreLoginProc and TessalyRedirectProc are their types). Tessaly.def in
 *     the package makes an import library for hosts that link instead (lib /def:Tessaly.def).
 *     Trelvin.dll, Parvex.dll, Dunmore.dll and Config\ sit beside Tessaly.dll; Cyvelle.dll beside the
 *     host executable, else beside Tessaly.dll. FreeLibrary last runs the shut-down.
 *   - A TessalyString is NULL or a NUL-terminated UTF-16 (wchar_t) buffer from CoTaskMemAlloc, the
 *     allocator every module of the process shares (and what .NET uses for LPWStr); whoever replaces
 *     a value frees the old one with CoTaskMemFree. The helpers below do so. Link ole32.
 *   - The shared block is a named file mapping on the paging file, TESSALY_SHARED_BLOCK_PREFIX "."
 *     <process id in decimal> in the session's namespace, 1024 bytes: the list address at 32 (8 bytes,
 *     the upper half 0 in a 32-bit host), the process id at 40 and the process creation time at 48
 *     (the FILETIME of GetProcessTimes, 8 bytes). The library trusts the address only when both
 *     identity fields are its own process's. TessalyPublishWndMsgList keeps one handle to the mapping
 *     open while a list is published, so the block lives as long as the publication.
 *   - A list entry holds the redirect window's HWND (32 bits). TessalyPostWindowMessage is PostMessageW
 *     to that window, from any thread; a stale or foreign handle reaches nothing of the library's.
 */
#ifndef TESSALY_TESSALY_H
#define TESSALY_TESSALY_H

#include <errno.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#ifdef _WIN32
#include <windows.h>
#include <objbase.h>
#define TESSALY_HAS_POST_WINDOW_MESSAGE 1
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

/* TessalyPostWindowMessage needs POSIX.1-2008 (the default with GCC and Clang; a host built with a
 * strict -std=c11 defines _POSIX_C_SOURCE to 200809L before its first include). */
#if defined(__unix__) && defined(_POSIX_C_SOURCE) && _POSIX_C_SOURCE >= 200809L
#define TESSALY_HAS_POST_WINDOW_MESSAGE 1
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#if defined(_WIN32)
/* Tessaly.dll's exports are listed in its .def file; nothing else is exported. */
#define TESSALY_EXPORT
#define TESSALY_CALL __cdecl
#elif defined(__GNUC__)
#define TESSALY_EXPORT __attribute__((visibility("default")))
#define TESSALY_CALL
#else
#define TESSALY_EXPORT
#define TESSALY_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif
#if defined(_WIN32)
typedef wchar_t TessalyChar;
#elif defined(__cplusplus)
typedef char16_t TessalyChar;
#else
#include <uchar.h>
typedef char16_t TessalyChar;
#endif

/* NULL or a NUL-terminated UTF-16 buffer from malloc (Linux) or CoTaskMemAlloc (Windows). */
typedef TessalyChar *TessalyString;

typedef struct PreLoginRequest {
    TessalyString m_strUserName; /* user name, sent to the login service */
    void *m_reserved1;           /* never read or written by the library */
    void *m_reserved2;           /* never read or written by the library */
    TessalyString m_strPassword; /* in: enciphered password as hexadecimal text;
                                    out: the configured "Pwd" item, or NULL */
} PreLoginRequest;

typedef struct PreLoginResult {
    TessalyString m_strMessage; /* message for a refused or failed login; untouched when accepted */
    int32_t m_nCode;            /* the service's reply code; 0 = accepted; -1 = no reply */
} PreLoginResult;

/* Returns 1 when the login service accepted the credentials (reply code 0), otherwise 0. */
TESSALY_EXPORT int TESSALY_CALL PreLogin(PreLoginRequest *request, PreLoginResult *result);

/* Runs the modal redirect window; returns its end code (1 OK, 2 cancel, 6 yes, 7 no), or -1 when no
 * window could be created (for example when there is no display). */
TESSALY_EXPORT int TESSALY_CALL Redirect(void);

/* The exports' types, for a host that resolves them at run time (dlsym, GetProcAddress). */
typedef int(TESSALY_CALL *TessalyPreLoginProc)(PreLoginRequest *request, PreLoginResult *result);
typedef int(TESSALY_CALL *TessalyRedirectProc)(void);

/* The block's name is this prefix, ".", and the host process's pid in decimal. */
#ifdef _WIN32
#define TESSALY_SHARED_BLOCK_PREFIX "095DE3F0-3D4C-4b8c-A55B-AFD0060C093B"
#else
#define TESSALY_SHARED_BLOCK_PREFIX "/095DE3F0-3D4C-4b8c-A55B-AFD0060C093B"
#endif
#define TESSALY_SHARED_BLOCK_SIZE 1024
#define TESSALY_SHARED_LIST_OFFSET 32
#define TESSALY_SHARED_PID_OFFSET 40
#define TESSALY_SHARED_START_TIME_OFFSET 48
#define TESSALY_WINDOW_MESSAGE_ATOM "_TESSALY_WINDOW_MESSAGE"
#define TESSALY_WM_PRELOGIN_INFO_DONE 0x2401u
#define TESSALY_WM_PRELOGIN_CLOSE 0x2402u

/* A window value with this bit set is a channel value, never an X11 window id. */
#define TESSALY_CHANNEL_WINDOW_FLAG 0x80000000u
/* Bytes 64..127 of the shared data block: the name of the library's channel in the abstract socket
 * namespace, NUL-terminated, "tessaly.<pid>.<token>"; all zero while there is none. */
#define TESSALY_SHARED_CHANNEL_OFFSET 64
#define TESSALY_SHARED_CHANNEL_SIZE 64
#define TESSALY_CHANNEL_NAME_PREFIX "tessaly."
#define TESSALY_CHANNEL_RECORD_MAGIC 0x574C5354u

typedef struct TessalyWndMsgItem {
    uint32_t message; /* TESSALY_WM_PRELOGIN_CLOSE */
    uint32_t window;  /* X11 window id, or a channel value (TESSALY_CHANNEL_WINDOW_FLAG set); on
                         Windows the window's HWND */
} TessalyWndMsgItem;

/* One datagram on the channel; anything of another size or magic is dropped. */
typedef struct TessalyWindowMessageRecord {
    uint32_t magic;   /* TESSALY_CHANNEL_RECORD_MAGIC */
    uint32_t window;  /* the list entry's window value */
    uint32_t message; /* for example TESSALY_WM_PRELOGIN_CLOSE */
    uint32_t reserved; /* 0 */
    uint64_t wParam;
    int64_t lParam;
} TessalyWindowMessageRecord;

/* The host's growable array object; every field is pointer-sized. Its storage comes from
 * malloc/realloc/free of the C runtime the library was built with on Linux; on Windows from the
 * process heap (HeapAlloc/HeapReAlloc/HeapFree on GetProcessHeap()), which host and library share. */
typedef struct TessalyWndMsgList {
    void *classTable;          /* owner's bookkeeping; never touched by the library */
    TessalyWndMsgItem *items;  /* malloc'ed storage, or NULL */
    intptr_t count;            /* number of entries in use */
    intptr_t capacity;         /* number of entries allocated */
    intptr_t growBy;           /* growth step; 0 = automatic */
} TessalyWndMsgList;

/* ---- Publishing the window message list ------------------------------------------------------ */

/* Writes the list address and the identity `fields` ({address, process id, start time}) into a mapped
 * shared block, clearing it first when it carries another process's identity. Used by
 * TessalyPublishWndMsgList. */
static inline void TessalyWriteSharedBlock(unsigned char *block, const uint64_t fields[3])
{
    uint64_t held[2] = {0, 0};
    int i, k;
    for (k = 0; k < 2; ++k)
        for (i = 7; i >= 0; --i)
            held[k] = (held[k] << 8) | block[TESSALY_SHARED_PID_OFFSET + 8 * k + i];
    if (held[0] != fields[1] || held[1] != fields[2])
        memset(block, 0, TESSALY_SHARED_BLOCK_SIZE);
    for (k = 2; k >= 0; --k) /* identity before the address */
        for (i = 0; i < 8; ++i)
            block[TESSALY_SHARED_LIST_OFFSET + 8 * k + i] = (unsigned char)(fields[k] >> (8 * i));
}

#ifdef _WIN32
/* Publishes `list` for the library in this process: creates or opens this process's shared block (a
 * named mapping on the paging file, TESSALY_SHARED_BLOCK_PREFIX "." process id, 1024 bytes) and writes
 * the list address with this process's identity (id and creation time). A block of another process
 * under the same name is cleared first. One handle to the mapping stays open while a list is
 * published, so the block lives until NULL withdraws it (the address becomes 0 and the handle is
 * closed). Call it from one place of the host. Returns 0, or -1 with errno set. */
static inline int TessalyPublishWndMsgList(TessalyWndMsgList *list)
{
    static HANDLE held_mapping = NULL;
    wchar_t name[64];
    char narrow[64];
    unsigned char *block;
    FILETIME created, exited, kernel, user;
    uint64_t fields[3] = {0, (uint64_t)GetCurrentProcessId(), 0}; /* address, id, creation time */
    HANDLE mapping;
    int i;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
        errno = EACCES;
        return -1;
    }
    fields[2] = ((uint64_t)created.dwHighDateTime << 32) | created.dwLowDateTime;
    snprintf(narrow, sizeof narrow, "%s.%lu", TESSALY_SHARED_BLOCK_PREFIX, (unsigned long)fields[1]);
    for (i = 0; narrow[i]; ++i)
        name[i] = (wchar_t)narrow[i];
    name[i] = 0;
    mapping = list ? CreateFileMappingW(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, TESSALY_SHARED_BLOCK_SIZE, name)
                   : OpenFileMappingW(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name);
    if (!mapping) {
        if (!list)
            return 0;
        errno = EACCES;
        return -1;
    }
    block = (unsigned char *)MapViewOfFile(mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, TESSALY_SHARED_BLOCK_SIZE);
    if (!block) {
        CloseHandle(mapping);
        errno = EACCES;
        return -1;
    }
    fields[0] = (uint64_t)(uintptr_t)list;
    TessalyWriteSharedBlock(block, fields);
    UnmapViewOfFile(block);
    if (list && !held_mapping) {
        held_mapping = mapping;
    } else {
        CloseHandle(mapping);
        if (!list && held_mapping) {
            CloseHandle(held_mapping);
            held_mapping = NULL;
        }
    }
    return 0;
}
#else
/* Publishes `list` for the library in this process: creates or opens this process's shared block
 * (TESSALY_SHARED_BLOCK_PREFIX "." pid, 1024 bytes, mode 0600) and writes the list address with this
 * process's identity. A block left behind by an earlier process of the same pid is cleared first.
 * NULL withdraws: the address becomes 0 and the block is removed. Call it from the process that owns
 * the list (after a fork, the child publishes its own). Returns 0, or -1 with errno set. */
static inline int TessalyPublishWndMsgList(TessalyWndMsgList *list)
{
    char name[64], stat_text[1024];
    unsigned char *block;
    uint64_t fields[3] = {0, (uint64_t)getpid(), 0}; /* address, pid, start time */
    const char *p;
    struct stat info;
    ssize_t got = 0;
    int fd, field;
    snprintf(name, sizeof name, "%s.%ld", TESSALY_SHARED_BLOCK_PREFIX, (long)getpid());
    fd = open("/proc/self/stat", O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        got = read(fd, stat_text, sizeof stat_text - 1);
        close(fd);
    }
    stat_text[got > 0 ? got : 0] = 0;
    /* Field 22 is the 20th after the command name, which ends at the last ')'. */
    p = strrchr(stat_text, ')');
    for (field = 2; p && *p && field < 22; ++p)
        if (*p == ' ')
            ++field;
    while (p && *p >= '0' && *p <= '9')
        fields[2] = fields[2] * 10 + (uint64_t)(*p++ - '0');
    if (fields[2] == 0) {
        errno = ENOENT;
        return -1;
    }
    fd = shm_open(name, O_RDWR | O_CLOEXEC | (list ? O_CREAT : 0), 0600);
    if (fd < 0)
        return list || errno != ENOENT ? -1 : 0;
    /* Only a block of this user that nobody else may touch; a foreign one is refused. */
    if (fstat(fd, &info) != 0 || info.st_uid != geteuid() || (info.st_mode & 077) != 0) {
        close(fd);
        errno = EPERM;
        return -1;
    }
    if (info.st_size < TESSALY_SHARED_BLOCK_SIZE && ftruncate(fd, TESSALY_SHARED_BLOCK_SIZE) != 0) {
        close(fd);
        return -1;
    }
    block = (unsigned char *)mmap(NULL, TESSALY_SHARED_BLOCK_SIZE, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    if (block == MAP_FAILED)
        return -1;
    fields[0] = (uint64_t)(uintptr_t)list;
    TessalyWriteSharedBlock(block, fields);
    munmap(block, TESSALY_SHARED_BLOCK_SIZE);
    if (!list)
        shm_unlink(name);
    return 0;
}
#endif

/* ---- String helpers ------------------------------------------------------------------------ */

static inline size_t TessalyStringLength(const TessalyChar *s)
{
    size_t n = 0;
    if (s)
        while (s[n])
            ++n;
    return n;
}

/* Frees *s and sets it to NULL. */
static inline void TessalyStringFree(TessalyString *s)
{
    if (s && *s) {
#ifdef _WIN32
        CoTaskMemFree(*s);
#else
        free(*s);
#endif
        *s = NULL;
    }
}

/* Replaces *s with a copy of the first `length` units of `text` (NULL/0 makes it empty).
 * Returns 0 on success, -1 when memory ran out (the old value is then kept). */
static inline int TessalyStringSetN(TessalyString *s, const TessalyChar *text, size_t length)
{
    TessalyChar *copy = NULL;
    if (!s)
        return -1;
    if (text && length > 0) {
        if (length > (SIZE_MAX / sizeof(TessalyChar)) - 1)
            return -1;
#ifdef _WIN32
        copy = (TessalyChar *)CoTaskMemAlloc((length + 1) * sizeof(TessalyChar));
#else
        copy = (TessalyChar *)malloc((length + 1) * sizeof(TessalyChar));
#endif
        if (!copy)
            return -1;
        memcpy(copy, text, length * sizeof(TessalyChar));
        copy[length] = 0;
    }
    TessalyStringFree(s);
    *s = copy;
    return 0;
}

static inline int TessalyStringSet(TessalyString *s, const TessalyChar *text)
{
    return TessalyStringSetN(s, text, TessalyStringLength(text));
}

/* Sets *s from UTF-8 text (invalid sequences become U+FFFD). Returns 0, or -1 when out of memory. */
static inline int TessalyStringSetUtf8(TessalyString *s, const char *utf8)
{
    size_t n = utf8 ? strlen(utf8) : 0, i = 0, out = 0;
    TessalyChar *buf;
    int rc;
    if (!s)
        return -1;
    buf = (TessalyChar *)malloc((n + 1) * sizeof(TessalyChar));
    if (!buf)
        return -1;
    while (i < n) {
        unsigned char c = (unsigned char)utf8[i];
        uint32_t cp = 0xFFFD;
        size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (len == 0 || i + len > n) {
            ++i;
        } else {
            size_t k;
            int ok = 1;
            cp = len == 1 ? c : len == 2 ? (c & 0x1Fu) : len == 3 ? (c & 0x0Fu) : (c & 0x07u);
            for (k = 1; k < len; ++k) {
                unsigned char cc = (unsigned char)utf8[i + k];
                if ((cc & 0xC0) != 0x80) {
                    ok = 0;
                    break;
                }
                cp = (cp << 6) | (cc & 0x3Fu);
            }
            if (!ok || (len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) ||
                cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
                cp = 0xFFFD;
                i += 1;
            } else {
                i += len;
            }
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            buf[out++] = (TessalyChar)(0xD800 + (cp >> 10));
            buf[out++] = (TessalyChar)(0xDC00 + (cp & 0x3FF));
        } else {
            buf[out++] = (TessalyChar)cp;
        }
    }
    rc = TessalyStringSetN(s, buf, out);
    free(buf);
    return rc;
}

/* Writes *s as UTF-8 into `out` (capacity bytes, always NUL-terminated when capacity > 0; unpaired
 * surrogates become U+FFFD). A text that does not fit is cut before the first character that does not
 * fit whole, so the buffer always holds well-formed UTF-8. Returns the number of bytes the whole text
 * needs, without the NUL. */
static inline size_t TessalyStringToUtf8(const TessalyChar *s, char *out, size_t capacity)
{
    size_t need = 0, written = 0, i = 0, n = TessalyStringLength(s);
    int full = 0;
    while (i < n) {
        uint32_t cp = s[i++];
        unsigned char tmp[4];
        size_t len, k;
        if (cp >= 0xD800 && cp <= 0xDBFF && i < n && s[i] >= 0xDC00 && s[i] <= 0xDFFF)
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i++] - 0xDC00);
        else if (cp >= 0xD800 && cp <= 0xDFFF)
            cp = 0xFFFD;
        if (cp < 0x80) {
            tmp[0] = (unsigned char)cp;
            len = 1;
        } else if (cp < 0x800) {
            tmp[0] = (unsigned char)(0xC0 | (cp >> 6));
            tmp[1] = (unsigned char)(0x80 | (cp & 0x3F));
            len = 2;
        } else if (cp < 0x10000) {
            tmp[0] = (unsigned char)(0xE0 | (cp >> 12));
            tmp[1] = (unsigned char)(0x80 | ((cp >> 6) & 0x3F));
            tmp[2] = (unsigned char)(0x80 | (cp & 0x3F));
            len = 3;
        } else {
            tmp[0] = (unsigned char)(0xF0 | (cp >> 18));
            tmp[1] = (unsigned char)(0x80 | ((cp >> 12) & 0x3F));
            tmp[2] = (unsigned char)(0x80 | ((cp >> 6) & 0x3F));
            tmp[3] = (unsigned char)(0x80 | (cp & 0x3F));
            len = 4;
        }
        if (out && !full && written + len < capacity) {
            for (k = 0; k < len; ++k)
                out[written++] = (char)tmp[k];
        } else {
            full = 1;
        }
        need += len;
    }
    if (out && capacity > 0)
        out[written] = 0;
    return need;
}

/* ---- Posting to a listed window ---------------------------------------------------------- */

#if defined(_WIN32)
/* Posts `message` (with wParam and lParam) to the listed window `window` (its HWND) with PostMessageW.
 * Safe from any thread; never blocks. Returns 1 when the message was posted, 0 otherwise (no such
 * window, or its queue is full). A stale or foreign handle reaches nothing of the library's. */
static inline int TessalyPostWindowMessage(uint32_t window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    /* No window is no target: PostMessageW would post a NULL window's message to this thread's queue. */
    if (window == 0 || !IsWindow((HWND)(uintptr_t)window))
        return 0;
    return PostMessageW((HWND)(uintptr_t)window, (UINT)message, (WPARAM)wParam, (LPARAM)lParam) ? 1 : 0;
}
#elif defined(TESSALY_HAS_POST_WINDOW_MESSAGE)
/* Posts `message` (with wParam and lParam) to the listed window `window`, of either kind, through the
 * library's in-process channel. Safe from any thread of the host process; never blocks. Returns 1
 * when the message was handed to the channel, 0 when this process has no channel (no redirect window
 * registered, no shared data block, or the queue is full). The library then looks the value up among
 * its open windows and drops it when it is not one of them, so a stale entry or a made-up value
 * reaches nothing. The channel name is taken only when it names this process; the one socket used
 * is opened and closed here, and no descriptor number is ever read from shared memory. */
static inline int TessalyPostWindowMessage(uint32_t window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    char name[TESSALY_SHARED_CHANNEL_SIZE];
    char prefix[sizeof TESSALY_CHANNEL_NAME_PREFIX + 24];
    char blockName[64];
    struct sockaddr_un address;
    struct stat info;
    TessalyWindowMessageRecord record;
    unsigned long pid = (unsigned long)getpid();
    size_t nameLength, prefixLength;
    ssize_t sent;
    void *block;
    int fd;
    snprintf(blockName, sizeof blockName, "%s.%lu", TESSALY_SHARED_BLOCK_PREFIX, pid);
    fd = shm_open(blockName, O_RDONLY | O_CLOEXEC, 0);
    if (fd < 0)
        return 0;
    block = fstat(fd, &info) == 0 && info.st_size >= TESSALY_SHARED_BLOCK_SIZE
                ? mmap(NULL, TESSALY_SHARED_BLOCK_SIZE, PROT_READ, MAP_SHARED, fd, 0)
                : MAP_FAILED;
    close(fd);
    if (block == MAP_FAILED)
        return 0;
    memcpy(name, (const char *)block + TESSALY_SHARED_CHANNEL_OFFSET, sizeof name);
    munmap(block, TESSALY_SHARED_BLOCK_SIZE);
    /* Only a complete name of this very process: "tessaly.<pid>." and a token. */
    prefixLength = (size_t)snprintf(prefix, sizeof prefix, "%s%lu.", TESSALY_CHANNEL_NAME_PREFIX, pid);
    if (!memchr(name, 0, sizeof name))
        return 0;
    nameLength = strlen(name);
    if (nameLength <= prefixLength || memcmp(name, prefix, prefixLength) != 0)
        return 0;
    memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    memcpy(address.sun_path + 1, name, nameLength); /* sun_path[0] == 0: the abstract namespace */
    memset(&record, 0, sizeof record);
    record.magic = TESSALY_CHANNEL_RECORD_MAGIC;
    record.window = window;
    record.message = message;
    record.wParam = (uint64_t)wParam;
    record.lParam = (int64_t)lParam;
    fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return 0;
    sent = sendto(fd, &record, sizeof record, MSG_DONTWAIT | MSG_NOSIGNAL, (const struct sockaddr *)&address,
                  (socklen_t)(offsetof(struct sockaddr_un, sun_path) + 1 + nameLength));
    close(fd);
    return sent == (ssize_t)sizeof record;
}
#endif

#ifdef __cplusplus
}
#endif

#endif /* TESSALY_TESSALY_H */
