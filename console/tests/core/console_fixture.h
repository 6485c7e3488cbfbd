// A console on a fake window and a fake terminal.
#ifndef KTRV_TEST_CONSOLE_FIXTURE_H
#define KTRV_TEST_CONSOLE_FIXTURE_H

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "console.h"
#include "fakes.h"

namespace ktrv::test {

using Strings = std::vector<std::string>;

class ConsoleTest : public ::testing::Test {
 protected:
  ConsoleTest() : console(window, terminal) { window.attach(console); }

  // Types the address into IPAddr and presses Start.
  void start(const std::string &address = "127.0.0.1") {
    window.setText(controlId("IPAddr"), address);
    window.click(controlId("IPupdate"));
  }
  // What one poll tick did at the terminal.
  Strings oneTick() {
    terminal.clearCalls();
    window.runTicks(1);
    return terminal.described();
  }
  // What a click did at the terminal, commands only (it returns once the
  // click's handling has ended).
  Strings clicked(ControlId control) {
    terminal.clearCalls();
    window.click(control);
    return terminal.described(false);
  }
  std::string text(const char *name) const { return window.text(controlIdOf(name)); }
  static ControlId controlIdOf(const std::string &name) {
    for (ControlId i = 0; i < layout::kControls.size(); ++i)
      if (name == layout::kControls[i].name) return i;
    throw std::invalid_argument(name);
  }

  FakeWindow window;
  FakeTerminal terminal{window};
  Console console;
};

}  // namespace ktrv::test

#endif
