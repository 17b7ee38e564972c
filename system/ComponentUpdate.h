// Replacing one outdated port monitor or print processor.
#pragma once

#include <cstdint>
#include <string>

#include "system/Platform.h"

namespace setwell {

// Replaces the first pending component (serial monitor, USB monitor, print
// processor, in that order) of `pendingUpdates`. On NT-family targets the
// spooler is stopped around the copy; on Windows 98/Me only the print
// system's records are rewritten and the restart brings the file into use.
// False when the install must end.
bool UpdateComponent(Platform& platform, int pendingUpdates, std::int32_t target,
                     const std::string& processorName, const std::string& processorFile);

}  // namespace setwell
