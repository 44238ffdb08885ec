#include "shell/pump_pacer.h"

#include <algorithm>

namespace zorva {

uint32_t PumpPacer::Next(std::chrono::nanoseconds elapsed) {
  const uint64_t budget = budget_;
  const uint64_t lowest = std::max<uint64_t>(1, budget / kMaxStep);
  const uint64_t highest = std::min<uint64_t>(kMaxBudget, budget * kMaxStep);
  uint64_t next = highest;
  if (elapsed.count() > 0) {
    // Instructions that fit in kTarget at the rate just seen; the product
    // cannot overflow: budget <= 2^24 and kTarget < 2^20 ns.
    next = budget * static_cast<uint64_t>(kTarget.count()) / static_cast<uint64_t>(elapsed.count());
  }
  budget_ = static_cast<uint32_t>(std::clamp(next, lowest, highest));
  return budget_;
}

}  // namespace zorva
