cmake_minimum_required(VERSION 3.25)
# The index of the web pages of the manual: one link a page, with the line
# its NAME section gives, then one a page of GUIDES (web pages named by
# their title).
#   cmake -DPAGES="vekx.1|vekxapi.3" -DSOURCES=doc/man -DVERSION=1.0.0
#         [-DGUIDES="a/csharp.html|a/vba.html"] -DOUT=html/index.html -P html_index.cmake
string(REPLACE "|" ";" pages "${PAGES}")
set(items "")
foreach(page IN LISTS pages)
  file(STRINGS ${SOURCES}/${page}.scd lines)
  set(summary "")
  set(in_name FALSE)
  foreach(line IN LISTS lines)
    if(line STREQUAL "# NAME")
      set(in_name TRUE)
    elseif(in_name AND NOT line STREQUAL "")
      set(summary "${line}")
      break()
    endif()
  endforeach()
  string(REGEX REPLACE "^([^-]|-[^ ])+ - " "" summary "${summary}")
  string(REPLACE "&" "&amp;" summary "${summary}")
  string(REPLACE "<" "&lt;" summary "${summary}")
  string(REGEX REPLACE "\\.([0-9])$" "(\\1)" title "${page}")
  string(APPEND items "  <li><a href=\"${page}.html\">${title}</a> &mdash; ${summary}</li>\n")
endforeach()
set(guides "")
if(GUIDES)
  string(REPLACE "|" ";" guide_pages "${GUIDES}")
  foreach(guide IN LISTS guide_pages)
    file(READ ${guide} text)
    string(REGEX MATCH "<title>([^<]*)</title>" _ "${text}")
    get_filename_component(name ${guide} NAME)
    string(APPEND guides "  <li><a href=\"${name}\">${CMAKE_MATCH_1}</a></li>\n")
  endforeach()
  set(guides "<h2>Your own program in another language</h2>\n<ul>\n${guides}</ul>\n")
endif()
file(WRITE ${OUT} "<!DOCTYPE html>
<html lang=\"en\">
<head>
  <meta charset=\"utf-8\"/>
  <title>KTRV test console ${VERSION}: manual pages</title>
</head>
<body>
<h1>KTRV test console ${VERSION}: manual pages</h1>
<ul>
${items}</ul>
${guides}</body>
</html>
")
