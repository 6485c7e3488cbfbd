// The input mirror: the terminal's twelve discrete inputs in In1 to In12.
#include <QCheckBox>

#include "../window/frm_main.h"
#include "../window/vekx_binding.h"
#include "poll_fields.h"
#include "tick_scratch.h"

namespace ktrv {

void frmMain::Update_Inputs() {
  // One word for all twelve reads: a read that fails leaves the value of the
  // read before it, so that indicator copies its neighbour's state.
  std::int16_t value = 0;
  for (int i = 0; i < kInputCount; ++i) {
    vekRead(poll::kInputFields[i], poll::kOneByte, &value);
    In[i]->setChecked(value == 1);
  }
}

}  // namespace ktrv
