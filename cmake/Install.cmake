# Install layout, the files a host's build finds the library with, and the Debian package.
#
#   P/lib/tessaly/          libtessaly.so, the four companions and Config/ (the library finds them
#                           beside itself)
#   P/include/tessaly/      the public header
#   P/bin/                  tessaly-host, tessaly-service
#   P/share/tessaly/        the stand-in service's accounts file, the default machine settings
#   P/share/doc/tessaly/    README, copyright, changelog
#   P/share/man/man1/       the two programs' manual pages
#   P/lib/pkgconfig/        tessaly.pc (for P = /usr: /usr/lib/<multiarch>/pkgconfig, where Debian's
#                           pkg-config looks for the package's architecture)
#   P/lib/cmake/Tessaly/    TessalyConfig.cmake
#   P/etc/tessaly/          the settings an administrator edits (for P = /usr: /etc/tessaly)
#   P/var/lib/tessaly/      Parvex.cfg, the one file the library rewrites (for P = /usr: /var/lib/tessaly)
#
# Config/ links its settings files to etc/ and var/; see cmake/InstallLayout.cmake.
include(CMakePackageConfigHelpers)

set(TESSALY_INSTALL_MODULE_DIR lib/tessaly)

install(TARGETS tessaly Trelvin Cyvelle Parvex Dunmore
  LIBRARY DESTINATION ${TESSALY_INSTALL_MODULE_DIR})
install(TARGETS tessaly-host tessaly-service RUNTIME DESTINATION bin)
install(FILES ${PROJECT_SOURCE_DIR}/include/tessaly/tessaly.h DESTINATION include/tessaly)
install(FILES ${PROJECT_SOURCE_DIR}/service/tessaly-service.users ${PROJECT_SOURCE_DIR}/data/Config/Parvex.cfg
  DESTINATION share/tessaly)
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/changelog.in ${CMAKE_BINARY_DIR}/doc/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/doc/changelog.gz
  COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/doc/changelog
  DEPENDS ${CMAKE_BINARY_DIR}/doc/changelog
  VERBATIM)
add_custom_target(tessaly_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/doc/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${CMAKE_CURRENT_LIST_DIR}/debian/copyright
  ${CMAKE_BINARY_DIR}/doc/changelog.gz
  DESTINATION share/doc/tessaly)

# Manual pages made from the programs' own --help, so they never drift from it.
find_program(TESSALY_HELP2MAN help2man)
if(TESSALY_HELP2MAN)
  set(_man_pages)
  set(_man_name_tessaly-host "stand-in desktop client that loads libtessaly.so")
  set(_man_name_tessaly-service "stand-in login and redirect web service")
  foreach(_program tessaly-host tessaly-service)
    set(_page ${CMAKE_BINARY_DIR}/man/${_program}.1)
    add_custom_command(OUTPUT ${_page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND ${TESSALY_HELP2MAN} --no-info --no-discard-stderr --version-string=${PROJECT_VERSION}
              --section=1 "--name=${_man_name_${_program}}"
      --output=${_page} $<TARGET_FILE:${_program}>
      COMMAND gzip -9nf ${_page}
      DEPENDS ${_program}
      COMMENT "Writing the manual page of ${_program}"
      VERBATIM)
    list(APPEND _man_pages ${_page}.gz)
  endforeach()
  add_custom_target(tessaly_man_pages ALL DEPENDS ${_man_pages})
  install(FILES ${_man_pages} DESTINATION share/man/man1)
else()
  message(STATUS "help2man not found: no manual pages")
endif()

# CMake package: relocatable, found under P/lib/cmake/Tessaly.
set(TESSALY_INCLUDE_DIR include)
set(TESSALY_MODULE_PATH ${TESSALY_INSTALL_MODULE_DIR}/libtessaly.so)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/TessalyConfig.cmake.in
  ${CMAKE_BINARY_DIR}/cmake/TessalyConfig.cmake
  INSTALL_DESTINATION lib/cmake/Tessaly
  PATH_VARS TESSALY_INCLUDE_DIR TESSALY_MODULE_PATH)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/cmake/TessalyConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/cmake/TessalyConfig.cmake ${CMAKE_BINARY_DIR}/cmake/TessalyConfigVersion.cmake
  DESTINATION lib/cmake/Tessaly)

# What depends on the prefix given at install time (cmake --install --prefix P): tessaly.pc with
# absolute paths, the etc/ and var/ files and the links to them from Config/.
install(CODE "
  set(TESSALY_VERSION \"${PROJECT_VERSION}\")
  set(TESSALY_SOURCE_DIR \"${PROJECT_SOURCE_DIR}\")
  set(TESSALY_CMAKE_DIR \"${CMAKE_CURRENT_LIST_DIR}\")
  set(TESSALY_MULTIARCH \"${CMAKE_LIBRARY_ARCHITECTURE}\")
  include(\"${CMAKE_CURRENT_LIST_DIR}/InstallLayout.cmake\")")

# The Debian package (scripts/package.sh): everything above with the prefix /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessaly)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR ON)  # the /etc and /var parts are placed through DESTDIR
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "Tessaly Team <team@tessaly.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "pre-login and redirect module for desktop clients")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "libtessaly.so is loaded by a desktop client with dlopen. PreLogin checks a user
name and password against the operator's login web service; Redirect shows a
skinned window with an embedded browser that leads the user to a target page.

The package holds the module with its four companion libraries and default
configuration, the public C header, pkg-config and CMake files for a host's
build, the stand-in host tessaly-host and the stand-in service tessaly-service.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The network companions load libcurl at run time, so no linked object names it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcurl4")
# The demo runs under xvfb-run when there is no display, as on a fresh server.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core, xvfb, xauth")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${CMAKE_CURRENT_LIST_DIR}/debian/conffiles
  ${CMAKE_CURRENT_LIST_DIR}/debian/postinst
  ${CMAKE_CURRENT_LIST_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/cpack)
# cpack packs the build as it is (scripts/package.sh and the tests build first) instead of checking
# every target of the tree again.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
include(CPack)
