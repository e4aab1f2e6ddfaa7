# Runs one end-to-end step of tavrin-upload under Wine and checks it.
#   every mode: [-DDLL=<TavrinUpload.dll> [-DREGSVR=<regsvr32>]] registers it first
#   -DMODE=inspect   -DRUN -DTOOL -DBODY -DWORK -DEXIT=<code> [-DARGS=<a|b>]
#                    and -DEXPECTED=<file> (byte-exact) or -DMATCH=<regex>
#   -DMODE=extract   -DRUN -DTOOL -DBODY -DWORK -DEXPECTED=<lines file>
#                    -DAGAIN=<lines file of a second run into the same directory>
#                    -DFILES=<name=sha256|...> (the first one is report.txt)
#   -DMODE=usage     -DRUN -DTOOL [-DARGS=<a|b>]
# Lists are separated by "|", which survives the way ctest passes them.
# Paths handed to Windows programs are made absolute Windows paths on the
# drive that Wine maps to the Unix root.
cmake_minimum_required(VERSION 3.25)
string(REPLACE "|" ";" ARGS "${ARGS}")
string(REPLACE "|" ";" FILES "${FILES}")

function(windows_path out path)
  if(RUN)
    set(${out} "Z:${path}" PARENT_SCOPE)
  else()
    set(${out} "${path}" PARENT_SCOPE)
  endif()
endfunction()

function(expect_same_file actual expected what)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${actual} ${expected}
                  RESULT_VARIABLE differ)
  if(differ)
    file(READ ${actual} got)
    file(READ ${expected} want)
    message(FATAL_ERROR "${what} differs from ${expected}\n--- expected\n${want}\n--- got\n${got}")
  endif()
endfunction()

# Runs the tool with the given arguments; stdout into WORK/<name>.out.
function(run_tool name code_var err_var)
  execute_process(COMMAND ${RUN} ${TOOL} ${ARGN}
                  OUTPUT_FILE ${WORK}/${name}.out
                  ERROR_VARIABLE err RESULT_VARIABLE code)
  set(${code_var} "${code}" PARENT_SCOPE)
  set(${err_var} "${err}" PARENT_SCOPE)
endfunction()

# Registers the DLL (again): other tests remove its registration, so each
# step that needs it makes sure of it first.
if(DLL)
  if(NOT REGSVR)
    set(REGSVR regsvr32)
  endif()
  windows_path(dll "${DLL}")
  execute_process(COMMAND ${RUN} ${REGSVR} /s ${dll} RESULT_VARIABLE code)
  if(NOT code EQUAL 0)
    message(FATAL_ERROR "registering ${DLL} failed: ${code}")
  endif()
endif()

if(MODE STREQUAL "inspect")
  file(REMOVE_RECURSE ${WORK})
  file(MAKE_DIRECTORY ${WORK})
  windows_path(body "${BODY}")
  run_tool(inspect code err inspect ${body} ${ARGS})
  if(NOT code STREQUAL EXIT)
    file(READ ${WORK}/inspect.out got)
    message(FATAL_ERROR "exit code ${code}, expected ${EXIT}\n${got}${err}")
  endif()
  if(EXPECTED)
    expect_same_file(${WORK}/inspect.out ${EXPECTED} "inspect output")
  else()
    file(READ ${WORK}/inspect.out got)
    if(NOT got MATCHES "${MATCH}")
      message(FATAL_ERROR "inspect output does not match ${MATCH}:\n${got}${err}")
    endif()
  endif()

elseif(MODE STREQUAL "extract")
  file(REMOVE_RECURSE ${WORK})
  file(MAKE_DIRECTORY ${WORK}/out)
  windows_path(body "${BODY}")
  windows_path(out "${WORK}/out")
  # The run refuses some names, so it ends with 1 while saving the others.
  run_tool(first code err extract ${body} --to ${out})
  if(NOT code EQUAL 1)
    message(FATAL_ERROR "first extract: exit code ${code}, expected 1\n${err}")
  endif()
  expect_same_file(${WORK}/first.out ${EXPECTED} "extract report")
  set(names "")
  foreach(entry ${FILES})
    string(REGEX MATCH "^([^=]+)=(.*)$" _ "${entry}")
    list(APPEND names ${CMAKE_MATCH_1})
    file(SHA256 ${WORK}/out/${CMAKE_MATCH_1} got)
    if(NOT got STREQUAL CMAKE_MATCH_2)
      message(FATAL_ERROR "${CMAKE_MATCH_1}: content differs (sha256 ${got})")
    endif()
  endforeach()
  # Nothing else was written, inside the directory or beside it.
  file(GLOB_RECURSE written RELATIVE ${WORK} ${WORK}/*)
  list(REMOVE_ITEM written first.out)
  list(TRANSFORM names PREPEND "out/")
  list(SORT written)
  list(SORT names)
  if(NOT written STREQUAL names)
    message(FATAL_ERROR "files written: ${written}; expected: ${names}")
  endif()
  # Again without --overwrite: every file is kept as it was, and said so.
  file(WRITE ${WORK}/out/report.txt "changed")
  run_tool(again code err extract ${body} --to ${out})
  if(NOT code EQUAL 1)
    message(FATAL_ERROR "second extract: exit code ${code}, expected 1\n${err}")
  endif()
  expect_same_file(${WORK}/again.out ${AGAIN} "second extract report")
  file(READ ${WORK}/out/report.txt report)
  if(NOT report STREQUAL "changed")
    message(FATAL_ERROR "the second extract replaced report.txt")
  endif()
  # With --overwrite the files are written again, the same way.
  run_tool(overwrite code err extract ${body} --to ${out} --overwrite)
  expect_same_file(${WORK}/overwrite.out ${EXPECTED} "extract --overwrite report")
  file(SHA256 ${WORK}/out/report.txt got)
  list(GET FILES 0 first)
  if(NOT first MATCHES "^report.txt=${got}$")
    message(FATAL_ERROR "--overwrite did not restore report.txt")
  endif()

elseif(MODE STREQUAL "usage")
  file(MAKE_DIRECTORY ${WORK})
  run_tool(usage code err ${ARGS})
  if(NOT code EQUAL 2 OR NOT err MATCHES "usage: tavrin-upload inspect")
    message(FATAL_ERROR "expected exit 2 with the usage line, got ${code}:\n${err}")
  endif()

else()
  message(FATAL_ERROR "unknown MODE ${MODE}")
endif()
