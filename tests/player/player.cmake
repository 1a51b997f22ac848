cmake_policy(VERSION 3.25)
# Writes FILM's show player with SIM, asks TRUTH what it should show, and has CHECK open it in
# CHROMIUM at those moments. OUT is the prefix of every file written.
execute_process(COMMAND ${SIM} ${FILM} --quiet --check --player ${OUT}.html
                RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "zenthar-sim ${FILM} --player exited with ${status}:\n${errors}")
endif()
execute_process(COMMAND ${TRUTH} ${FILM} OUTPUT_FILE ${OUT}.truth.json RESULT_VARIABLE status
                ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "player_truth ${FILM} exited with ${status}:\n${errors}")
endif()
set(limit "")
if(MAX_BYTES)
  set(limit --max-bytes ${MAX_BYTES})
endif()
execute_process(COMMAND ${PYTHON} ${CHECK} ${CHROMIUM} ${OUT}.html ${OUT}.truth.json ${OUT} ${limit}
                RESULT_VARIABLE status OUTPUT_VARIABLE report ERROR_VARIABLE errors)
message("${report}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the show player of ${FILM} does not show the run:\n${errors}")
endif()
