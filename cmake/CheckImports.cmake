cmake_policy(SET CMP0057 NEW)
# Fails unless BINARY imports nothing but DLLs of the Windows system.
# Called as: cmake -DOBJDUMP=<objdump> -DBINARY=<file> -P CheckImports.cmake
set(system_dlls
  kernel32 user32 gdi32 advapi32 ole32 oleaut32 msvcrt ucrtbase shlwapi shell32
  rpcrt4 version bcrypt crypt32 ws2_32 secur32 ntdll)
execute_process(COMMAND ${OBJDUMP} -p ${BINARY}
                OUTPUT_VARIABLE dump RESULT_VARIABLE code)
if(NOT code EQUAL 0)
  message(FATAL_ERROR "cannot read ${BINARY}")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" names "${dump}")
if(NOT names)
  message(FATAL_ERROR "${BINARY} lists no imported DLLs; is it a Windows binary?")
endif()
set(foreign "")
foreach(entry ${names})
  string(REGEX REPLACE "DLL Name: ([^ ]+)" "\\1" dll "${entry}")
  string(TOLOWER "${dll}" lower)
  string(REGEX REPLACE "\\.dll$" "" base "${lower}")
  message(STATUS "imports ${dll}")
  if(NOT base IN_LIST system_dlls AND NOT base MATCHES "^api-ms-win-")
    list(APPEND foreign ${dll})
  endif()
endforeach()
if(foreign)
  message(FATAL_ERROR "${BINARY} imports non-system DLLs: ${foreign}")
endif()
