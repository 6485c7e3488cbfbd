#include "module_state.h"

namespace vekx {

ModuleState &state() {
  static ModuleState module;
  return module;
}

}  // namespace vekx
