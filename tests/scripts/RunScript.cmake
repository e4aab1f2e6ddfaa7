# Runs one test script with scripthost, after registering the built library
# when the script creates its objects. Run with -P and
#   RUN      the emulator that runs Windows programs (scripts/wine-run.sh)
#   PROGRAM  scripthost
#   SCRIPT   the .vbs or .js file
#   DLL      (optional) the built TavrinUpload.dll, registered first; doing
#            so again gives the same registry content, so every script may
#   EXPECT   (optional) the script must fail with output matching this
if(DLL)
  execute_process(COMMAND ${RUN} regsvr32 /s ${DLL}
                  RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT code EQUAL 0)
    message(FATAL_ERROR "regsvr32 ${DLL} failed with ${code}: ${out}")
  endif()
endif()

execute_process(COMMAND ${RUN} ${PROGRAM} ${SCRIPT}
                RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE out)
message("${out}")
if(DEFINED EXPECT)
  if(code EQUAL 0)
    message(FATAL_ERROR "the script passed but was expected to fail")
  endif()
  if(NOT out MATCHES "${EXPECT}")
    message(FATAL_ERROR "the script failed, but not with: ${EXPECT}")
  endif()
elseif(NOT code EQUAL 0)
  message(FATAL_ERROR "the script failed (exit code ${code})")
endif()
