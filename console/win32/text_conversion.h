// The window API takes UTF-16; the console's texts are UTF-8.
#ifndef KTRV_WIN32_TEXT_CONVERSION_H
#define KTRV_WIN32_TEXT_CONVERSION_H

#include <string>

namespace ktrv::win32 {

std::wstring widen(const std::string &utf8);
std::string narrow(const std::wstring &utf16);

}  // namespace ktrv::win32

#endif
