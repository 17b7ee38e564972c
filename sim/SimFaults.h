// Fault injection: any Platform call of a simulated machine, named as in
// Platform ("CopyFileA", "RegOpenKeyExA", "CallUWrite" ...), can be told to
// fail with a given error number, once, a number of times, or always;
// optionally only when one of its text arguments contains `match` (letter
// case aside). A failing call does nothing else: it returns the call's
// failure value (FALSE, a null handle, the error itself for the registry
// calls, 0 or -1 for the USB library's entry points) with the error as the
// last error.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "system/WinTypes.h"

namespace setwell::sim {

class SimRecordFile;

struct SimFault {
  static constexpr int kAlways = -1;

  std::string call;
  DWORD error = 0;
  int remaining = 1;
  std::string match;

  bool operator==(const SimFault&) const = default;
};

class SimFaults {
 public:
  // Unknown call names throw std::invalid_argument: a misspelt fault would
  // otherwise never fire.
  void FailOnce(const std::string& call, DWORD error, const std::string& match = {});
  void FailTimes(const std::string& call, DWORD error, int times, const std::string& match = {});
  void FailAlways(const std::string& call, DWORD error, const std::string& match = {});
  void Clear() { pending.clear(); }

  // The error a call is to fail with now, if any; the fault is used up.
  std::optional<DWORD> Take(const std::string& call,
                            std::initializer_list<const char*> arguments = {});

  static bool IsKnownCall(const std::string& call);

  std::vector<SimFault> pending;
  // "CopyFileA: 32" for every fault that fired.
  std::vector<std::string> fired;

  void Save(SimRecordFile& record) const;
  bool Load(const SimRecordFile& record, std::string* error);

  bool operator==(const SimFaults& other) const {
    return pending == other.pending && fired == other.fired;
  }
};

}  // namespace setwell::sim
