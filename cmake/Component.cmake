# tessaly_component(<name> [DEPS <targets...>])
# Makes the static library tessaly_<name> from every .cpp file in src/<name>/ (and its posix/
# sub-folder for the platform layer). A folder without sources yet becomes an interface library, so
# the tree builds while a subsystem is still empty.
function(tessaly_component name)
  cmake_parse_arguments(ARG "" "" "DEPS;SOURCES" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(APPEND _src ${ARG_SOURCES})
  if(_src)
    add_library(tessaly_${name} STATIC ${_src})
    target_include_directories(tessaly_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/include)
    target_link_libraries(tessaly_${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(tessaly_${name} INTERFACE)
    target_include_directories(tessaly_${name} INTERFACE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/include)
    target_link_libraries(tessaly_${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()
