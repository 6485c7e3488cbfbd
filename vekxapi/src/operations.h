// The library's operations behind the exported names: the exports in
// exports.cpp only forward here, once per calling convention.
#ifndef VEKX_OPERATIONS_H
#define VEKX_OPERATIONS_H

#include <cstdint>

namespace vekx {

std::int16_t register_process(std::int16_t process_type, const char *address_list, std::int32_t address_count);
std::int16_t close_process();

// operation: operation::read or operation::formatted_read. count_out may be
// null only for the read without count.
std::int16_t read_field(std::uint8_t operation, const char *field_name, std::int16_t buffer_size, void *buffer,
                        std::int16_t *count_out, bool wants_count);
// operation: operation::write or operation::formatted_write.
std::int16_t write_field(std::uint8_t operation, const char *field_name, std::int16_t data_length, const void *data);

std::int16_t display_text(std::int16_t node, const char *text);
std::int16_t reset_display(std::int16_t node);
std::int16_t send_keystroke(std::int16_t node, std::int16_t key_kind, std::int32_t key_code);

}  // namespace vekx

#endif
