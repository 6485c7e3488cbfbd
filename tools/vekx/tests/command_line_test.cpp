// What vekx accepts on its command line and what it refuses before sending;
// values as it shows them.
#include <gtest/gtest.h>

#include "command_line.h"
#include "value_text.h"

namespace vekx_tool {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The command of a line vekx accepts; a refused line fails the test with
// its reason.
Command parsed(const std::vector<std::string> &args) {
  const ParseResult p = parse_command_line(args);
  if (!p.command) ADD_FAILURE() << "refused: " << p.error;
  return p.command.value_or(Command{});
}

TEST(CommandLine, ReadTakesOptionsAnywhereAfterTheCommandWord) {
  const Command c = parsed({"read", "--hex", "10.0.0.5,10.0.0.6", "/t2/wt101", "--size", "8", "--formatted"});
  EXPECT_EQ(std::tie(c.address_list, c.fields, c.formatted, c.buffer_size),
            std::tuple("10.0.0.5,10.0.0.6", std::vector<FieldSpec>{{"/t2/wt101", ValueForm::hex}}, true, 8));
  // After "--" an option's spelling is a value like any other.
  EXPECT_EQ(parsed({"write", "a", "/t1/x", "--", "--size=8"}).value, (Bytes{'-', '-', 's', 'i', 'z', 'e', '=', '8'}));
  EXPECT_EQ(parsed({"read", "--help"}).action, Action::help) << "an option like the others";
  EXPECT_EQ(parsed({"write", "a", "/t1/x", "--", "--help"}).action, Action::write);
}

// Texts are typed in UTF-8 and travel in Windows-1252 (a write's text and
// --hex bytes: VekxProgram.WritesTextAndBytesAsGiven).
TEST(CommandLine, TextsGoAsWindows1252) {
  // Exactly 16 characters fill the display, though each takes two UTF-8 bytes.
  EXPECT_EQ(parsed({"display", "a", "16", "ÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄ"}).display_text, std::string(16, '\xC4'));
}

TEST(CommandLine, KeyCodeIsANumberOrOneCharacter) {
  EXPECT_EQ(parsed({"key", "a", "1", "1", "A"}).key_code, 'A');
  EXPECT_EQ(parsed({"key", "a", "1", "1", "é"}).key_code, 0xE9);
  EXPECT_EQ(parsed({"key", "a", "1", "1", "7"}).key_code, 7);  // a digit is a number
}

TEST(CommandLine, WatchTakesAFormPerFieldAndAnInterval) {
  const Command c =
      parsed({"watch", "a", "/t1/wt101:text", "/t1/bx298", "/t:/x:dec", "/t:/y", "--interval", "50", "--hex", "--csv"});
  EXPECT_EQ(c.fields, (std::vector<FieldSpec>{{"/t1/wt101", ValueForm::text},
                                              {"/t1/bx298", ValueForm::hex},
                                              {"/t:/x", ValueForm::dec},
                                              {"/t:/y", ValueForm::hex}}));
  EXPECT_EQ(c.interval_ms, 50);
  EXPECT_TRUE(c.csv);
}

// Each refusal names what broke a rule: the option or operand, the value
// and the range, or the nearest word to an unknown one.
TEST(CommandLine, RefusesWithAOneLineReason) {
  const struct {
    std::vector<std::string> args;
    const char *error;
  } rows[] = {
      {{}, "no command given"},
      {{"raed", "a", "/t1/x"}, "unknown command raed (did you mean read?)"},
      {{"fetch", "a", "/t1/x"}, "unknown command fetch"},  // no guess far from every command
      {{"read", "a", "/t1/x", "extra"}, "read takes ADDR FIELD"},
      {{"read", "a", "/t1/x", "--size", "32768"}, "--size 32768: must be a number from 0 to 32767"},
      {{"read", "a", "/t1/x", "--interval", "5"}, "--interval does not apply to read"},
      {{"read", "a", "/t1/x", "--hex", "--dec"}, "choose one of --text, --dec and --hex"},
      {{"write", "a", "/t1/x", "123", "--hex"}, "VALUE is not hex bytes: 123"},
      {{"write", "a", "/t1/x", "łódź"},
       "VALUE holds \"ł\" (U+0142), which Windows-1252 lacks (give raw bytes with --hex)"},
      // An overlong form would smuggle a NUL byte in as "A\0".
      {{"write", "a", "/t1/x", "A\xC0\x80"}, "VALUE is not UTF-8 text (give raw bytes with --hex)"},
      {{"display", "a", "1", "0123456789abcdefg"}, "TEXT has 17 characters; the display takes 16"},
      {{"display", "a", "17", "x"}, "NODE 17: must be a number from 1 to 16"},
      {{"key", "a", "1", "3", "65"}, "KIND 3: must be a number from 1 to 2"},
      {{"key", "a", "1", "1", "AB"}, "CODE AB: must be a number from 0 to 255 or one character"},
      {{"key", "a", "1", "1", "ł"}, "CODE holds \"ł\" (U+0142), which Windows-1252 lacks"},
      // The second value went unchecked, and the first was used.
      {{"read", "a", "/t1/x", "--size", "6", "--size=abc"}, "--size is given twice (6 and abc); give it once"},
      {{"watch", "a", "/t1/x", "--interval", "0"}, "--interval 0: must be a number from 1 to 600000 ms"},
      {{"watch", "a", "/t1/x:octal"}, "FORM must be text, dec or hex, not octal"},
      {{"read", "a", "/t1/x", "--size="}, "--size \"\": must be a number from 0 to 32767"},
      {{"read", "a", "/t1/x", "--formatted=yes"}, "--formatted takes no value (given --formatted=yes)"},
      {{"read", "a", "/t1/x", "--sise=8"}, "unknown option --sise (did you mean --size?)"},
      // The library would send the first ten characters: another field.
      {{"watch", "a", "/t1/wt101", "/t1/wt101xyz:hex"},
       "FIELD /t1/wt101xyz is longer than 10 characters; the terminal would get /t1/wt101x"},
  };
  for (const auto &row : rows) EXPECT_EQ(parse_command_line(row.args).error, row.error);
}

TEST(ValueText, EachFormShowsTheSameBytes) {
  EXPECT_EQ(format_value({0xE9}, ValueForm::automatic), "233 'é'");
  EXPECT_EQ(format_value({0x7F}, ValueForm::automatic), "127");  // no character for an unprintable byte
  EXPECT_EQ(format_value({0, 54, 255}, ValueForm::dec), "0 54 255");
}

// Text is shown in UTF-8 from the terminal's Windows-1252; a byte that
// could move the cursor, vanish or stand for nothing is escaped instead.
TEST(ValueText, TextEscapesWhatNoOneCanRead) {
  EXPECT_EQ(format_value({'G', 'r', 0xFC, 0xDF, 'e', 0x80}, ValueForm::text), "Grüße€");
  EXPECT_EQ(format_value({'a', '\t', 0x7F, 0x1B, 0x81, 0x9D, '\\'}, ValueForm::text), "a\\x09\\x7f\\x1b\\x81\\x9d\\\\");
}

TEST(ValueText, CsvCellsQuoteWhatWouldSplitThem) {
  EXPECT_EQ(csv_cell("12.50"), "12.50");
  EXPECT_EQ(csv_cell("1,5"), "\"1,5\"");
  EXPECT_EQ(csv_cell("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(csv_cell("a\nb"), "\"a\nb\"");
}

}  // namespace
}  // namespace vekx_tool
