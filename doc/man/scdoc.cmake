cmake_minimum_required(VERSION 3.25)
# Turns one scdoc source into a manual page: @VERSION@ becomes the project's
# version, then scdoc reads the result.
#   cmake -DSCDOC=scdoc -DIN=page.1.scd -DOUT=page.1 -DVERSION=1.0.0 -P scdoc.cmake
file(READ ${IN} text)
string(REPLACE "@VERSION@" "${VERSION}" text "${text}")
file(WRITE ${OUT}.scd "${text}")
execute_process(COMMAND ${SCDOC} INPUT_FILE ${OUT}.scd OUTPUT_FILE ${OUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE ${OUT})
  message(FATAL_ERROR "scdoc could not turn ${IN} into a manual page")
endif()
