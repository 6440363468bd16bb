# tessaly-host.exe: the stand-in desktop client on Windows, from the shared sources and win32/. It loads
# Tessaly.dll with LoadLibraryW and talks to it only through the public header, whose Windows helpers
# need ole32 (CoTaskMemAlloc for strings) and user32 (PostMessageW); shell32 splits the wide command
# line.
add_library(tessaly_host_parts STATIC ${TESSALY_HOST_SHARED_SOURCES}
  win32/CloseMessages.cpp win32/DemoSystem.cpp win32/HostSystem.cpp win32/LoadedModule.cpp)
target_include_directories(tessaly_host_parts PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/include)
target_link_libraries(tessaly_host_parts PUBLIC Threads::Threads ole32 user32 shell32)

add_executable(tessaly-host HostMain.cpp)
target_link_libraries(tessaly-host PRIVATE tessaly_host_parts)
set_target_properties(tessaly-host PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TESSALY_OUT_DIR})
