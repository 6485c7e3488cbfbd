// vekx-fields(7) held against the field map, ktrv_fields.h. Fault caught: a
// field renamed, added to the page's ranges or resized in the map while the
// page an integrator reads still gives the old name or length.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <utility>

#include "ktrv_fields.h"

namespace field = vekx_common::ktrv::field;

TEST(FieldReference, GivesEveryFieldOfTheMapWithItsLength) {
  std::ifstream in(VEKX_FIELDS_PAGE);
  ASSERT_TRUE(in) << VEKX_FIELDS_PAGE;
  std::stringstream text;
  text << in.rdbuf();
  const std::string page = text.str();
  const auto row = [](const std::string &names, const std::string &bytes) {
    return "|  " + names + "\n:  " + bytes + "\n";
  };
  const std::pair<const char *, std::size_t> fields[] = {
      {field::weight_1, field::weight_bytes},
      {field::weight_5, field::weight_bytes},
      {field::weight_selector, 1},
      {field::command_mailbox, 1},
      {field::event_mailbox, 1},
      {field::literal, field::literal_bytes},
      {field::literal_source, 1},
      {field::literal_terminator, 1},
      {field::display_lines_12, field::display_block_length},
      {field::display_line_3, field::display_line_length},
      {field::lower_display, field::lower_display_length},
  };
  for (const auto &[name, bytes] : fields)
    EXPECT_NE(page.find(row(name, std::to_string(bytes))), std::string::npos) << name;
  const auto &in_ = field::inputs;
  const auto &out = field::outputs;
  EXPECT_NE(page.find(row(std::string(in_[0]) + " to " + in_[3] + ", " + in_[4] + " to " + in_[11], "1 each")),
            std::string::npos);
  EXPECT_NE(page.find(row(std::string(out[0]) + " to " + out[11], "1 each")), std::string::npos);
  const std::string selector = std::string(field::weight_selector) + " is ";
  EXPECT_NE(page.find(selector + std::to_string(field::highest_selector_of_weight_1 + 1) + " to 255"),
            std::string::npos);
}
