// The text of a console program (vekx, vekxsim) in UTF-8 on every system:
// its arguments, what it writes to its console window, and the files its
// arguments name. console_text_posix.cpp and console_text_windows.cpp each
// define all of it.
#ifndef VEKX_COMMON_CONSOLE_TEXT_H
#define VEKX_COMMON_CONSOLE_TEXT_H

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace vekx_common {

// The arguments after the program's name, in UTF-8. Windows hands main()
// its arguments in the ANSI code page, so that "Größe" typed on a Western
// PC arrives as Windows-1252 and "łódź" loses its letters; there they come
// from the wide command line instead. Elsewhere: argv as it is.
std::vector<std::string> program_arguments(int argc, char **argv);

// On Windows, a console window that shows the program's standard output or
// error shows the UTF-8 the program writes as text, until the program ends
// and the window's own code page comes back. Elsewhere it does nothing.
void console_shows_utf8();

// The file an argument names: on Windows a UTF-8 name (from
// program_arguments), elsewhere the bytes as they are. open_named opens it
// as std::fopen does (mode "rb", say).
std::filesystem::path path_named(const std::string &name);
std::FILE *open_named(const std::string &name, const char *mode);

}  // namespace vekx_common

#endif
