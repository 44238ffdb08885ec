// How many instructions the run loop may execute before it looks at the event
// queue again. Looking costs a few microseconds, an instruction a few
// nanoseconds: looking after every instruction would spend most of the time
// there, looking too rarely makes keys, menus and the screen lag. The pacer
// aims at one look every kTarget of run time, learning the instruction rate
// from how long the last budget took to run.
#pragma once

#include <chrono>
#include <cstdint>

namespace zorva {

class PumpPacer {
 public:
  static constexpr std::chrono::nanoseconds kTarget{750'000};
  static constexpr uint32_t kFirstBudget = 1024;
  static constexpr uint32_t kMaxBudget = 1u << 24;
  // A budget changes by at most this factor per look, so one odd interval (a
  // preempted thread, a message box opened from inside an instruction) only
  // nudges it.
  static constexpr uint32_t kMaxStep = 4;

  // The last budget took `elapsed` to run (the look itself excluded); returns
  // the next one, at least 1.
  uint32_t Next(std::chrono::nanoseconds elapsed);
  uint32_t budget() const { return budget_; }

 private:
  uint32_t budget_ = kFirstBudget;
};

}  // namespace zorva
