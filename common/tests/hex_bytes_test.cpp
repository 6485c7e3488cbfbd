// Bytes typed in hex for a write or a control command: a misread digit or
// separator would send other bytes than the ones typed.
#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "hex_bytes.h"

namespace vekx_common {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(HexBytes, EveryWayOfTypingThemReadsTheSameBytes) {
  for (const char *text :
       {"0a ff", "0aff", "0a:ff", "0a,ff", "0x0a 0xff", "0X0A 0XFF", "  0a\tff  ", "0a, ff", "0x0aff"})
    EXPECT_EQ(parse_hex_bytes(text), (Bytes{0x0a, 0xff})) << '"' << text << '"';
  EXPECT_EQ(parse_hex_bytes(""), Bytes{});
  EXPECT_EQ(parse_hex_bytes(" , "), Bytes{});
}

TEST(HexBytes, AnythingButWholeBytesOfHexIsRefused) {
  for (const char *text :
       {"a", "0a f", "abc", "0g", "0G", "0/", "0@", "0`", "zz", "0x", "0a 0x", "0a-ff", "0a;ff", "-1", "0xx1", "1 2"})
    EXPECT_EQ(parse_hex_bytes(text), std::nullopt) << '"' << text << '"';
}

TEST(HexBytes, EveryByteReadsBackAsWritten) {
  Bytes all(256);
  std::iota(all.begin(), all.end(), 0);
  EXPECT_EQ(parse_hex_bytes(hex_text(all)), all);
  EXPECT_EQ(hex_text(Bytes{}), "");
}

}  // namespace
}  // namespace vekx_common
