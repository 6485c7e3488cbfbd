cmake_minimum_required(VERSION 3.25)
# Turns one scdoc source into a manual page: @VERSION@ becomes the project's
# version, and a line "@RESULTS library,sockets@" the table of those rows of
# the table of result meanings; then scdoc reads the result.
#   cmake -DSCDOC=scdoc -DIN=page.1.scd -DOUT=page.1 -DVERSION=1.0.0
#         -DRESULTS=common/result_meanings.txt -P scdoc.cmake
get_filename_component(results_folder "${RESULTS}" DIRECTORY)
include(${results_folder}/result_meanings.cmake)
file(READ ${IN} text)
string(REPLACE "@VERSION@" "${VERSION}" text "${text}")
string(REGEX MATCHALL "@RESULTS [a-z,-]+@" placeholders "${text}")
foreach(placeholder IN LISTS placeholders)
  string(REGEX REPLACE "@RESULTS ([a-z,-]+)@" "\\1" origins "${placeholder}")
  string(REPLACE "," ";" origins "${origins}")
  result_meanings_scdoc("${RESULTS}" "${origins}" table)
  string(REPLACE "${placeholder}\n" "${table}" text "${text}")
endforeach()
file(WRITE ${OUT}.scd "${text}")
execute_process(COMMAND ${SCDOC} INPUT_FILE ${OUT}.scd OUTPUT_FILE ${OUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE ${OUT})
  message(FATAL_ERROR "scdoc could not turn ${IN} into a manual page")
endif()
