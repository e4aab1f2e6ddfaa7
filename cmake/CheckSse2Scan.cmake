# Fails unless the splitter in BINARY scans with SSE2: the SSE2 path's LF
# "--" search must be there and compare with pcmpeqb. A target compiled
# without SSE2 leaves that path out, and the splitter then runs the portable
# one without any other sign.
# Called as: cmake -DOBJDUMP=<objdump> -DBINARY=<file> -P CheckSse2Scan.cmake
execute_process(COMMAND ${OBJDUMP} -d ${BINARY}
                OUTPUT_VARIABLE dump RESULT_VARIABLE code)
if(NOT code EQUAL 0)
  message(FATAL_ERROR "cannot disassemble ${BINARY}")
endif()
# objdump ends each function's listing with a blank line.
string(REGEX MATCH "<[^>\n]*4sse220FindLineFeedDashDash[^>\n]*>:\n" label "${dump}")
if(NOT label)
  message(FATAL_ERROR "expected the SSE2 LF \"--\" search in ${BINARY}, saw no such function")
endif()
string(FIND "${dump}" "${label}" start)
string(SUBSTRING "${dump}" ${start} -1 rest)
string(FIND "${rest}" "\n\n" stop)
string(SUBSTRING "${rest}" 0 ${stop} body)
string(REGEX MATCHALL "pcmpeqb" compares "${body}")
list(LENGTH compares count)
string(STRIP "${label}" name)
message(STATUS "${name} ${count} pcmpeqb")
if(count LESS 4)
  message(FATAL_ERROR "expected the SSE2 LF \"--\" search to compare its four blocks with pcmpeqb, saw ${count}")
endif()
