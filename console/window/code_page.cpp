#include "code_page.h"

#include <array>

namespace ktrv {

namespace {

constexpr char16_t kUndefined = 0xFFFD;

// Bytes 0x80 to 0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char16_t, 32> kHighControlBlock{
    0x20AC,     kUndefined, 0x201A, 0x0192, 0x201E, 0x2026,     0x2020, 0x2021,      // 80-87
    0x02C6,     0x2030,     0x0160, 0x2039, 0x0152, kUndefined, 0x017D, kUndefined,  // 88-8F
    kUndefined, 0x2018,     0x2019, 0x201C, 0x201D, 0x2022,     0x2013, 0x2014,      // 90-97
    0x02DC,     0x2122,     0x0161, 0x203A, 0x0153, kUndefined, 0x017E, 0x0178,      // 98-9F
};

char16_t decodeByte(unsigned char b) {
  if (b < 0x20 || b == 0x7F) return kUndefined;
  if (b >= 0x80 && b < 0xA0) return kHighControlBlock[b - 0x80];
  return b;
}

char encodeChar(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (std::size_t i = 0; i < kHighControlBlock.size(); ++i) {
    if (kHighControlBlock[i] == c && c != kUndefined) return static_cast<char>(0x80 + i);
  }
  return '?';
}

}  // namespace

std::string encodeCp1252(const QString &text) {
  std::string out;
  out.reserve(static_cast<std::size_t>(text.size()));
  for (QChar c : text) out.push_back(encodeChar(c.unicode()));
  return out;
}

QString decodeCp1252ForDisplay(std::span<const char> bytes) {
  QString out;
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b == 0) break;
    out.append(QChar(decodeByte(b)));
  }
  return out;
}

}  // namespace ktrv
