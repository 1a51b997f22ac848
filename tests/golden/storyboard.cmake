cmake_policy(VERSION 3.25)
# Draws the storyboard of FILM with SIM (under EMULATOR when set), renders it with RSVG to a PNG
# and checks with PYTHON that its paths are painted.
execute_process(COMMAND ${EMULATOR} ${SIM} ${FILM} --quiet --check --storyboard ${OUT}.svg
                RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "zenthar-sim ${FILM} --storyboard exited with ${status}:\n${errors}")
endif()
execute_process(COMMAND ${RSVG} ${OUT}.svg -o ${OUT}.png RESULT_VARIABLE status
                ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "rsvg-convert cannot render ${OUT}.svg (${status}):\n${errors}")
endif()
execute_process(COMMAND ${PYTHON} ${CHECK} ${OUT}.svg ${OUT}.png RESULT_VARIABLE status
                OUTPUT_VARIABLE report ERROR_VARIABLE errors)
message("${report}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the storyboard's paths are not visible in ${OUT}.png:\n${report}${errors}")
endif()
