// Seeds from the platform's non-deterministic random device (the kernel's
// entropy call first), with the clock as a last resort. No state: the host
// equity calls and the calculator both draw their seeds here.
#pragma once

#include <cstdint>

namespace oddsmith {

std::uint32_t seed_from_random_device() noexcept;

}  // namespace oddsmith
