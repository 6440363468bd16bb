# The Windows build as shipped: 32-bit Tessaly.dll and its companions.
set(TESSALY_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
