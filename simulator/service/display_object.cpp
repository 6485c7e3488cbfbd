#include "display_object.h"

#include "vekx_wire.h"

namespace vekxsim {

void DisplayObject::take(std::span<const std::uint8_t> record) {
  const std::size_t length = vekx::get_u16(record, vekx::offset::data_length);
  if (length == 0 || record.size() < vekx::offset::data + length) return;
  const auto data = record.subspan(vekx::offset::data, length);
  if (data[0] != vekx::display::object) return;
  const std::uint16_t type = vekx::get_u16(record, vekx::offset::message_type);
  std::lock_guard lock(mutex_);
  if (type == vekx::message_type::display_text && data.size() == 1 + vekx::display::text_bytes)
    text_ = Bytes(data.begin() + 1, data.end());
  else if (type == vekx::message_type::display_control && data.size() == 2 && data[1] == vekx::display::reset)
    text_.reset();
}

void DisplayObject::clear() {
  std::lock_guard lock(mutex_);
  text_.reset();
}

std::optional<DisplayObject::Bytes> DisplayObject::text() const {
  std::lock_guard lock(mutex_);
  return text_;
}

}  // namespace vekxsim
