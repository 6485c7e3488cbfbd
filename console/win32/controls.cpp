#include "controls.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "text_conversion.h"
#include "window_ids.h"

namespace ktrv::win32 {

namespace {

using layout::Kind;

// What the system paints a control of each kind with when the window gives
// it no colour of its own (as DefWindowProc answers WM_CTLCOLOR*).
int defaultBackIndex(Kind kind) { return kind == Kind::TextBox ? COLOR_WINDOW : COLOR_BTNFACE; }

int defaultForeIndex(Kind kind) {
  return kind == Kind::CommandButton || kind == Kind::CheckBox ? COLOR_BTNTEXT : COLOR_WINDOWTEXT;
}

std::uint32_t resolve(const layout::Colour &colour, int defaultIndex) {
  switch (colour.source) {
    case layout::Colour::Source::Rgb:
      return colour.value;
    case layout::Colour::Source::System:
      return rgbOf(GetSysColor(static_cast<int>(colour.value)));
    case layout::Colour::Source::Default:
      break;
  }
  return rgbOf(GetSysColor(defaultIndex));
}

struct ClassAndStyle {
  const wchar_t *className;
  DWORD style;
  DWORD exStyle;
};

// Every control clips its siblings, so that where two overlap the upper one
// shows whole; WS_GROUP keeps the arrow keys from moving the focus.
ClassAndStyle classAndStyleOf(Kind kind) {
  constexpr DWORD common = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_GROUP;
  switch (kind) {
    case Kind::Label:
      // A left-aligned static wraps its caption at word boundaries.
      return {L"STATIC", common | SS_LEFT | SS_NOPREFIX, 0};
    case Kind::TextBox:
      return {L"EDIT", common | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case Kind::CommandButton:
      return {L"BUTTON", common | WS_TABSTOP | BS_OWNERDRAW, 0};
    case Kind::CheckBox:
      // The tick square at the right, the caption beside it; the system
      // toggles the tick on a click anywhere on the box, before it notifies
      // the window.
      return {L"BUTTON", common | WS_TABSTOP | BS_AUTOCHECKBOX | BS_RIGHTBUTTON | BS_RIGHT | BS_VCENTER, 0};
    case Kind::PictureBox:
      break;
  }
  return {L"STATIC", common | WS_TABSTOP | SS_OWNERDRAW, 0};
}

void fill(HDC dc, int left, int top, int right, int bottom, HBRUSH brush) {
  const RECT r{left, top, right, bottom};
  FillRect(dc, &r, brush);
}

constexpr COLORREF kEdgeLight = colorRefOf(layout::kButtonEdgeLight);
constexpr COLORREF kEdgeDark = colorRefOf(layout::kButtonEdgeDark);
// Between a text box's sunken edge and its text, on either side.
constexpr int kTextMargin = 2;

}  // namespace

std::uint32_t backColourOf(const layout::Control &row) { return resolve(row.back, defaultBackIndex(row.kind)); }

std::uint32_t foreColourOf(const layout::Control &row) { return resolve(row.fore, defaultForeIndex(row.kind)); }

std::uint32_t colourOf(const layout::Colour &colour) { return resolve(colour, COLOR_WINDOWTEXT); }

FontSet::~FontSet() {
  for (const Made &m : made_) DeleteObject(m.handle);
}

HFONT FontSet::font(const layout::Font &font, int pixels) {
  for (const Made &m : made_) {
    if (std::strcmp(m.font.family, font.family) == 0 && m.pixels == pixels && m.font.bold == font.bold &&
        m.font.italic == font.italic)
      return m.handle;
  }
  // A negative height asks for the character height, not the cell's.
  const HFONT handle = CreateFontW(-pixels, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, font.italic ? TRUE : FALSE, FALSE,
                                   FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   DEFAULT_PITCH | FF_DONTCARE, widen(font.family).c_str());
  made_.push_back({font, pixels, handle});
  return handle;
}

void fitFontToText(FontSet &fonts, HWND box, const layout::Font &font, const std::wstring &text) {
  RECT room{};
  SendMessageW(box, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&room));
  const HDC dc = GetDC(box);
  int pixels = layout::pixelsForPoints(font.points);
  HFONT f = fonts.font(font, pixels);
  const HGDIOBJ old = SelectObject(dc, f);
  SIZE extent{};
  while (pixels > layout::kSmallestFittingPixels &&
         GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent) &&
         extent.cx > room.right - room.left) {
    f = fonts.font(font, --pixels);
    SelectObject(dc, f);
  }
  SelectObject(dc, old);
  ReleaseDC(box, dc);
  if (reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)) == f) return;
  SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
  // A new font sets the margins from its own widths.
  SendMessageW(box, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(kTextMargin, kTextMargin));
}

