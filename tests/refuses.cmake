# A program refuses its input: exit code 2, the problem on stderr, and nothing on stdout that
# could pass for a result. PROGRAM is the command (the emulator first under wine), INPUT the file
# it is given, PROBLEM the text the refusal must hold.
cmake_policy(VERSION 3.25)
execute_process(COMMAND ${PROGRAM} ${INPUT} RESULT_VARIABLE result ERROR_VARIABLE error
                OUTPUT_VARIABLE output)
if(NOT result EQUAL 2)
  message(FATAL_ERROR "expected exit code 2, got ${result}\n${output}${error}")
endif()
string(FIND "${error}" "${PROBLEM}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "expected ${PROBLEM}, got:\n${error}")
endif()
if(NOT output STREQUAL "")
  message(FATAL_ERROR "expected nothing on stdout, got:\n${output}")
endif()
