cmake_minimum_required(VERSION 3.25)
# Turns one manual page into a web page that stands alone (its style
# inside), for readers without man, such as those of the Windows kits.
#   cmake -DMANDOC=mandoc -DIN=vekx.1 -DOUT=html/vekx.1.html -P html_page.cmake
execute_process(COMMAND ${MANDOC} -T html ${IN} OUTPUT_FILE ${OUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE ${OUT})
  message(FATAL_ERROR "mandoc could not turn ${IN} into a web page")
endif()
