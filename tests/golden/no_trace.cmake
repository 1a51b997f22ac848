# A rehearsal that cannot run leaves no trace behind: zenthar-sim given a plug-in that is not
# there exits 1 and the trace file it was asked for does not exist. PROGRAM is the command (the
# emulator first under wine), INPUT the scenario, TRACE the trace's path.
cmake_policy(VERSION 3.25)
file(REMOVE ${TRACE})
execute_process(COMMAND ${PROGRAM} ${INPUT} --quiet --plugin ${TRACE}.no-such-plugin
                        --trace ${TRACE}
                RESULT_VARIABLE result ERROR_VARIABLE error)
if(NOT result EQUAL 1)
  message(FATAL_ERROR "expected exit code 1, got ${result}\n${error}")
endif()
if(EXISTS ${TRACE})
  message(FATAL_ERROR "the failed run left ${TRACE}")
endif()
