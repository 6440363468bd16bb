# The four companions as Windows DLLs, from the same sources as the Linux libraries; the part that
# differs by system (WinHTTP, BCrypt, the registry, file handles) sits in its own file beside the
# Linux one. Each DLL exports exactly what its .def file lists (cdecl, undecorated names on 32-bit
# too) and, linked -static, imports only Windows system DLLs.

# tessaly_companion(<Name> SOURCES <files...> LIBS <libs...>) builds <Name>.dll from <name>/<Name>.def.
function(tessaly_companion name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  string(TOLOWER ${name} folder)
  add_library(${name} SHARED ${ARG_SOURCES} common/RuntimeRelease.cpp ${folder}/${name}.def)
  set_target_properties(${name} PROPERTIES
    PREFIX ""
    OUTPUT_NAME ${name}
    RUNTIME_OUTPUT_DIRECTORY ${TESSALY_OUT_DIR})
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/common)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_link_options(${name} PRIVATE -Wl,--no-undefined)
endfunction()

# The cipher text format on BCrypt, also linked by the companion tests (see CMakeLists.txt).
add_library(companion_cipher STATIC cyvelle/CipherText.cpp common/CryptoBCrypt.cpp)
target_include_directories(companion_cipher PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/common ${CMAKE_CURRENT_SOURCE_DIR}/cyvelle)
target_link_libraries(companion_cipher PUBLIC bcrypt)

tessaly_companion(Trelvin SOURCES trelvin/Trelvin.cpp common/HttpWinHttp.cpp LIBS winhttp)
tessaly_companion(Cyvelle SOURCES cyvelle/Cyvelle.cpp LIBS companion_cipher)
tessaly_companion(Parvex SOURCES parvex/Parvex.cpp parvex/ParvexSettings.cpp parvex/SystemIdentityWin32.cpp
  common/CryptoBCrypt.cpp LIBS bcrypt advapi32)
tessaly_companion(Dunmore SOURCES dunmore/Dunmore.cpp dunmore/FormBody.cpp dunmore/TargetFilesWin32.cpp
  common/HttpWinHttp.cpp LIBS winhttp)

add_custom_target(tessaly_companions DEPENDS Trelvin Cyvelle Parvex Dunmore)
