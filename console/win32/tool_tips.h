// The window's tooltips: a common-controls tooltip window that shows a
// control's text while the mouse rests on it. It uses only what the common
// controls of Windows XP offer (comctl32 5.8, no manifest needed).
#ifndef KTRV_WIN32_TOOL_TIPS_H
#define KTRV_WIN32_TOOL_TIPS_H

#include <windows.h>

#include <map>
#include <string>

namespace ktrv::win32 {

class ToolTips {
 public:
  ToolTips() = default;
  ToolTips(const ToolTips &) = delete;
  ToolTips &operator=(const ToolTips &) = delete;

  // The tip of a child of owner; an empty text removes it. The tooltip
  // window is made with the first tip and goes with its owner.
  void set(HWND owner, HWND control, const std::string &text);

 private:
  HWND window_ = nullptr;
  std::map<HWND, std::string> texts_;
};

}  // namespace ktrv::win32

#endif
