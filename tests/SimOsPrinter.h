// Test names and failure messages name a simulated system by its name
// ("Windows Server 2003 x64"), not by its number.
#pragma once

#include <ostream>

#include "sim/SimSystem.h"

namespace setwell::sim {

inline void PrintTo(SimOs os, std::ostream* out) { *out << SimSystem::For(os).name; }

}  // namespace setwell::sim
