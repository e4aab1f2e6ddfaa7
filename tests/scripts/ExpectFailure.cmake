# Runs PROGRAM SCRIPT under RUN and succeeds only when the program fails
# (non-zero exit) and its output matches EXPECT.
execute_process(COMMAND ${RUN} ${PROGRAM} ${SCRIPT}
                RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE out)
message("${out}")
if(code EQUAL 0)
  message(FATAL_ERROR "the script passed but was expected to fail")
endif()
if(NOT out MATCHES "${EXPECT}")
  message(FATAL_ERROR "the script failed, but not with: ${EXPECT}")
endif()
