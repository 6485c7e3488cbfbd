// Windows-1252 against UTF-8, held against iconv for every byte, and the
// malformed UTF-8 a text field may bring: a wrong table entry puts another
// character on the display, a malformed form let through smuggles a byte
// past the checks that refuse one.
#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "code_page.h"

namespace vekx_common {
namespace {

// The byte as UTF-8 by iconv; nothing where iconv knows no character for it.
std::optional<std::string> system_utf8(std::uint8_t byte) {
  iconv_t cd = iconv_open("UTF-8", "CP1252");
  if (reinterpret_cast<std::intptr_t>(cd) == -1) return std::nullopt;  // iconv_open failed
  char in[1] = {static_cast<char>(byte)};
  std::array<char, 8> out{};
  char *in_at = in, *out_at = out.data();
  std::size_t in_left = 1, out_left = out.size();
  const std::size_t done = iconv(cd, &in_at, &in_left, &out_at, &out_left);
  iconv_close(cd);
  if (done == static_cast<std::size_t>(-1)) return std::nullopt;
  return std::string(out.data(), out_at);
}

const std::vector<std::uint8_t> undefined_bytes{0x81, 0x8D, 0x8F, 0x90, 0x9D};

TEST(CodePage, EveryByteBothWaysAsTheSystemConvertsIt) {
  ASSERT_TRUE(system_utf8('A')) << "iconv has no CP1252 here";
  for (int b = 0; b < 256; ++b) {
    const auto byte = static_cast<std::uint8_t>(b);
    const std::string ours = utf8_from_cp1252(std::span(&byte, 1));
    const bool undefined = std::find(undefined_bytes.begin(), undefined_bytes.end(), byte) != undefined_bytes.end();
    if (undefined) {
      EXPECT_EQ(ours, "\xEF\xBF\xBD") << "byte " << b << " is undefined: U+FFFD";
      EXPECT_EQ(cp1252_byte(cp1252_character(byte)), std::nullopt) << b;
      continue;
    }
    const std::optional<std::string> expected = system_utf8(byte);
    ASSERT_TRUE(expected) << "iconv knows no character for byte " << b;
    EXPECT_EQ(ours, *expected) << "byte " << b;
    const Cp1252Text back = cp1252_exactly(ours);
    EXPECT_TRUE(back.complete()) << "byte " << b;
    EXPECT_EQ(back.bytes, std::string(1, static_cast<char>(byte))) << "byte " << b;
    EXPECT_EQ(cp1252_from_utf8(ours), std::string(1, static_cast<char>(byte))) << "byte " << b;
  }
}

// Each row: a UTF-8 form at the edge of a rule (the lead byte, the length,
// overlong forms, surrogates, U+10FFFF), with its character, or none when
// it is malformed: a malformed form is refused byte by byte, a well-formed
// one read whole and written back the same.
TEST(CodePage, Utf8AtTheEdgesOfEachRule) {
  const std::pair<const char *, std::optional<char32_t>> rows[] = {
      {"\x7F", 0x7F},
      {"\xC2\x80", 0x80},
      {"\xDF\xBF", 0x7FF},
      {"\xE0\xA0\x80", 0x800},
      {"\xED\x9F\xBF", 0xD7FF},
      {"\xEE\x80\x80", 0xE000},
      {"\xEF\xBF\xBF", 0xFFFF},
      {"\xF0\x90\x80\x80", 0x10000},
      {"\xF4\x8F\xBF\xBF", 0x10FFFF},
      {"\xC1\xBF", {}},          // overlong U+007F
      {"\xE0\x9F\xBF", {}},      // overlong U+07FF
      {"\xF0\x8F\xBF\xBF", {}},  // overlong U+FFFF
      {"\xED\xA0\x80", {}},      // surrogate U+D800
      {"\xF4\x90\x80\x80", {}},  // U+110000
      {"\xF5\x80\x80\x80", {}},  // lead byte past U+10FFFF
      {"\xFF", {}},
      {"\x80", {}},          // lone continuation
      {"\xF0\x9F\x98", {}},  // truncated
      {"\xE2\x28\xA1", {}},  // second byte not a continuation
  };
  for (const auto &[text, character] : rows) {
    const std::string_view view(text);
    std::size_t at = 0;
    EXPECT_EQ(utf8_character(view, at), character) << testing::PrintToString(std::string(view));
    if (character) {
      EXPECT_EQ(at, view.size());
      std::string again;
      append_utf8(again, *character);
      EXPECT_EQ(again, view);
      continue;
    }
    EXPECT_EQ(at, 1u) << "skips its first byte alone";
    EXPECT_TRUE(cp1252_exactly(view).malformed);
    // Every byte of it becomes '?', and an ASCII byte after it stays itself.
    std::string shown(view);
    for (char &c : shown)
      if (static_cast<unsigned char>(c) >= 0x80) c = '?';
    EXPECT_EQ(cp1252_from_utf8(view), shown);
  }
}

}  // namespace
}  // namespace vekx_common
