// The virtual clock of a simulated machine: Sleep advances it at once and
// records the pause, so the installer's fixed pauses cost no real time and
// tests can assert them.
#pragma once

#include <cstdint>
#include <vector>

#include "system/WinTypes.h"

namespace setwell::sim {

struct SimClock {
  std::uint64_t nowMs = 0;
  std::vector<DWORD> sleeps;

  void Sleep(DWORD milliseconds) {
    nowMs += milliseconds;
    sleeps.push_back(milliseconds);
  }
  std::uint64_t TotalSleptMs() const {
    std::uint64_t total = 0;
    for (DWORD ms : sleeps) total += ms;
    return total;
  }

  bool operator==(const SimClock&) const = default;
};

}  // namespace setwell::sim
