# The Windows package: a ZIP (CPack) with the five DLLs, Config\, tessaly-host.exe, the header, the
# export list for clients that link against an import library, and a short readme. Made by
# scripts/package-windows.sh from build-win32/.
install(TARGETS tessaly RUNTIME DESTINATION . LIBRARY DESTINATION .)
foreach(_companion Trelvin Cyvelle Parvex Dunmore)
  if(TARGET ${_companion})
    install(TARGETS ${_companion} RUNTIME DESTINATION . LIBRARY DESTINATION .)
  endif()
endforeach()
if(TARGET tessaly-host)
  install(TARGETS tessaly-host RUNTIME DESTINATION .)
endif()
install(DIRECTORY ${TESSALY_OUT_DIR}/Config DESTINATION .
        PATTERN "UILogTrace.txt*" EXCLUDE)
install(FILES ${PROJECT_SOURCE_DIR}/include/tessaly/tessaly.h DESTINATION include/tessaly)
install(FILES ${PROJECT_SOURCE_DIR}/src/module/Tessaly.def ${CMAKE_CURRENT_LIST_DIR}/windows/README-Windows.txt
        DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME tessaly)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_SYSTEM_NAME win32)
set(CPACK_PACKAGE_FILE_NAME tessaly-${PROJECT_VERSION}-win32)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
