// Names of the keys that end an entry on the terminal's keyboard.
#ifndef KTRV_TERMINATOR_NAMES_H
#define KTRV_TERMINATOR_NAMES_H

#include <array>
#include <cstdint>

namespace ktrv::poll {

struct TerminatorName {
  std::int16_t code;
  const char *name;
};

inline constexpr std::array kTerminatorNames{
    TerminatorName{1, "F6 Key"},       TerminatorName{3, "F10 Key"},     TerminatorName{4, "F9 Key"},
    TerminatorName{7, "F5 Key"},       TerminatorName{8, "Enter Key"},   TerminatorName{9, "Left Arrow"},
    TerminatorName{10, "Right Arrow"}, TerminatorName{11, "Insert Key"}, TerminatorName{12, "Home Key"},
    TerminatorName{13, "End Key"},     TerminatorName{14, "Delete Key"}, TerminatorName{15, "Up Arrow"},
    TerminatorName{16, "Down Arrow"},  TerminatorName{17, "Page Up"},    TerminatorName{18, "Page Down"},
    TerminatorName{19, "F1 Key"},      TerminatorName{20, "F2 Key"},     TerminatorName{21, "F3 Key"},
    TerminatorName{22, "F4 Key"},      TerminatorName{23, "F11 Key"},    TerminatorName{24, "F12 Key"},
};

// nullptr for a code without a name (0, 2, 5, 6, 25 and above).
constexpr const char *terminatorName(std::int16_t code) {
  for (const TerminatorName &t : kTerminatorNames) {
    if (t.code == code) return t.name;
  }
  return nullptr;
}

}  // namespace ktrv::poll

#endif