HWND createControl(HWND parent, HINSTANCE instance, ControlId row, HFONT font) {
  const layout::Control &c = layout::kControls[row];
  const ClassAndStyle cs = classAndStyleOf(c.kind);
  const HWND hwnd =
      CreateWindowExW(cs.exStyle, cs.className, widen(c.text).c_str(), cs.style, c.left, c.top, c.width, c.height,
                      parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlIdFor(row))), instance, nullptr);
  if (hwnd == nullptr) return nullptr;
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (c.kind == Kind::TextBox) {
    // No limit to what the operator or the console puts in a text box.
    SendMessageW(hwnd, EM_SETLIMITTEXT, 0, 0);
    SendMessageW(hwnd, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(kTextMargin, kTextMargin));
    SendMessageW(hwnd, EM_SETSEL, 0, 0);
  }
  return hwnd;
}

// Filled with its own colour inside a raised edge two pixels wide (sunken
// while pressed), the caption centred and wrapped at word boundaries.
void drawCommandButton(const DRAWITEMSTRUCT &item, std::uint32_t back, std::uint32_t fore) {
  const HDC dc = item.hDC;
  const RECT &r = item.rcItem;
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;

  const HBRUSH backBrush = CreateSolidBrush(colorRefOf(back));
  FillRect(dc, &r, backBrush);
  DeleteObject(backBrush);

  const HBRUSH light = CreateSolidBrush(pressed ? kEdgeDark : kEdgeLight);
  const HBRUSH dark = CreateSolidBrush(pressed ? kEdgeLight : kEdgeDark);
  // Each ring of the edge: top and left light, then bottom and right dark,
  // one pixel inside the control's last column and row.
  for (int i = 0; i < layout::kButtonEdgeWidth; ++i) {
    const int x0 = r.left + i, y0 = r.top + i;
    const int x1 = r.left + w - 2 - i, y1 = r.top + h - 2 - i;
    fill(dc, x0, y0, x1 + 1, y0 + 1, light);
    fill(dc, x0, y0, x0 + 1, y1 + 1, light);
    fill(dc, x0, y1, x1 + 1, y1 + 1, dark);
    fill(dc, x1, y0, x1 + 1, y1 + 1, dark);
  }
  DeleteObject(light);
  DeleteObject(dark);

  const int length = GetWindowTextLengthW(item.hwndItem);
  std::wstring caption(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(item.hwndItem, caption.data(), length + 1);
  caption.resize(static_cast<std::size_t>(length));

  constexpr int margin = layout::kButtonCaptionMargin;
  RECT area{r.left + margin, r.top + margin, r.right - margin, r.bottom - margin};
  if (pressed) OffsetRect(&area, layout::kButtonPressedShift, layout::kButtonPressedShift);
  const HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
  constexpr UINT format = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX;
  RECT measured = area;
  DrawTextW(dc, caption.c_str(), length, &measured, format | DT_CALCRECT);
  const int textHeight = measured.bottom - measured.top;
  RECT text = area;
  text.top = area.top + (area.bottom - area.top - textHeight) / 2;
  text.bottom = text.top + textHeight;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colorRefOf(fore));
  DrawTextW(dc, caption.c_str(), length, &text, format);
  SelectObject(dc, oldFont);

  if ((item.itemState & ODS_FOCUS) != 0) {
    RECT focus = r;
    InflateRect(&focus, -layout::kButtonFocusInset, -layout::kButtonFocusInset);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &focus);
  }
}

// The picture at the top left inside a sunken frame two pixels wide, the
// rest of the box in its background colour.
void drawPicture(const DRAWITEMSTRUCT &item, std::uint32_t back, HBITMAP picture) {
  const HDC dc = item.hDC;
  const RECT &r = item.rcItem;
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;

  const HBRUSH backBrush = CreateSolidBrush(colorRefOf(back));
  FillRect(dc, &r, backBrush);
  DeleteObject(backBrush);

  if (picture != nullptr) {
    BITMAP size{};
    GetObjectW(picture, sizeof size, &size);
    const HDC source = CreateCompatibleDC(dc);
    const HGDIOBJ old = SelectObject(source, picture);
    constexpr int frame = layout::kPictureFrameWidth;
    BitBlt(dc, r.left + frame, r.top + frame, std::min<int>(size.bmWidth, w - 2 * frame),
           std::min<int>(size.bmHeight, h - 2 * frame), source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
  }

  // Each ring: top and left in the shadow colour, then right and bottom in
  // the highlight colour, which takes the corners they share.
  const HBRUSH shadow = GetSysColorBrush(COLOR_BTNSHADOW);
  const HBRUSH highlight = GetSysColorBrush(COLOR_BTNHIGHLIGHT);
  for (int i = 0; i < layout::kPictureFrameWidth; ++i) {
    const int x0 = r.left + i, y0 = r.top + i;
    const int x1 = r.left + w - 1 - i, y1 = r.top + h - 1 - i;
    fill(dc, x0, y0, x1, y0 + 1, shadow);
    fill(dc, x0, y0, x0 + 1, y1, shadow);
    fill(dc, x0, y1, x1 + 1, y1 + 1, highlight);
    fill(dc, x1, y0, x1 + 1, y1 + 1, highlight);
  }
}

}  // namespace ktrv::win32
