// The input mirror: the terminal's twelve discrete inputs in In1 to In12.
#include "console.h"
#include "terminal_fields.h"

namespace ktrv {

void Console::Update_Inputs() {
  // One word for all twelve reads: a read that fails leaves the value of the
  // read before it, so that indicator copies its neighbour's state.
  std::int16_t value = 0;
  for (int i = 0; i < kInputCount; ++i) {
    vekRead(fields::inputs[i], fields::kOneByte, &value);
    view_.setChecked(kInputBoxes[i], value == 1);
  }
}

}  // namespace ktrv
