// Works a running KTRVtest.exe from outside, as an operator would: finds the
// window by its class and title and the controls by their IDs, types with
// keyboard input (SendInput), clicks with BM_CLICK and reads texts back
// with WM_GETTEXT.
// One action per run; exit status 0 when it succeeded, 1 when not.
//
//   ktrv_window_driver wait-window SECONDS
//   ktrv_window_driver click CONTROL      (returns when the click's handling has)
//   ktrv_window_driver post-click CONTROL (returns at once)
//   ktrv_window_driver wait-text CONTROL TEXT SECONDS
//   ktrv_window_driver wait-checked CONTROL 0|1 SECONDS  (a check box clear or checked)
//   ktrv_window_driver keyboard CONTROL TEXT  (a mouse click into the
//                        control, Ctrl+A, then TEXT typed key by key, until
//                        the control reads TEXT)
//   ktrv_window_driver close-message SECONDS  (reads the message box for 1.5 s, then presses OK)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "text_conversion.h"
#include "window_ids.h"

namespace {

using namespace ktrv;

constexpr UINT kSendTimeoutMs = 10000;
constexpr DWORD kPollMs = 100;

// The console's window and its message boxes carry the window's title.
const std::wstring kTitle = win32::widen(layout::kWindowTitle);

HWND findWindow() { return FindWindowW(win32::kWindowClass, kTitle.c_str()); }

// Polls until done() holds; false when `seconds` passed first.
template <class Done>
bool waitFor(double seconds, Done done) {
  for (const DWORD start = GetTickCount();; Sleep(kPollMs)) {
    if (done()) return true;
    if (GetTickCount() - start >= static_cast<DWORD>(seconds * 1000)) return false;
  }
}

HWND control(HWND window, std::string_view name) {
  const ControlId row = rowNamed(name);
  return row < layout::kControls.size() ? GetDlgItem(window, win32::controlIdFor(row)) : nullptr;
}

bool send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR &result) {
  return SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result) != 0;
}

bool readText(HWND hwnd, std::wstring &text) {
  DWORD_PTR length = 0;
  if (!send(hwnd, WM_GETTEXTLENGTH, 0, 0, length)) return false;
  text.assign(length + 1, L'\0');
  DWORD_PTR got = 0;
  if (!send(hwnd, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()), got)) return false;
  text.resize(got);
  return true;
}

INPUT keyInput(WORD key, WORD character, DWORD flags) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = key;
  in.ki.wScan = character;
  in.ki.dwFlags = flags;
  return in;
}

INPUT mouseInput(LONG x, LONG y, DWORD flags) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  // Absolute positions run from 0 to 65535 across the screen.
  in.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
  in.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
  in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
  return in;
}

int fail(const char *what) {
  std::fprintf(stderr, "driver: %s\n", what);
  return 1;
}

// What an operator does with the mouse and the keyboard: a click into the
// middle of `target`, Ctrl+A, then `text`, one key after the other.
bool keyboard(HWND target, const std::wstring &text) {
  RECT r{};
  GetWindowRect(target, &r);
  const LONG x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
  std::vector<INPUT> in = {mouseInput(x, y, MOUSEEVENTF_MOVE),
                           mouseInput(x, y, MOUSEEVENTF_LEFTDOWN),
                           mouseInput(x, y, MOUSEEVENTF_LEFTUP),
                           keyInput(VK_CONTROL, 0, 0),
                           keyInput('A', 0, 0),
                           keyInput('A', 0, KEYEVENTF_KEYUP),
                           keyInput(VK_CONTROL, 0, KEYEVENTF_KEYUP)};
  for (const wchar_t c : text) {
    in.push_back(keyInput(0, c, KEYEVENTF_UNICODE));
    in.push_back(keyInput(0, c, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP));
  }
  return SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT)) == in.size();
}

// Keys reach the window that has the focus. Under Wine a window just shown
// may not have it yet, and what is typed then goes elsewhere: the operator
// sees the box unchanged, and clicks into it and types again. Ctrl+A makes
// each try replace what an earlier one left.
int typeInto(HWND window, HWND target, const char *name, const std::wstring &text) {
  constexpr int kTries = 3;
  constexpr double kFocusSeconds = 5, kShownSeconds = 3;
  std::wstring have;
  for (int attempt = 1; attempt <= kTries; ++attempt) {
    SetForegroundWindow(window);
    waitFor(kFocusSeconds, [&] { return GetForegroundWindow() == window; });
    if (!keyboard(target, text)) return fail("SendInput");
    if (waitFor(kShownSeconds, [&] { return readText(target, have) && have == text; })) return 0;
    std::fprintf(stderr, "driver: after typing, %s reads \"%ls\" (try %d of %d)\n", name, have.c_str(), attempt,
                 kTries);
  }
  return 1;
}

int failNoWindow(const char *kind) {
  std::fprintf(stderr, "driver: no %s titled \"%s\"\n", kind, layout::kWindowTitle);
  return 1;
}

// The operator reads the message box for a while (a box that closes itself
// is gone by then), then presses its OK button.
int closeMessage(double seconds) {
  constexpr DWORD kReadingMs = 1500;
  HWND box = nullptr;
  if (!waitFor(seconds, [&] { return (box = FindWindowW(L"#32770", kTitle.c_str())) != nullptr; }))
    return failNoWindow("message box");
  Sleep(kReadingMs);
  if (!IsWindow(box) || !IsWindowVisible(box)) return fail("the message box closed before the operator closed it");
  return PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0) ? 0 : fail("BM_CLICK on OK");
}

}  // namespace

int main(int argc, char **argv) {
  const std::string action = argc > 1 ? argv[1] : "";
  if (action == "wait-window" && argc == 3)  // IsWindowVisible(nullptr) is FALSE
    return waitFor(std::atof(argv[2]), [] { return IsWindowVisible(findWindow()) != FALSE; }) ? 0
                                                                                              : failNoWindow("window");
  if (action == "close-message" && argc == 3) return closeMessage(std::atof(argv[2]));

  const HWND window = findWindow();
  if (window == nullptr) return failNoWindow("window");
  const HWND target = argc > 2 ? control(window, argv[2]) : nullptr;
  if (target == nullptr) return fail("usage: driver ACTION CONTROL ..., with a control of the window");
  DWORD_PTR result = 0;

  if (action == "click" && argc == 3) return send(target, BM_CLICK, 0, 0, result) ? 0 : fail("BM_CLICK timed out");
  if (action == "post-click" && argc == 3) return PostMessageW(target, BM_CLICK, 0, 0) ? 0 : fail("BM_CLICK");
  if (action == "keyboard" && argc == 4) return typeInto(window, target, argv[2], win32::widen(argv[3]));
  if ((action == "wait-text" || action == "wait-checked") && argc == 5) {
    const bool text_wanted = action == "wait-text";
    const std::wstring want =
        text_wanted ? win32::widen(argv[3]) : std::wstring(argv[3][0] == '1' ? L"checked" : L"clear");
    std::wstring have;
    DWORD_PTR check = 0;
    if (waitFor(std::atof(argv[4]), [&] {
          return text_wanted ? readText(target, have) && have == want
                             : send(target, BM_GETCHECK, 0, 0, check) &&
                                   (have = check == BST_CHECKED ? L"checked" : L"clear") == want;
        }))
      return 0;
    std::fprintf(stderr, "driver: %s reads \"%ls\", not \"%ls\"\n", argv[2], have.c_str(), want.c_str());
    return 1;
  }
  return fail("unknown action or wrong number of arguments");
}
