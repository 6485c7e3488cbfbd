// The window's controls, made from their rows of the layout table, with the
// fonts and colours they are drawn in; and the drawing of the two kinds the
// system does not draw as designed: command buttons filled with their own
// colour, and the picture box.
#ifndef KTRV_WIN32_CONTROLS_H
#define KTRV_WIN32_CONTROLS_H

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "window_layout.h"

namespace ktrv::win32 {

// 0xRRGGBB and the system's COLORREF (0x00BBGGRR).
constexpr COLORREF colorRefOf(std::uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }
constexpr std::uint32_t rgbOf(COLORREF colour) {
  return (std::uint32_t{GetRValue(colour)} << 16) | (std::uint32_t{GetGValue(colour)} << 8) | GetBValue(colour);
}

// The colours a row stands for on this system: its RGB value, a system
// colour by its index (GetSysColor), or the system's default for its kind.
std::uint32_t backColourOf(const layout::Control &row);
std::uint32_t foreColourOf(const layout::Control &row);
std::uint32_t colourOf(const layout::Colour &colour);

// Each font of the table, made once for a 96-dpi screen; freed with the set.
class FontSet {
 public:
  FontSet() = default;
  FontSet(const FontSet &) = delete;
  FontSet &operator=(const FontSet &) = delete;
  ~FontSet();
  HFONT font(const layout::Font &face) { return font(face, layout::pixelsForPoints(face.points)); }
  // The same face in another size, its character height in pixels.
  HFONT font(const layout::Font &font, int pixels);

 private:
  struct Made {
    layout::Font font;
    int pixels;
    HFONT handle;
  };
  std::vector<Made> made_;
};

// Gives a text box the font that shows the whole of text: the row's font,
// or where the text is wider than the box's formatting rectangle, the
// largest smaller size of it (not below layout::kSmallestFittingPixels) in
// which all of it shows. The text itself is the caller's to set.
void fitFontToText(FontSet &fonts, HWND box, const layout::Font &font, const std::wstring &text);

// The child window for a row, at its place, with its caption and font.
HWND createControl(HWND parent, HINSTANCE instance, ControlId row, HFONT font);

// WM_DRAWITEM of a command button and of the picture box.
void drawCommandButton(const DRAWITEMSTRUCT &item, std::uint32_t back, std::uint32_t fore);
void drawPicture(const DRAWITEMSTRUCT &item, std::uint32_t back, HBITMAP picture);

}  // namespace ktrv::win32

#endif
