# Registers the built library, runs one test script with scripthost, and
# removes the registration again, so that tests which need the library
# unregistered find the prefix as they expect. Run with -P and
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

execute_process(COMMAND ${RUN} regsvr32 /s /u ${DLL}
                RESULT_VARIABLE unregistered OUTPUT_VARIABLE uout ERROR_VARIABLE uout)
if(NOT code EQUAL 0)
  message(FATAL_ERROR "the script failed (exit code ${code})")
endif()
if(NOT unregistered EQUAL 0)
  message(FATAL_ERROR "regsvr32 /u ${DLL} failed with ${unregistered}: ${uout}")
endif()
