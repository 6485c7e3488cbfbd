// Everything the window looks like, in one place: the controls with their
// kinds, captions, colours, fonts and places, the frame lines, the tab order
// and the timers, and how the front ends draw what the platform does not.
// Both front ends build the window from it. Places are pixels of the client
// area of a 96-dpi screen; fonts are given in points and sized in pixels
// (pixelsForPoints) so the layout does not depend on the display's DPI.
// Texts are UTF-8.
#ifndef KTRV_WINDOW_LAYOUT_H
#define KTRV_WINDOW_LAYOUT_H

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace ktrv::layout {

inline constexpr const char *kWindowName = "frmMain";
inline constexpr const char *kWindowTitle = "TEST KTRV";
inline constexpr int kClientWidth = 708;
inline constexpr int kClientHeight = 443;

// The poll timer ticks from the window's creation until it closes.
inline constexpr int kPollIntervalMs = 300;

enum class Kind { Label, TextBox, CommandButton, CheckBox, PictureBox };

// A colour is an RGB value, one of the platform's system colours by index,
// or the platform's default for the control's kind.
struct Colour {
  enum class Source { Default, Rgb, System };
  Source source;
  std::uint32_t value;  // 0xRRGGBB, or the system colour index
};
inline constexpr Colour rgb(std::uint32_t v) { return {Colour::Source::Rgb, v}; }
inline constexpr Colour systemColour(std::uint32_t index) { return {Colour::Source::System, index}; }
inline constexpr Colour byDefault() { return {Colour::Source::Default, 0}; }

struct Font {
  const char *family;  // the window's face; a front end may stand in a near one
  double points;
  bool bold;
  bool italic;
};

// The pixel height of a font of this many points on the 96-dpi screen the
// layout is drawn for, rounded to whole pixels.
inline int pixelsForPoints(double points) { return static_cast<int>(std::lround(points * 96.0 / 72.0)); }

inline constexpr Font kWindowFont{"Courier New", 12, true, false};
inline constexpr Font kSansSmall{"MS Sans Serif", 8.25, false, false};
inline constexpr Font kSansSmallBold{"MS Sans Serif", 8.25, true, false};
inline constexpr Font kSansMedium{"MS Sans Serif", 13.5, false, false};
inline constexpr Font kSansCloseBold{"MS Sans Serif", 9.75, true, false};
inline constexpr Font kSansLargeBold{"MS Sans Serif", 18, true, false};
inline constexpr Font kCourierLargeBold{"Courier New", 18, true, false};
inline constexpr Font kCourierLowerDisplay{"Courier New", 15.75, true, false};
inline constexpr Font kCourierTinyBold{"Courier New", 8.25, true, false};
inline constexpr Font kCourierSmallBold{"Courier New", 9.75, true, false};
inline constexpr Font kCourierSmallBoldItalic{"Courier New", 9.75, true, true};
inline constexpr Font kArialSmallBold{"Arial", 9.75, true, false};
inline constexpr Font kArialSmallBoldItalic{"Arial", 9.75, true, true};
inline constexpr Font kArialLargeBold{"Arial", 15.75, true, false};
inline constexpr Font kArialNarrowSmallBoldItalic{"Arial Narrow", 9.75, true, true};

inline constexpr Colour kWindowBack = rgb(0xC04000);
inline constexpr Colour kWindowFore = rgb(0x800000);

struct Control {
  const char *name;
  Kind kind;
  const char *text;  // caption or initial text, exactly
  Colour back;
  Colour fore;
  Font font;
  int left, top, width, height;
};

using K = Kind;
inline constexpr Colour D = byDefault();

// clang-format off
inline constexpr std::array kControls = std::to_array<Control>({
  // Header and connection row
  {"Label2",    K::Label,         "KTRV Display",    rgb(0x804040), rgb(0xFFFFFF),   kSansLargeBold, 48, 16, 169, 33},
  {"Label3",    K::Label,         "VekX IP Address", rgb(0x000000), systemColour(20), kSansMedium,  352, 16, 153, 25},
  {"IPAddr",    K::TextBox,       "111.111.111.111", D, D,                            kSansMedium,  512,  8, 145, 33},
  {"StopEther", K::CommandButton, "Stop",            rgb(0xFF0000), D,                kSansSmall,   528, 48,  65, 33},
  {"IPupdate",  K::CommandButton, "Start",           rgb(0x80FF80), D,                kSansSmall,   600, 48,  65, 33},
  // KTRV display lines and weight
  {"DisplayLine1", K::TextBox, "KTRV Display Line 1 ",  rgb(0xFFFF80), rgb(0x000000), kCourierLargeBold, 8,  64, 289, 35},
  {"DisplayLine2", K::TextBox, "KTRV Display Line 2",   rgb(0xFFFF80), D,             kCourierLargeBold, 8,  96, 289, 31},
  {"DisplayLine3", K::TextBox, "KTRV Display Line 3",   rgb(0xFFFF80), D,             kCourierLargeBold, 8, 128, 289, 29},
  {"txtWeight",    K::TextBox, "STOPPED, PRESS START",  rgb(0xFFFF80), rgb(0x000000), kCourierLargeBold, 8, 152, 289, 33},
  // Display commands and picture
  {"UpdateDisplay",  K::CommandButton, "Update 4Line Display", rgb(0xFFC0C0),  D, kSansSmallBold,        320,  64,  81, 41},
  {"SingleLineDisp", K::CommandButton, "Update Single Line",   systemColour(1), D, kArialSmallBoldItalic, 408,  64,  89, 41},
  {"Picture1",       K::PictureBox,    "",                     rgb(0xFFFFFF),  D, kWindowFont,           328, 120, 145, 81},
  // Terminal lower display
  {"LowerDisplay", K::TextBox, "",                   rgb(0x000000), rgb(0x00FFFF), kCourierLowerDisplay, 16, 192, 265, 26},
  {"LowerLabel",   K::Label,   "VekX Lower Display", rgb(0x000080), rgb(0x00FFFF), kWindowFont,          40, 224, 193, 17},
  // Messages from the KTRV device
  {"FromKtrvLabel",   K::Label,         "Message From KTRV",         rgb(0xC0C0FF), D, kCourierTinyBold,        512,  96,  65, 33},
  {"pc_acknowledge",  K::CommandButton, "PC Acknowledge",            rgb(0x00FF00), D, kCourierSmallBoldItalic, 584,  96, 121, 33},
  {"MessageFromKtrv", K::TextBox,       "",                          D,             D, kWindowFont,             512, 136, 169, 26},
  {"TransComplete",   K::CommandButton, "Send Transaction Complete", rgb(0xFFE0C0), D, kSansSmallBold,          504, 168,  89, 49},
  {"SendReset",       K::CommandButton, "Send KTRV Reset",           rgb(0xFFC0C0), D, kArialSmallBold,         600, 168,  81, 49},
  // Badge port, keyboard buffer and terminator
  {"VekSerial",       K::Label,         "KTRV Badge Port",   systemColour(18), rgb(0xFFFFFF), kArialLargeBold,   152, 256, 185, 25},
  {"Com1Label",       K::Label,         "Com1",              D, D,                            kCourierSmallBold,  16, 296,  33, 17},
  {"VekSerial1",      K::TextBox,       "VekX Serial Port Number Local Port # 1", D, D,      kWindowFont,        56, 288, 409, 25},
  {"SerialClear",     K::CommandButton, "Clear Message Windows", rgb(0xFFC080), D,          kArialNarrowSmallBoldItalic, 352, 208, 97, 33},
  {"BufFlush",        K::CommandButton, "Flush Buffer",      systemColour(1), D,              kWindowFont,       360, 248,  81, 33},
  {"KeyBuffer",       K::Label,         "Keyboard Buffer",   rgb(0x000000), rgb(0xFFFFFF),  kWindowFont,       512, 232, 153, 17},
  {"VekKeyBuffer",    K::TextBox,       "Keyboard Buffer",   D, D,                          kWindowFont,       480, 256, 217, 26},
  {"TerminatorLabel", K::Label,         "Terminate Character", rgb(0x000000), rgb(0xFFFFFF), kWindowFont,    488, 288, 201, 17},
  {"VekTerminator",   K::TextBox,       "Terminator",        D, D,                          kWindowFont,       560, 312, 113, 26},
  // Outputs
  {"Out1",  K::CheckBox, "Out 1", rgb(0x00C0C0), D, kWindowFont,   8, 320, 73, 18},
  {"Out2",  K::CheckBox, "Out 2", rgb(0x00C0C0), D, kWindowFont,   8, 344, 73, 18},
  {"Out3",  K::CheckBox, "Out 3", rgb(0x00C0C0), D, kWindowFont,   8, 368, 73, 18},
  {"Out4",  K::CheckBox, "Out 4", rgb(0x00C0C0), D, kWindowFont,   8, 392, 73, 18},
  {"Out5",  K::CheckBox, "Out 5", rgb(0x00C0C0), D, kWindowFont,  88, 320, 73, 18},
  {"Out6",  K::CheckBox, "Out 6", rgb(0x00C0C0), D, kWindowFont,  88, 344, 73, 18},
  {"Out7",  K::CheckBox, "Out 7", rgb(0x00C0C0), D, kWindowFont,  88, 368, 73, 18},
  {"Out8",  K::CheckBox, "Out 8", rgb(0x00C0C0), D, kWindowFont,  88, 392, 73, 18},
  {"Out9",  K::CheckBox, "Out 9", rgb(0x00C0C0), D, kWindowFont, 168, 320, 73, 18},
  {"Out10", K::CheckBox, "Out10", rgb(0x00C0C0), D, kWindowFont, 168, 344, 73, 18},
  {"Out11", K::CheckBox, "Out11", rgb(0x00C0C0), D, kWindowFont, 168, 368, 73, 18},
  {"Out12", K::CheckBox, "Out12", rgb(0x00C0C0), D, kWindowFont, 168, 392, 73, 18},
  {"OutputsOff",  K::CommandButton, "Clear Outputs",         rgb(0xFF0000), D,             kWindowFont, 248, 320,  81, 41},
  {"Command1",    K::CommandButton, "Clear Forcing",         rgb(0xC0C000), D,             kWindowFont, 248, 368,  81, 41},
  {"OutputLabel", K::Label,         "PC Force VekX Outputs", rgb(0xC000C0), rgb(0x404040), kWindowFont,  16, 416, 217, 17},
  // Inputs
  {"In1",  K::CheckBox, "In 1", rgb(0xFF8000), D, kWindowFont, 336, 320, 65, 18},
  {"In2",  K::CheckBox, "In 2", rgb(0xFF8000), D, kWindowFont, 336, 344, 65, 18},
  {"In3",  K::CheckBox, "In 3", rgb(0xFF8000), D, kWindowFont, 336, 368, 65, 18},
  {"In4",  K::CheckBox, "In 4", rgb(0xFF8000), D, kWindowFont, 336, 392, 65, 18},
  {"In5",  K::CheckBox, "In 5", rgb(0xFF8000), D, kWindowFont, 408, 320, 65, 18},
  {"In6",  K::CheckBox, "In 6", rgb(0xFF8000), D, kWindowFont, 408, 344, 65, 18},
  {"In7",  K::CheckBox, "In 7", rgb(0xFF8000), D, kWindowFont, 408, 368, 65, 18},
  {"In8",  K::CheckBox, "In 8", rgb(0xFF8000), D, kWindowFont, 408, 392, 65, 18},
  {"In9",  K::CheckBox, "In 9", rgb(0xFF8000), D, kWindowFont, 480, 320, 65, 18},
  {"In10", K::CheckBox, "In10", rgb(0xFF8000), D, kWindowFont, 480, 344, 65, 18},
  {"In11", K::CheckBox, "In11", rgb(0xFF8000), D, kWindowFont, 480, 368, 65, 18},
  {"In12", K::CheckBox, "In12", rgb(0xFF8000), D, kWindowFont, 480, 392, 65, 18},
  {"Label1", K::Label, "VekX Inputs", rgb(0xFF80FF), rgb(0x404040), kWindowFont, 384, 416, 121, 17},
  // Closing
  {"ExitProg", K::CommandButton, "Close Program", rgb(0xFF8080), D, kSansCloseBold, 568, 368, 121, 41},
});
// clang-format on

// The four frame lines around the display-line group: Line1 (left), Line2
// index 0 (top) and 1 (bottom), Line3 (right), drawn on the window itself.
struct Line {
  int x1, y1, x2, y2;
  int width;
  Colour colour;
};
inline constexpr int kFrameLineWidth = 10;
inline constexpr std::array kLines = std::to_array<Line>({
    {8, 64, 8, 184, kFrameLineWidth, systemColour(11)},
    {296, 64, 8, 64, kFrameLineWidth, systemColour(11)},
    {296, 184, 8, 184, kFrameLineWidth, systemColour(11)},
    {296, 64, 296, 184, kFrameLineWidth, systemColour(11)},
});

inline constexpr int kPictureImageWidth = 138;
inline constexpr int kPictureImageHeight = 73;
// The picture box shows its image at the top left inside a sunken frame.
inline constexpr int kPictureFrameWidth = 2;

// A command button is filled with its own colour inside a raised edge: light
// at the top and left, dark at the bottom and right, the two swapped while
// it is pressed. Its caption is centred and wrapped inside a margin, one
// pixel right and down while pressed; the focus rectangle lies just inside
// the edge.
inline constexpr int kButtonEdgeWidth = 2;
inline constexpr std::uint32_t kButtonEdgeLight = 0xFFFFFF;
inline constexpr std::uint32_t kButtonEdgeDark = 0x404040;
inline constexpr int kButtonCaptionMargin = 1;
inline constexpr int kButtonPressedShift = 1;
inline constexpr int kButtonFocusInset = kButtonEdgeWidth + 1;

// The status box shows the whole of its text: a text wider than the box at
// the box's font ("STOPPED, STATUS=10048") is drawn in the largest smaller
// size of the same face that shows all of it, down to this many pixels.
inline constexpr const char *kWholeTextBox = "txtWeight";
inline constexpr int kSmallestFittingPixels = 8;

// Controls that take the keyboard focus, in tab order; the first one has the
// focus when the window opens.
inline constexpr std::array kTabOrder = std::to_array<const char *>({
    "ExitProg",
    "DisplayLine1",
    "txtWeight",
    "IPAddr",
    "IPupdate",
    "UpdateDisplay",
    "DisplayLine2",
    "DisplayLine3",
    "StopEther",
    "VekTerminator",
    "TransComplete",
    "VekSerial1",
    "SerialClear",
    "MessageFromKtrv",
    "VekKeyBuffer",
    "LowerDisplay",
    "Picture1",
    "SendReset",
    "pc_acknowledge",
    "BufFlush",
    "SingleLineDisp",
    "Out1",
    "Out2",
    "Out3",
    "Out4",
    "OutputsOff",
    "Out5",
    "Out6",
    "Out7",
    "Out8",
    "Command1",
    "In1",
    "In2",
    "In3",
    "In4",
    "In5",
    "In6",
    "In7",
    "In8",
    "In9",
    "In10",
    "In11",
    "In12",
    "Out9",
    "Out10",
    "Out11",
    "Out12",
});

}  // namespace ktrv::layout

namespace ktrv {

// A control of the window: its row in layout::kControls.
using ControlId = std::size_t;

// The row of the control called name; kControls.size() when there is none.
constexpr ControlId rowNamed(std::string_view name) {
  ControlId row = 0;
  while (row < layout::kControls.size() && name != layout::kControls[row].name) ++row;
  return row;
}

// The same where the name is known when compiling: a name the table lacks
// does not compile.
consteval ControlId controlId(std::string_view name) {
  const ControlId row = rowNamed(name);
  return row < layout::kControls.size() ? row : throw "the window has no control of this name";
}

// The control that has the focus when the window opens.
inline constexpr ControlId kInitialFocus = controlId(layout::kTabOrder.front());

}  // namespace ktrv

#endif
