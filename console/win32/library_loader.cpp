#include "library_loader.h"

#include <windows.h>

#include "text_conversion.h"

namespace ktrv::win32 {

namespace {

// The system's words for an error number, without the line end.
std::string errorText(DWORD error) {
  wchar_t *words = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, error, 0, reinterpret_cast<wchar_t *>(&words), 0, nullptr);
  std::wstring text = length != 0 ? std::wstring(words, length) : std::wstring();
  LocalFree(words);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' || text.back() == L'.'))
    text.pop_back();
  std::string out = "error " + std::to_string(error);
  if (!text.empty()) out += ": " + narrow(text);
  return out;
}

BOOL CALLBACK closeIfMessageBox(HWND hwnd, LPARAM) {
  wchar_t className[8] = {};
  GetClassNameW(hwnd, className, 8);
  if (lstrcmpW(className, L"#32770") != 0) return TRUE;
  PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
  return FALSE;
}

// Closes the message box of this thread: the modal loop of MessageBox
// dispatches this timer's tick.
void CALLBACK closeMessageBox(HWND, UINT, UINT_PTR, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), closeIfMessageBox, 0);
}

}  // namespace

void *DllLoader::open(std::string &why) {
  const HMODULE library = LoadLibraryW(widen(fileName()).c_str());
  if (library == nullptr) why = errorText(GetLastError());
  return reinterpret_cast<void *>(library);
}

LibraryLoader::AnyFunction DllLoader::function(void *library, const char *name) {
  return reinterpret_cast<AnyFunction>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void DllLoader::fail(const std::string &message) {
  // Written straight to the handle: a windows program has no console of its
  // own, but one started with its error output redirected has the handle.
  const std::string line = "KTRVtest: " + message + "\n";
  const HANDLE errors = GetStdHandle(STD_ERROR_HANDLE);
  if (errors != nullptr && errors != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(errors, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }
  if (quieten_) quieten_();
  SetTimer(nullptr, 0, kFailureMessageShownMs, closeMessageBox);
  MessageBoxW(nullptr, widen(message).c_str(), L"TEST KTRV", MB_OK | MB_ICONERROR | MB_TASKMODAL);
  ExitProcess(kExitLibraryMissing);
}

}  // namespace ktrv::win32
