# zenthar-plan refuses a shot list it cannot record: exit code 2 and FILE:LINE: problem.
cmake_policy(VERSION 3.25)
execute_process(COMMAND ${PLAN} ${SHOTS} RESULT_VARIABLE result ERROR_VARIABLE error
                OUTPUT_VARIABLE output)
if(NOT result EQUAL 2)
  message(FATAL_ERROR "expected exit code 2, got ${result}\n${output}${error}")
endif()
if(NOT error MATCHES "unrecordable.shots:6: slot 3 is never cast")
  message(FATAL_ERROR "expected unrecordable.shots:6: slot 3 is never cast, got:\n${error}")
endif()
