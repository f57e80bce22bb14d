// The starting-hand rankings themselves: range/*_start_order.txt as
// initialisers (the build writes them; five-card Omaha's are 134,459 lines).
// Data only, in a file of its own, so that tools reading the code need not
// read the data.
#include "range/internal/start_orders.h"

namespace oddsmith {

namespace {

constexpr StartClass kHoldemOrder[] = {
#include "holdem_start_order.inc"
};
constexpr StartClass kOmahaOrder[] = {
#include "omaha_start_order.inc"
};
constexpr StartClass kShortDeckOrder[] = {
#include "shortdeck_start_order.inc"
};
constexpr StartClass kOmaha5Order[] = {
#include "omaha5_start_order.inc"
};

}  // namespace

std::span<const StartClass> start_order(RangeGame game) {
  switch (game) {
    case RangeGame::holdem: return kHoldemOrder;
    case RangeGame::shortdeck: return kShortDeckOrder;
    case RangeGame::omaha: return kOmahaOrder;
    case RangeGame::omaha5: return kOmaha5Order;
  }
  return kHoldemOrder;
}

}  // namespace oddsmith
