# Registers the built library, then runs one test script with scripthost.
# Registering again gives the same registry content, so every script that
# needs the library registered may do it. Run with -P and
#   RUN      the emulator that runs Windows programs (scripts/wine-run.sh)
#   DLL      the built TavrinUpload.dll
#   PROGRAM  scripthost
#   SCRIPT   the .vbs or .js file
execute_process(COMMAND ${RUN} regsvr32 /s ${DLL}
                RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT code EQUAL 0)
  message(FATAL_ERROR "regsvr32 ${DLL} failed with ${code}: ${out}")
endif()

execute_process(COMMAND ${RUN} ${PROGRAM} ${SCRIPT}
                RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE out)
message("${out}")
if(NOT code EQUAL 0)
  message(FATAL_ERROR "the script failed (exit code ${code})")
endif()
