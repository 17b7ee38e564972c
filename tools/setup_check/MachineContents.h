// What a simulated machine holds that an install or a removal answers for:
// its files on writable drives, its registry values and keys, and the
// spooler's drivers, printers and ports, each by a name; the serial line
// settings left out (they are the port's, and a removal keeps them).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "sim/SimMachine.h"

namespace setwell::check {

using MachineContents = std::map<std::string, std::string>;

MachineContents ContentsOf(const sim::SimMachine& machine);

// What `after` holds that `before` does not ("file C:\...\X.DLL"), what it
// lacks, and what differs, a line each, in that order.
struct ContentsChange {
  std::vector<std::string> added;
  std::vector<std::string> lost;
  std::vector<std::string> changed;
  bool Empty() const { return added.empty() && lost.empty() && changed.empty(); }
};
ContentsChange CompareContents(const MachineContents& before, const MachineContents& after);

// True only when ContentsOf(a) == ContentsOf(b), found without making
// either: the parts are compared as the machines keep them, in their order.
// False may still be the same contents (another order, say): compare
// ContentsOf then.
bool SurelySameContents(const sim::SimMachine& a, const sim::SimMachine& b);

}  // namespace setwell::check
