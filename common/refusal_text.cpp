#include "refusal_text.h"

#include <algorithm>
#include <vector>

#include "vekx_wire.h"

namespace vekx_common {

namespace {

// A value as a message shows it: an empty one as "".
std::string shown(std::string_view value) { return value.empty() ? std::string("\"\"") : std::string(value); }

// Edits that turn a into b: a letter replaced, inserted or deleted, or two
// neighbours swapped, each counting one.
std::size_t typing_distance(std::string_view a, std::string_view b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t replaced = d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, replaced});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  }
  return d[a.size()][b.size()];
}

}  // namespace

std::optional<long> number_in_range(std::string_view what, std::string_view value, long lowest, long highest,
                                    std::string &why) {
  const std::optional<long> number = vekx::whole_number(value, lowest, highest, vekx::Digits::decimal_or_hex);
  if (!number)
    why = std::string(what) + " " + shown(value) + ": must be a number from " + std::to_string(lowest) + " to " +
          std::to_string(highest);
  return number;
}

std::string nearest_word(std::string_view typed, std::span<const std::string_view> known) {
  std::vector<std::string_view> begun;
  for (std::string_view word : known)
    if (word.size() > typed.size() && word.substr(0, typed.size()) == typed) begun.push_back(word);
  if (begun.size() == 1 && typed.size() > 2) return std::string(begun.front());
  if (begun.size() > 1) return {};  // the start of several: no guess

  std::string_view best;
  std::size_t best_distance = 0;
  for (std::string_view word : known) {
    const std::size_t distance = typing_distance(typed, word);
    if (best.empty() || distance < best_distance) {
      best = word;
      best_distance = distance;
    }
  }
  // At most two slips, and never most of the word.
  const bool close = best_distance <= 2 && best_distance * 3 <= std::max(typed.size(), best.size());
  return close ? std::string(best) : std::string();
}

std::string unknown_word(std::string_view kind, std::string_view typed, std::span<const std::string_view> known) {
  std::string text = "unknown " + std::string(kind) + " " + shown(typed);
  if (const std::string nearest = nearest_word(typed, known); !nearest.empty())
    text += " (did you mean " + nearest + "?)";
  return text;
}

std::string unwanted_value(std::string_view option, std::string_view given) {
  std::string why(option);
  why.append(" takes no value (given ").append(given).append(")");
  return why;
}

std::string refusal_lines(std::string_view program, std::string_view why) {
  return std::string(program) + ": " + std::string(why) + "\nsee " + std::string(program) + " --help\n";
}

}  // namespace vekx_common
