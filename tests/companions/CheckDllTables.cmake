# cmake -DOBJDUMP=<objdump> -DOUT_DIR=<folder> -P CheckDllTables.cmake
# Each companion DLL exports exactly its functions under their plain names (no leading underscore,
# no @n of a stdcall name, nothing by ordinal alone) and imports only Windows system DLLs: linked
# -static, it carries its own C++ runtime.
cmake_minimum_required(VERSION 3.25)

set(exports_Trelvin requestDataFromUrl)
set(exports_Cyvelle Zel_Decrypt Zel_Encrypt)
set(exports_Parvex PVXGetAreaCode PVXGetOemID PVXGetPCID PVXGetVCC)
set(exports_Dunmore HttpDownload HttpUpload)
set(system_dlls advapi32.dll bcrypt.dll kernel32.dll msvcrt.dll winhttp.dll)

set(failures "")
foreach(name Trelvin Cyvelle Parvex Dunmore)
  execute_process(COMMAND ${OBJDUMP} -p ${OUT_DIR}/${name}.dll OUTPUT_VARIABLE table RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    string(APPEND failures "${name}.dll: objdump failed (${rc})\n")
    continue()
  endif()

  string(REGEX MATCH "Export Address Table[ \t]+([0-9a-fA-F]+)" _ "${table}")
  math(EXPR addresses "0x${CMAKE_MATCH_1}" OUTPUT_FORMAT DECIMAL)
  string(REGEX REPLACE ".*\\[Ordinal/Name Pointer\\] Table\n" "" names "${table}")
  string(REGEX MATCHALL "\t\\[ *[0-9]+\\] [^\n]+" names "${names}")
  list(TRANSFORM names REPLACE "\t\\[ *[0-9]+\\] " "")
  list(SORT names)
  list(LENGTH exports_${name} wanted)
  if(NOT names STREQUAL "${exports_${name}}" OR NOT addresses EQUAL wanted)
    string(APPEND failures "${name}.dll exports [${names}] (${addresses} addresses), not [${exports_${name}}]\n")
  endif()

  string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${table}")
  list(TRANSFORM imports REPLACE "DLL Name: " "")
  foreach(import ${imports})
    string(TOLOWER "${import}" lower)
    if(NOT lower IN_LIST system_dlls)
      string(APPEND failures "${name}.dll imports ${import}, which is not a Windows system DLL\n")
    endif()
  endforeach()
endforeach()

if(failures)
  message(FATAL_ERROR "${failures}")
endif()
message(STATUS "the four companion DLLs export exactly their functions and import only system DLLs")
