// The page's files, compiled into vekxsim at build time (embed_web_files.cmake
// makes web_files_data.cpp from page/), so that the panel works on a PC
// with no network and serves nothing from the disk.
#ifndef VEKXSIM_WEB_FILES_H
#define VEKXSIM_WEB_FILES_H

#include <span>
#include <string_view>

namespace vekxsim::web {

struct WebFile {
  std::string_view path;  // "/panel.js"
  std::string_view type;  // "text/javascript; charset=utf-8"
  std::string_view body;
};

// Every file, in the order of their names.
std::span<const WebFile> web_files();
// The file a path names ("/" is "/index.html"); nullptr for any other path.
const WebFile *web_file(std::string_view path);

}  // namespace vekxsim::web

#endif
