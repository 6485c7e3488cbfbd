// The Win32 window itself, in this process, on a library that every read
// fails with 10048: the status box's text and the font it got. It needs a
// display, so scripts/checks/windows-console.sh runs it under Wine on its
// virtual one.
#include <gtest/gtest.h>

#include <string>

#include "text_conversion.h"
#include "vekxapi.h"
#include "window.h"
#include "window_ids.h"

namespace ktrv::win32 {
namespace {

// Registers; every read fails as with another program on the local port.
class PortTaken : public Library {
 public:
  std::int16_t registerProcess(std::int16_t, const char *, std::int32_t) override { return VEKX_OK; }
  std::int16_t closeProcess() override { return VEKX_OK; }
  std::int16_t read(const char *, std::int16_t, void *, std::int16_t *) override { return VEKX_WSAEADDRINUSE; }
  std::int16_t write(const char *, std::int16_t, const void *) override { return VEKX_WSAEADDRINUSE; }
};

struct Fit {
  std::wstring text;
  LOGFONTW font{};
  int textWidth = 0;
  int room = 0;
};

// The box's text in the font the box got, against its formatting rectangle.
Fit measure(HWND box) {
  Fit fit;
  fit.text.assign(static_cast<std::size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
  fit.text.resize(static_cast<std::size_t>(GetWindowTextW(box, fit.text.data(), static_cast<int>(fit.text.size()))));
  const auto font = reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0));
  GetObjectW(font, sizeof fit.font, &fit.font);
  RECT room{};
  SendMessageW(box, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&room));
  fit.room = room.right - room.left;
  const HDC dc = GetDC(box);
  const HGDIOBJ old = SelectObject(dc, font);
  SIZE extent{};
  GetTextExtentPoint32W(dc, fit.text.c_str(), static_cast<int>(fit.text.size()), &extent);
  SelectObject(dc, old);
  ReleaseDC(box, dc);
  fit.textWidth = extent.cx;
  return fit;
}

// "STOPPED, STATUS=10048" lost its last digit to the box's edge: the box
// gets a smaller size of its own face for it, and its own size back for a
// text that fits.
TEST(Win32Window, TheStatusBoxShowsAFiveDigitCodeWhole) {
  PortTaken library;
  MainWindow window(GetModuleHandleW(nullptr), library);
  ASSERT_TRUE(window.created()) << "no window: is there a display?";
  const HWND hwnd = FindWindowW(kWindowClass, widen(layout::kWindowTitle).c_str());
  const ControlId row = controlId("txtWeight");
  const HWND box = GetDlgItem(hwnd, controlIdFor(row));
  const layout::Font &want = layout::kControls[row].font;
  const int layoutPixels = layout::pixelsForPoints(want.points);
  EXPECT_EQ(-measure(box).font.lfHeight, layoutPixels) << "the initial text keeps the layout's font";

  for (const char *text : {"STOPPED, STATUS=10048", "STOPPED, STATUS=-32768"}) {
    window.setText(row, text);
    const Fit fit = measure(box);
    EXPECT_EQ(fit.text, widen(text));
    EXPECT_LE(fit.textWidth, fit.room) << text << " in " << -fit.font.lfHeight << " px";
    EXPECT_LT(-fit.font.lfHeight, layoutPixels) << text;
    EXPECT_EQ(std::wstring(fit.font.lfFaceName), widen(want.family));
    EXPECT_EQ(fit.font.lfWeight >= FW_BOLD, want.bold);
  }
  window.setText(row, "STOPPED, STATUS=-2");
  EXPECT_EQ(-measure(box).font.lfHeight, layoutPixels) << "a text that fits has the layout's size";
}

}  // namespace
}  // namespace ktrv::win32
