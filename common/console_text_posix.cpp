#include "console_text.h"

namespace vekx_common {

std::vector<std::string> program_arguments(int argc, char **argv) {
  return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

void console_shows_utf8() {}

std::filesystem::path path_named(const std::string &name) { return name; }

std::FILE *open_named(const std::string &name, const char *mode) { return std::fopen(name.c_str(), mode); }

}  // namespace vekx_common
