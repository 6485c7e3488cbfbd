// How the console's window and its controls are found: the window by its
// class and title, each control by an ID made from its row in the layout
// table. The window procedure maps notifications back to rows with it, and
// the test driver finds controls by name from outside the process.
#ifndef KTRV_WIN32_WINDOW_IDS_H
#define KTRV_WIN32_WINDOW_IDS_H

#include "window_layout.h"

namespace ktrv::win32 {

inline constexpr const wchar_t *kWindowClass = L"KTRVtest.frmMain";
inline constexpr int kFirstControlId = 1000;

constexpr int controlIdFor(ControlId row) { return kFirstControlId + static_cast<int>(row); }

// The row of a control ID; false for an ID that names no control.
constexpr bool rowOfControlId(int id, ControlId &row) {
  if (id < kFirstControlId || id >= kFirstControlId + static_cast<int>(layout::kControls.size())) return false;
  row = static_cast<ControlId>(id - kFirstControlId);
  return true;
}

}  // namespace ktrv::win32

#endif
