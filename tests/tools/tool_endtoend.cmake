# End-to-end tests of tavrin-upload (included by CMakeLists.txt on Windows
# builds), run by tool_endtoend.sh. The tool runs on every captured request
# body and its output must equal, byte for byte, the document that
# tools/captures/make-expected.js derived from the capture manifest. The
# expected names assume the ANSI code page 1252 (Wine's default) for bodies
# whose names are not UTF-8.
set(data ${TAVRIN_SOURCE_ROOT}/tests/data)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # A 32-bit DLL is registered by the 32-bit regsvr32.
  set(regsvr C:/windows/syswow64/regsvr32.exe)
else()
  set(regsvr regsvr32)
endif()

# tool_step(<name> <mode> <arguments of the mode>...)
# Each step registers the DLL first and holds the registry lock, so tests
# that remove the registration never run in the middle of one.
function(tool_step name)
  add_test(NAME tool_${name}
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tool_endtoend.sh ${CMAKE_CROSSCOMPILING_EMULATOR}
            $<TARGET_FILE:tavrin-upload> $<TARGET_FILE:TavrinUpload> ${regsvr}
            ${CMAKE_CURRENT_BINARY_DIR}/endtoend/${name} ${ARGN})
  set_tests_properties(tool_${name} PROPERTIES LABELS endtoend RESOURCE_LOCK wine_registry)
endfunction()

file(GLOB bodies ${data}/captures/*.body)
foreach(body ${bodies})
  get_filename_component(id ${body} NAME_WE)
  tool_step(inspect_${id} inspect ${body} 0 ${data}/captures/expected/${id}.json)
  if(EXISTS ${data}/captures/expected/${id}.cp936.json)
    tool_step(inspect_${id}_cp936 inspect ${body} 0 ${data}/captures/expected/${id}.cp936.json
              --page-code 936)
  endif()
endforeach()

tool_step(inspect_example inspect ${TAVRIN_SOURCE_ROOT}/examples/sample-upload.body 0
          ${data}/tool/sample-upload.json)
tool_step(inspect_wrong_format inspect ${data}/tool/truncated.body 1 ${data}/tool/truncated.json)
tool_step(inspect_not_multipart inspect ${data}/tool/not-multipart.body 0
          ${data}/tool/not-multipart.json)
tool_step(inspect_missing_file inspect ${data}/tool/no-such-file.body 1
          "^\\{\"error\": \"[^\"]+\", \"status\": \"0x80070002\"\\}")
# Item 14's name is the 8.3 short name Wine gives item 13's file: the same
# file, so it is refused rather than written twice.
tool_step(extract_hostile_names extract ${data}/tool/hostile-names.body
          ${data}/tool/hostile-names.extract.txt ${data}/tool/hostile-names.again.txt
          report.txt=98f4654afdd4a249646871b2186f46a5e60f107daeb538544a7008547e5bff24
          evil.txt=244587daa6c793655630244c09759959322c73f46169b05afc90396a70002357
          bytes.bin=ef4a54ff1bdc2d68310e53527a048edc27f5318307492658339975ed7852dcb8
          empty.dat=e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855
          longfilename.txt=62806cc6a50f26954a669ae873e84083057654b8e008856beefaea58b79008f1)
tool_step(usage_no_arguments usage)
tool_step(usage_unknown_option usage inspect x.body --bogus)

# The tool must run on a bare Windows system: system DLLs only.
add_test(NAME tool_imports_system_only
  COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DBINARY=$<TARGET_FILE:tavrin-upload>
          -P ${TAVRIN_SOURCE_ROOT}/cmake/CheckImports.cmake)
set_tests_properties(tool_imports_system_only PROPERTIES LABELS static)
