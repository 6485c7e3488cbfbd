#include "web_files.h"

#include <algorithm>

namespace vekxsim::web {

const WebFile *web_file(std::string_view path) {
  if (path == "/") path = "/index.html";
  const auto files = web_files();
  const auto found = std::find_if(files.begin(), files.end(), [&](const WebFile &f) { return f.path == path; });
  return found == files.end() ? nullptr : &*found;
}

}  // namespace vekxsim::web
