#include "window_layout.h"

#include <cstring>

namespace ktrv::layout {

const Control *findControl(const char *name) {
  for (const Control &c : kControls) {
    if (std::strcmp(c.name, name) == 0) return &c;
  }
  return nullptr;
}

}  // namespace ktrv::layout
