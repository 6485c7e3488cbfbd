// window_facts FILE: writes what scripts need to know of the console's
// window, taken from the layout table, as shell assignments to source:
//   window_title='TITLE'       the title to find the window by
//   window_size=WIDTHxHEIGHT   its client area, as ImageMagick prints a size
//   centre_NAME='X Y'          the middle of each control, in client pixels
// The build writes it beside the console (scripts/lib/x-display.sh reads it),
// so no script restates a fact of the window.
#include <cstdio>
#include <fstream>
#include <string>

#include "window_layout.h"

namespace {

// A text in single quotes, as the shell reads it back unchanged.
std::string quoted(const std::string &text) {
  std::string out = "'";
  for (const char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: window_facts FILE (the shell assignments to write)\n");
    return 2;
  }
  std::ofstream out(argv[1]);
  using namespace ktrv::layout;
  out << "# The console window's facts, written from console/core/window_layout.h.\n"
      << "window_title=" << quoted(kWindowTitle) << "\n"
      << "window_size=" << kClientWidth << "x" << kClientHeight << "\n";
  for (const Control &c : kControls)
    out << "centre_" << c.name << "='" << c.left + c.width / 2 << " " << c.top + c.height / 2 << "'\n";
  out.close();
  if (!out) {
    std::fprintf(stderr, "window_facts: could not write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
