// The exported names. Each operation is exported twice, in the standard and
// in the C calling convention; both forward to one implementation. Nothing
// may unwind into a caller, so every entry catches what could escape.
#include <new>

#include "message_record.h"
#include "operations.h"
#include "vekxapi.h"

namespace {

template <class Operation>
int16_t guarded(Operation op) noexcept {
  try {
    return op();
  } catch (const std::bad_alloc &) {
    return VEKX_NO_MEMORY;
  } catch (...) {
    return VEKX_BAD_ARGUMENT;
  }
}

}  // namespace

#define VEKX_DEFINE_PAIR(name, params, call)                 \
  extern "C" VEKX_EXPORT int16_t VEKX_STDCALL name params {  \
    return guarded([&] { return call; });                    \
  }                                                          \
  extern "C" VEKX_EXPORT int16_t VEKX_CDECL name##C params { \
    return guarded([&] { return call; });                    \
  }

VEKX_DEFINE_PAIR(VekRegisterProcess, (int16_t process_type, const char *address_list, int32_t address_count),
                 vekx::register_process(process_type, address_list, address_count))
VEKX_DEFINE_PAIR(VekCloseProcess, (void), vekx::close_process())
VEKX_DEFINE_PAIR(VekRead, (const char *field_name, int16_t buffer_size, void *buffer, int16_t *count_out),
                 vekx::read_field(vekx::operation::read, field_name, buffer_size, buffer, count_out, true))
VEKX_DEFINE_PAIR(VekFormattedRead, (const char *field_name, int16_t buffer_size, void *buffer, int16_t *count_out),
                 vekx::read_field(vekx::operation::formatted_read, field_name, buffer_size, buffer, count_out, true))
VEKX_DEFINE_PAIR(VekWrite, (const char *field_name, int16_t data_length, const void *data),
                 vekx::write_field(vekx::operation::write, field_name, data_length, data))
VEKX_DEFINE_PAIR(VekFormattedWrite, (const char *field_name, int16_t data_length, const void *data),
                 vekx::write_field(vekx::operation::formatted_write, field_name, data_length, data))
VEKX_DEFINE_PAIR(VekDisplayText, (int16_t node, const char *text), vekx::display_text(node, text))
VEKX_DEFINE_PAIR(VekResetDisplay, (int16_t node), vekx::reset_display(node))
VEKX_DEFINE_PAIR(VekSendKeystroke, (int16_t node, int16_t key_kind, int32_t key_code),
                 vekx::send_keystroke(node, key_kind, key_code))

// The read without count exists in the standard convention only.
extern "C" VEKX_EXPORT int16_t VEKX_STDCALL VekReadP(const char *field_name, int16_t buffer_size, void *buffer) {
  return guarded(
      [&] { return vekx::read_field(vekx::operation::read, field_name, buffer_size, buffer, nullptr, false); });
}
