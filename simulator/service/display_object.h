// The terminal's display object, as far as the PC reaches it: a display
// text puts 16 characters on the terminal's display, a display reset gives
// the display back to the terminal's own program.
// Every member may be called from any thread.
#ifndef VEKXSIM_DISPLAY_OBJECT_H
#define VEKXSIM_DISPLAY_OBJECT_H

#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

namespace vekxsim {

class DisplayObject {
 public:
  using Bytes = std::vector<std::uint8_t>;

  // Takes a message addressed to the display object; record holds at least
  // the header and data_length data bytes. A display text or a reset acts;
  // anything else changes nothing.
  void take(std::span<const std::uint8_t> record);

  // The 16 characters the PC put on the display last; nothing while the
  // display shows the terminal's own (never set, or reset since).
  std::optional<Bytes> text() const;
  // The display shows the terminal's own again, as after a display reset.
  void clear();

 private:
  mutable std::mutex mutex_;
  std::optional<Bytes> text_;
};

}  // namespace vekxsim

#endif
