// The process's environment as the library reads its port variables.
#include "platform.h"

#if defined(_WIN32)
#  include <windows.h>
#else
#  include <cstdlib>
#endif

namespace vekx::platform {

#if defined(_WIN32)
std::optional<std::string> environment_variable(const char *name) {
  std::string value(64, '\0');
  for (;;) {
    ::SetLastError(ERROR_SUCCESS);
    const DWORD length = ::GetEnvironmentVariableA(name, value.data(), static_cast<DWORD>(value.size()));
    // 0 is an empty value as well as a missing one; only the error tells.
    if (length == 0) {
      if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
      return std::string();
    }
    if (length < value.size()) {
      value.resize(length);
      return value;
    }
    value.resize(length);  // too small: length is the size it needs, with the closing zero
  }
}
#else
std::optional<std::string> environment_variable(const char *name) {
  const char *value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}
#endif

}  // namespace vekx::platform
