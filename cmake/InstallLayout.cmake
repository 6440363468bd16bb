# Runs at install time, when the prefix is known (cmake --install --prefix P, CPack with /usr).
# Config/ beside the library links the files that outlive the installed tree:
#   orvane.cfg, VomoLoginCfg.xml -> <etc>/tessaly/   settings an administrator edits
#   Parvex.cfg                   -> <var>/lib/tessaly/ the one file the library rewrites, in a folder
#                                   every user may write, since hosts run as ordinary users
# For the prefix /usr, <etc> is /etc and <var> is /var (absolute links; the Debian package makes the
# state file in postinst). Any other prefix keeps everything inside it: P/etc and P/var, linked
# relatively, so the tree can be moved as a whole.
set(_prefix "${CMAKE_INSTALL_PREFIX}")
set(_stage "$ENV{DESTDIR}")
if(_prefix STREQUAL "/usr")
  set(_etc /etc/tessaly)
  set(_state /var/lib/tessaly)
else()
  set(_etc "${_prefix}/etc/tessaly")
  set(_state "${_prefix}/var/lib/tessaly")
endif()
set(_config "${_prefix}/lib/tessaly/Config")
# file(INSTALL) adds DESTDIR by itself; everything else here adds it by hand.

file(INSTALL DESTINATION "${_etc}" TYPE FILE FILES
  "${TESSALY_SOURCE_DIR}/data/Config/orvane.cfg"
  "${TESSALY_SOURCE_DIR}/data/Config/VomoLoginCfg.xml"
  "${TESSALY_CMAKE_DIR}/debian/registry.reg")

function(tessaly_config_link name target)
  if(_prefix STREQUAL "/usr")
    set(_text "${target}")
  else()
    file(RELATIVE_PATH _text "${_config}" "${target}")
  endif()
  file(REMOVE "${_stage}${_config}/${name}")
  file(MAKE_DIRECTORY "${_stage}${_config}")
  message(STATUS "Installing: ${_stage}${_config}/${name} -> ${_text}")
  file(CREATE_LINK "${_text}" "${_stage}${_config}/${name}" SYMBOLIC)
endfunction()
tessaly_config_link(orvane.cfg "${_etc}/orvane.cfg")
tessaly_config_link(VomoLoginCfg.xml "${_etc}/VomoLoginCfg.xml")
tessaly_config_link(Parvex.cfg "${_state}/Parvex.cfg")

if(NOT _prefix STREQUAL "/usr")
  # What the package's postinst does for /usr. An existing state file is kept.
  file(MAKE_DIRECTORY "${_stage}${_state}")
  file(CHMOD "${_stage}${_state}" DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_WRITE GROUP_EXECUTE
    WORLD_READ WORLD_WRITE WORLD_EXECUTE)
  if(NOT EXISTS "${_stage}${_state}/Parvex.cfg")
    file(INSTALL DESTINATION "${_state}" TYPE FILE FILES "${TESSALY_SOURCE_DIR}/data/Config/Parvex.cfg")
  endif()
endif()

# The package is built for one architecture, so for /usr its pkg-config file goes where Debian's
# pkg-config looks for that architecture (lib/<multiarch>/pkgconfig); other prefixes keep lib/pkgconfig.
if(_prefix STREQUAL "/usr" AND TESSALY_MULTIARCH)
  set(_pkgconfig "${_prefix}/lib/${TESSALY_MULTIARCH}/pkgconfig")
else()
  set(_pkgconfig "${_prefix}/lib/pkgconfig")
endif()
set(TESSALY_PREFIX "${_prefix}")
configure_file("${TESSALY_CMAKE_DIR}/tessaly.pc.in" "${_stage}${_pkgconfig}/tessaly.pc" @ONLY)
message(STATUS "Installing: ${_stage}${_pkgconfig}/tessaly.pc")
