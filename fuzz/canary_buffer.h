// A heap buffer with guard bytes on both sides, to prove that a copy stays
// within the caller's bytes even where the sanitizer would not see it (the
// guards are part of the same allocation).
#ifndef VEKX_FUZZ_CANARY_BUFFER_H
#define VEKX_FUZZ_CANARY_BUFFER_H

#include <cstdint>
#include <cstdlib>
#include <vector>

class CanaryBuffer {
 public:
  static constexpr std::size_t guard = 32;
  static constexpr std::uint8_t pattern = 0xA5;

  explicit CanaryBuffer(std::size_t size) : size_(size), bytes_(size + 2 * guard, pattern) {}
  std::uint8_t *data() { return bytes_.data() + guard; }
  std::size_t size() const { return size_; }

  // Aborts (a crash the fuzzer reports) when a guard byte changed.
  void check() const {
    for (std::size_t i = 0; i < guard; ++i)
      if (bytes_[i] != pattern || bytes_[guard + size_ + i] != pattern) std::abort();
  }

 private:
  std::size_t size_;
  std::vector<std::uint8_t> bytes_;
};

#endif
