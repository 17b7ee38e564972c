// A model's own print processor: installed when the print system does not
// know it, found outdated by its recorded version when it does.
#pragma once

#include <cstdint>
#include <string>

#include "system/Platform.h"

namespace setwell {

constexpr int kUpdatePrintProcessor = 0x8;
constexpr int kPrintProcessorFailed = -14;

// The key whose "DriverVersion" records an installed processor's version,
// under the environment of the target system.
std::string PrintProcessorKey(std::int32_t target, const std::string& processorName);

// 0, kUpdatePrintProcessor or kPrintProcessorFailed (after message 123).
int CheckPrintProcessor(Platform& platform, std::int32_t target, const std::string& processorName,
                        const std::string& processorFile);

// AddPrintProcessorA: 1 on success; 87, 183 or 3005 for those errors; 0 for
// any other. Shows nothing.
int RegisterPrintProcessor(Platform& platform, const std::string& processorName,
                           const std::string& processorFile, std::int32_t target);

}  // namespace setwell
