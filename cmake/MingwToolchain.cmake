# Shared part of the two mingw-w64 toolchain files; TESSALY_MINGW_TRIPLET names the target.
#
# The posix thread model compilers are the ones with std::thread, std::mutex and
# std::condition_variable in GCC 12; the plain <triplet>-g++ is the win32 model, which lacks them.
# Test programs run through Wine, so ctest and gtest_discover_tests work as on Linux.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${TESSALY_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TESSALY_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TESSALY_MINGW_TRIPLET}-windres)
set(CMAKE_AR ${TESSALY_MINGW_TRIPLET}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${TESSALY_MINGW_TRIPLET}-ranlib CACHE FILEPATH "")
set(CMAKE_OBJDUMP ${TESSALY_MINGW_TRIPLET}-objdump CACHE FILEPATH "")
set(TESSALY_DLLTOOL ${TESSALY_MINGW_TRIPLET}-dlltool)

set(CMAKE_FIND_ROOT_PATH /usr/${TESSALY_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Wine with the project's private prefix and folders (scripts/wine-env.sh), so that nothing is
# written into the user's home and a crash fails at once instead of waiting on a dialog.
if(TESSALY_MINGW_TRIPLET MATCHES "^x86_64")
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh --64)
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
endif()
