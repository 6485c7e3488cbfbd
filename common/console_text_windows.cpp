#include <windows.h>

#include <shellapi.h>

#include <cstdlib>

#include "console_text.h"

namespace vekx_common {

namespace {

std::string utf8_of(const wchar_t *wide) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, out.data(), size, nullptr, nullptr);
  out.pop_back();  // the closing NUL
  return out;
}

UINT code_page_before = 0;
void restore_code_page() { SetConsoleOutputCP(code_page_before); }

bool is_console(DWORD which) {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(which), &mode) != 0;
}

}  // namespace

std::vector<std::string> program_arguments(int argc, char **argv) {
  int count = 0;
  wchar_t **wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
  std::vector<std::string> out;
  for (int i = 1; i < count; ++i) out.push_back(utf8_of(wide[i]));
  LocalFree(static_cast<HLOCAL>(wide));
  return out;
}

void console_shows_utf8() {
  if (code_page_before != 0 || (!is_console(STD_OUTPUT_HANDLE) && !is_console(STD_ERROR_HANDLE))) return;
  code_page_before = GetConsoleOutputCP();
  if (code_page_before == CP_UTF8 || !SetConsoleOutputCP(CP_UTF8)) return;
  std::atexit(restore_code_page);
}

std::filesystem::path path_named(const std::string &name) {
  const std::u8string utf8(name.begin(), name.end());
  return utf8;
}

std::FILE *open_named(const std::string &name, const char *mode) {
  const std::wstring wide_mode(mode, mode + std::char_traits<char>::length(mode));
  return _wfopen(path_named(name).c_str(), wide_mode.c_str());
}

}  // namespace vekx_common
