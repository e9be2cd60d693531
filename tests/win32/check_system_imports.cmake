cmake_minimum_required(VERSION 3.20)
# Fails when EXE imports a DLL that Windows does not ship: the programs are
# linked statically, so nothing may have to travel beside them.
#   cmake -DOBJDUMP=... -DEXE=... -P check_system_imports.cmake
set(system_dlls advapi32 comctl32 comdlg32 gdi32 kernel32 msvcrt ole32 oleaut32 shell32 shlwapi
                user32 uxtheme version winmm ws2_32)
execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
string(REGEX MATCHALL "DLL Name: [^\r\n]+" lines "${dump}")
if(NOT rc EQUAL 0 OR NOT lines)
  message(FATAL_ERROR "no imports read from ${EXE}")
endif()
foreach(line IN LISTS lines)
  string(REGEX REPLACE "DLL Name: *([^ ]+) *" "\\1" dll "${line}")
  string(TOLOWER "${dll}" name)
  string(REGEX REPLACE "\\.dll$" "" name "${name}")
  if(NOT name IN_LIST system_dlls AND NOT name MATCHES "^api-ms-win-")
    list(APPEND foreign "${dll}")
  endif()
endforeach()
if(foreign)
  message(FATAL_ERROR "${EXE} needs DLLs that are not part of Windows: ${foreign}")
endif()
