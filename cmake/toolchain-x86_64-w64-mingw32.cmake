# The same sources for 64-bit Windows. Not shipped: it lets the Windows suite run under Wine on a
# machine that cannot run 32-bit programs (see the README, "Windows").
set(TESSALY_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
