// The keys that end an entry on the terminal's keyboard: the code the KTRV
// program puts into "/t1/bx252" and the name the console shows for it.
#ifndef VEKX_COMMON_TERMINATOR_KEYS_H
#define VEKX_COMMON_TERMINATOR_KEYS_H

#include <array>
#include <cstdint>

namespace vekx_common {

struct TerminatorKey {
  std::uint8_t code;
  const char *name;
};

inline constexpr std::array terminator_keys{
    TerminatorKey{1, "F6 Key"},       TerminatorKey{3, "F10 Key"},     TerminatorKey{4, "F9 Key"},
    TerminatorKey{7, "F5 Key"},       TerminatorKey{8, "Enter Key"},   TerminatorKey{9, "Left Arrow"},
    TerminatorKey{10, "Right Arrow"}, TerminatorKey{11, "Insert Key"}, TerminatorKey{12, "Home Key"},
    TerminatorKey{13, "End Key"},     TerminatorKey{14, "Delete Key"}, TerminatorKey{15, "Up Arrow"},
    TerminatorKey{16, "Down Arrow"},  TerminatorKey{17, "Page Up"},    TerminatorKey{18, "Page Down"},
    TerminatorKey{19, "F1 Key"},      TerminatorKey{20, "F2 Key"},     TerminatorKey{21, "F3 Key"},
    TerminatorKey{22, "F4 Key"},      TerminatorKey{23, "F11 Key"},    TerminatorKey{24, "F12 Key"},
};

// The name of a code; nullptr for a code without one (0, 2, 5, 6, 25 and up).
constexpr const char *terminator_name(int code) {
  for (const TerminatorKey &k : terminator_keys)
    if (k.code == code) return k.name;
  return nullptr;
}

}  // namespace vekx_common

#endif
