// vekx-fields(7) held against the field map, ktrv_fields.h. Fault caught: a
// field renamed or resized in the map while the page still gives the old one.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "ktrv_fields.h"

namespace field = vekx_common::ktrv::field;

TEST(FieldReference, GivesEveryFieldOfTheMapWithItsLength) {
  std::stringstream page;
  page << std::ifstream(VEKX_FIELDS_PAGE).rdbuf();
  const auto has_row = [text = page.str()](const std::string &names, const std::string &bytes) {
    return text.find("|  " + names + "\n:  " + bytes + "\n") != std::string::npos;
  };
  const std::pair<std::string, std::size_t> fields[] = {{field::weight_1, field::weight_bytes},
                                                        {field::weight_5, field::weight_bytes},
                                                        {field::weight_selector, 1},
                                                        {field::command_mailbox, 1},
                                                        {field::event_mailbox, 1},
                                                        {field::literal, field::literal_bytes},
                                                        {field::literal_source, 1},
                                                        {field::literal_terminator, 1},
                                                        {field::display_lines_12, field::display_block_length},
                                                        {field::display_line_3, field::display_line_length},
                                                        {field::lower_display, field::lower_display_length}};
  for (const auto &[name, bytes] : fields) EXPECT_TRUE(has_row(name, std::to_string(bytes))) << name;
  const auto &in = field::inputs, &out = field::outputs;
  EXPECT_TRUE(has_row(std::string(in[0]) + " to " + in[3] + ", " + in[4] + " to " + in[11], "1 each"));
  EXPECT_TRUE(has_row(std::string(out[0]) + " to " + out[11], "1 each"));
  EXPECT_NE(page.str().find(std::string(field::weight_selector) + " is " +
                            std::to_string(field::highest_selector_of_weight_1 + 1) + " to 255"),
            std::string::npos);
}
