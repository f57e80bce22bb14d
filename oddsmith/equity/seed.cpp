#include <chrono>
#include <random>

#include "equity/equity_request.h"

namespace oddsmith {

std::uint32_t seed_from_random_device() noexcept {
  try {
    std::random_device device;
    return device();
  } catch (...) {
    // No entropy source: an exception must not reach the host, so fall back to
    // the clock, which still differs from call to call.
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    return static_cast<std::uint32_t>(ticks ^ (ticks >> 32));
  }
}

}  // namespace oddsmith
