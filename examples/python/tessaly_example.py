#!/usr/bin/env python3
"""A Python host that uses libtessaly.so through ctypes alone.

It publishes its window list in this process's shared block, signs in with the right and a wrong
password, runs the redirect window, and exits with 0 when every result is the expected one.

    tessaly_example.py [path/to/libtessaly.so]    (else $TESSALY_MODULE, else the built library)
"""
import ctypes
import ctypes.util
import mmap
import os
import struct
import sys

SHARED_BLOCK_PREFIX = "/095DE3F0-3D4C-4b8c-A55B-AFD0060C093B"
SHARED_BLOCK_SIZE = 1024
PASSWORD_KEY = b"58074319"
# The build writes the library's path here in its copy of this script.
DEFAULT_MODULE = "@TESSALY_MODULE_PATH@"

libc = ctypes.CDLL(ctypes.util.find_library("c"), use_errno=True)
libc.malloc.restype = ctypes.c_void_p
libc.malloc.argtypes = [ctypes.c_size_t]
libc.free.argtypes = [ctypes.c_void_p]
libc.shm_open.argtypes = [ctypes.c_char_p, ctypes.c_int, ctypes.c_uint]
libc.shm_unlink.argtypes = [ctypes.c_char_p]


class PreLoginRequest(ctypes.Structure):
    _fields_ = [("m_strUserName", ctypes.c_void_p), ("m_reserved1", ctypes.c_void_p),
                ("m_reserved2", ctypes.c_void_p), ("m_strPassword", ctypes.c_void_p)]


class PreLoginResult(ctypes.Structure):
    _fields_ = [("m_strMessage", ctypes.c_void_p), ("m_nCode", ctypes.c_int32)]


class WndMsgList(ctypes.Structure):
    _fields_ = [("classTable", ctypes.c_void_p), ("items", ctypes.c_void_p), ("count", ctypes.c_ssize_t),
                ("capacity", ctypes.c_ssize_t), ("growBy", ctypes.c_ssize_t)]


def host_string(text):
    """A malloc'ed, NUL-terminated UTF-16 copy of text, as the library expects (it frees it with free)."""
    data = text.encode("utf-16-le") + b"\0\0"
    buffer = libc.malloc(len(data))
    ctypes.memmove(buffer, data, len(data))
    return buffer


def shared_block_name():
    return f"{SHARED_BLOCK_PREFIX}.{os.getpid()}".encode()


def publish_window_list(windows):
    """Does what TessalyPublishWndMsgList of the C header does: the list's address, this process's
    pid and start time (field 22 of /proc/self/stat) in this process's block; None withdraws."""
    with open("/proc/self/stat") as stat:
        start_time = int(stat.read().rpartition(")")[2].split()[19])
    identity = struct.pack("<QQ", os.getpid(), start_time)
    fd = libc.shm_open(shared_block_name(), os.O_RDWR | os.O_CREAT, 0o600)
    if fd < 0:
        raise OSError(ctypes.get_errno(), "cannot open the shared block")
    try:
        info = os.fstat(fd)
        if info.st_uid != os.geteuid() or info.st_mode & 0o077:
            raise PermissionError("the shared block belongs to someone else")
        if info.st_size < SHARED_BLOCK_SIZE:
            os.ftruncate(fd, SHARED_BLOCK_SIZE)
        with mmap.mmap(fd, SHARED_BLOCK_SIZE) as block:
            if block[40:56] != identity:  # left by an earlier process of this pid
                block[:] = bytes(SHARED_BLOCK_SIZE)
            block[40:56] = identity
            block[32:40] = struct.pack("<Q", ctypes.addressof(windows) if windows is not None else 0)
    finally:
        os.close(fd)
    if windows is None:
        libc.shm_unlink(shared_block_name())


def encipher(folder, password):
    """The password as the library takes it: enciphered by Cyvelle.so, written in hexadecimal."""
    cipher = ctypes.CDLL(os.path.join(folder, "Cyvelle.so"))
    out = ctypes.create_string_buffer(len(password) + 64)
    length = ctypes.c_int(len(out))
    clear = password.encode()
    if cipher.Zel_Encrypt(PASSWORD_KEY, len(PASSWORD_KEY), clear, len(clear), out, ctypes.byref(length)) != 0:
        raise RuntimeError("Zel_Encrypt failed")
    return out.raw[:length.value].hex().upper()


def prelogin(tessaly, folder, user, password):
    request, result = PreLoginRequest(), PreLoginResult()
    request.m_strUserName = host_string(user)
    request.m_strPassword = host_string(encipher(folder, password))
    result.m_nCode = -1
    accepted = tessaly.PreLogin(ctypes.byref(request), ctypes.byref(result))
    for pointer in (request.m_strUserName, request.m_strPassword, result.m_strMessage):
        libc.free(pointer)
    return accepted, result.m_nCode


def main():
    module = (sys.argv[1] if len(sys.argv) > 1 else os.environ.get("TESSALY_MODULE")
              or (DEFAULT_MODULE if not DEFAULT_MODULE.startswith("@") else "libtessaly.so"))
    tessaly = ctypes.CDLL(module)
    tessaly.PreLogin.argtypes = [ctypes.POINTER(PreLoginRequest), ctypes.POINTER(PreLoginResult)]
    folder = os.path.dirname(module)
    windows = WndMsgList()  # lives as long as the library may use it
    publish_window_list(windows)

    failures = 0

    def expect(what, got, want):
        nonlocal failures
        print(f"{what}: {got}" + ("" if got == want else f" (expected {want})"), flush=True)
        failures += got != want

    expect("PreLogin with the right password", prelogin(tessaly, folder, "alice", "wonderland"), (1, 0))
    expect("PreLogin with a wrong password", prelogin(tessaly, folder, "alice", "guess"), (0, -102))
    expect("Redirect", tessaly.Redirect(), 1)
    expect("window listed while open", windows.capacity > 0, True)
    expect("windows listed afterwards", windows.count, 0)

    publish_window_list(None)
    libc.free(windows.items)
    return 0 if failures == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
