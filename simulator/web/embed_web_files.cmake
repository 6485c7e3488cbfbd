# Writes OUTPUT, a C++ source that holds each file of the page folder PAGE
# as bytes with its path and media type, for web_files.h. Run by CMake at
# build time whenever a file of the page changes.
file(GLOB files RELATIVE ${PAGE} ${PAGE}/*)
list(SORT files)
set(types_html "text/html; charset=utf-8")
set(types_css "text/css; charset=utf-8")
set(types_js "text/javascript; charset=utf-8")
set(types_json "application/json")
set(types_svg "image/svg+xml")
set(arrays "")
set(rows "")
set(index 0)
foreach(name IN LISTS files)
  get_filename_component(extension ${name} LAST_EXT)
  string(SUBSTRING ${extension} 1 -1 extension)
  if(NOT DEFINED types_${extension})
    message(FATAL_ERROR "page/${name}: no media type for .${extension}; add one to embed_web_files.cmake")
  endif()
  file(READ ${PAGE}/${name} hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
  string(APPEND arrays "const char file_${index}[] = {${bytes} 0};\n")
  string(APPEND rows "    WebFile{\"/${name}\", \"${types_${extension}}\", {file_${index}, ${size}}},\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE ${OUTPUT}.new "// Made by embed_web_files.cmake from the page's files; not to be edited.
#include \"web_files.h\"

#include <array>

namespace vekxsim::web {

namespace {
${arrays}
const std::array files{
${rows}};
}  // namespace

std::span<const WebFile> web_files() { return files; }

}  // namespace vekxsim::web
")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
