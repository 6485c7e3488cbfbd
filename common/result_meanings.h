// What every result of the library's calls means, as the table
// result_meanings.txt states it: a few words for a one-line message and a
// sentence for a tooltip or a manual page.
#ifndef VEKX_COMMON_RESULT_MEANINGS_H
#define VEKX_COMMON_RESULT_MEANINGS_H

namespace vekx_common {

// The origins of the table's rows.
enum class Origin {
  library,  // the library's own results
  one_way,  // how a display or keystroke request words a result it shares with the library
  sockets,  // Windows Sockets error numbers
  vekxsim,  // status bytes of the simulated terminal
};

struct ResultMeaning {
  Origin origin;
  int code;
  const char *words;    // "no usable answer"
  const char *details;  // "The terminal did not answer in 3 attempts ...: check ..."
};

// The row of a code, or nullptr when the table has none.
const ResultMeaning *result_meaning(Origin origin, int code);

// The words of a Windows Sockets error number: "address in use"; "sockets
// error" for a number the table lacks.
const char *sockets_error_words(int number);

}  // namespace vekx_common

#endif
