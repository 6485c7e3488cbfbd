#include "library_loader.h"

#include <windows.h>

#include "text_conversion.h"

namespace ktrv::win32 {

namespace {

// The system's words for an error number, without the line end, the file
// named where they leave a place for it ("%1 is not a valid Win32
// application").
std::string errorText(DWORD error, const std::wstring &file) {
  wchar_t *words = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, error, 0, reinterpret_cast<wchar_t *>(&words), 0, nullptr);
  std::wstring text = length != 0 ? std::wstring(words, length) : std::wstring();
  LocalFree(words);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' || text.back() == L'.'))
    text.pop_back();
  for (std::size_t at = text.find(L"%1"); at != std::wstring::npos; at = text.find(L"%1", at + file.size()))
    text.replace(at, 2, file);
  std::string out = "error " + std::to_string(error);
  if (!text.empty()) out += ": " + narrow(text);
  return out;
}

}  // namespace

void *DllLoader::open(std::string &why) {
  const std::wstring file = widen(fileName());
  const HMODULE library = LoadLibraryW(file.c_str());
  // Most often the file is not beside the program, or is the other kit's
  // (x86 and x64 do not mix).
  if (library == nullptr)
    why = errorText(GetLastError(), file) + "; put the " + fileName() + " that came with this KTRVtest.exe beside it";
  return reinterpret_cast<void *>(library);
}

LibraryLoader::AnyFunction DllLoader::function(void *library, const char *name) {
  return reinterpret_cast<AnyFunction>(GetProcAddress(static_cast<HMODULE>(library), name));
}

}  // namespace ktrv::win32
