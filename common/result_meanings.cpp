#include "result_meanings.h"

#include "terminal_status.h"
#include "vekxapi.h"

namespace vekx_common {

namespace {

#define ROW(origin, code, words, details) ResultMeaning{origin, code, words, details},
constexpr ResultMeaning rows[] = {
#include "result_meanings.inc"
};
#undef ROW

// Each code of the table is the one vekxapi.h or the simulator gives it.
#define ROW(origin, code, words, details)
#define CHECK
#include "result_meanings.inc"
#undef CHECK
#undef ROW

}  // namespace

const ResultMeaning *result_meaning(Origin origin, int code) {
  for (const ResultMeaning &row : rows)
    if (row.origin == origin && row.code == code) return &row;
  return nullptr;
}

const char *sockets_error_words(int number) {
  const ResultMeaning *row = result_meaning(Origin::sockets, number);
  return row != nullptr ? row->words : "sockets error";
}

}  // namespace vekx_common
