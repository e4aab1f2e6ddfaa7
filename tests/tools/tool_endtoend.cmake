# End-to-end tests of tavrin-upload (included by CMakeLists.txt on Windows
# builds). The tool runs on every captured request body and its output must
# equal, byte for byte, the document that tools/captures/make-expected.js
# derived from the capture manifest. The expected names assume the ANSI code page
# 1252 (Wine's default) for bodies whose names are not UTF-8.
set(driver ${CMAKE_CURRENT_SOURCE_DIR}/RunTool.cmake)
set(data ${TAVRIN_SOURCE_ROOT}/tests/data)
set(work ${CMAKE_CURRENT_BINARY_DIR}/endtoend)
set(common -DRUN=${CMAKE_CROSSCOMPILING_EMULATOR} -DTOOL=$<TARGET_FILE:tavrin-upload>)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # A 32-bit DLL is registered by the 32-bit regsvr32.
  set(regsvr C:/windows/syswow64/regsvr32.exe)
else()
  set(regsvr regsvr32)
endif()
set(register -DDLL=$<TARGET_FILE:TavrinUpload> -DREGSVR=${regsvr})

# tool_step(<name> MODE <mode> [more -D settings...])
# Each step registers the DLL first and holds the registry lock, so tests
# that remove the registration never run in the middle of one.
function(tool_step name)
  cmake_parse_arguments(S "" "MODE" "" ${ARGN})
  add_test(NAME tool_${name}
    COMMAND ${CMAKE_COMMAND} -DMODE=${S_MODE} ${common} ${register} -DWORK=${work}/${name}
            ${S_UNPARSED_ARGUMENTS} -P ${driver})
  set_tests_properties(tool_${name} PROPERTIES LABELS endtoend RESOURCE_LOCK wine_registry)
endfunction()

file(GLOB bodies ${data}/captures/*.body)
foreach(body ${bodies})
  get_filename_component(id ${body} NAME_WE)
  tool_step(inspect_${id} MODE inspect -DBODY=${body} -DEXIT=0
            -DEXPECTED=${data}/captures/expected/${id}.json)
  if(EXISTS ${data}/captures/expected/${id}.cp936.json)
    tool_step(inspect_${id}_cp936 MODE inspect -DBODY=${body} -DEXIT=0
              "-DARGS=--page-code|936"
              -DEXPECTED=${data}/captures/expected/${id}.cp936.json)
  endif()
endforeach()

tool_step(inspect_example MODE inspect -DBODY=${TAVRIN_SOURCE_ROOT}/examples/sample-upload.body
          -DEXIT=0 -DEXPECTED=${data}/tool/sample-upload.json)
tool_step(inspect_wrong_format MODE inspect -DBODY=${data}/tool/truncated.body -DEXIT=1
          -DEXPECTED=${data}/tool/truncated.json)
tool_step(inspect_not_multipart MODE inspect -DBODY=${data}/tool/not-multipart.body -DEXIT=0
          -DEXPECTED=${data}/tool/not-multipart.json)
tool_step(inspect_missing_file MODE inspect -DBODY=${data}/tool/no-such-file.body -DEXIT=1
          "-DMATCH=^\\{\"error\": \"[^\"]+\", \"status\": \"0x80070002\"\\}")
tool_step(extract_hostile_names MODE extract -DBODY=${data}/tool/hostile-names.body
          -DEXPECTED=${data}/tool/hostile-names.extract.txt
          -DAGAIN=${data}/tool/hostile-names.again.txt
          "-DFILES=report.txt=98f4654afdd4a249646871b2186f46a5e60f107daeb538544a7008547e5bff24|evil.txt=244587daa6c793655630244c09759959322c73f46169b05afc90396a70002357|bytes.bin=ef4a54ff1bdc2d68310e53527a048edc27f5318307492658339975ed7852dcb8|empty.dat=e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855")
tool_step(usage_no_arguments MODE usage)
tool_step(usage_unknown_option MODE usage "-DARGS=inspect|x.body|--bogus")

# The tool must run on a bare Windows system: system DLLs only.
add_test(NAME tool_imports_system_only
  COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DBINARY=$<TARGET_FILE:tavrin-upload>
          -P ${TAVRIN_SOURCE_ROOT}/cmake/CheckImports.cmake)
set_tests_properties(tool_imports_system_only PROPERTIES LABELS static)
