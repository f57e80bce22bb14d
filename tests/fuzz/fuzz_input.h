// Reads fuzz data as the arguments a careless host might pass.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace fuzz {

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool empty() const { return at_ >= size_; }
  std::size_t left() const { return size_ - at_; }

  std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }

  std::int32_t raw_int() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = v << 8 | byte();
    return static_cast<std::int32_t>(v);
  }

  // Mostly small values near the valid range (cards, counts), sometimes any int.
  std::int32_t int_near(int low, int high) {
    const std::uint8_t kind = byte();
    if (kind < 200) return low + static_cast<int>(byte()) % (high - low + 1);
    if (kind < 230) return low - 1 - static_cast<int>(byte() % 4) + (kind & 1) * (high - low + 6);
    return raw_int();
  }

  std::int32_t card() { return int_near(0, 51); }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// Stops the fuzzer with a finding when a property does not hold.
inline void require(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace fuzz
