#include "tool_tips.h"

#include <commctrl.h>

#include "text_conversion.h"

namespace ktrv::win32 {

namespace {

// Wide enough for a sentence; the tip breaks its lines at '\n' and here.
constexpr LPARAM kTipWidth = 480;

HWND makeToolTipWindow(HWND owner) {
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
  InitCommonControlsEx(&classes);
  const HWND window = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                      reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE)), nullptr);
  if (window != nullptr) SendMessageW(window, TTM_SETMAXTIPWIDTH, 0, kTipWidth);
  return window;
}

}  // namespace

void ToolTips::set(HWND owner, HWND control, const std::string &text) {
  std::string &shown = texts_[control];
  if (shown == text || control == nullptr) return;
  if (window_ == nullptr) window_ = makeToolTipWindow(owner);
  if (window_ == nullptr) return;
  std::wstring wide = widen(text);
  // The size of the structure that comctl32 5.8 knows: XP runs it.
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = owner;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = wide.data();
  if (shown.empty())
    SendMessageW(window_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  else if (text.empty())
    SendMessageW(window_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  else
    SendMessageW(window_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  shown = text;
}

}  // namespace ktrv::win32
