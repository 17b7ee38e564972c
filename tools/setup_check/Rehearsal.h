// The rehearsal: every listed model installed by the installer's own
// install sequence, for every target system, setup type, port kind and
// driver mode the wizard offers it, each on a fresh simulated machine of
// that system; then the same install again over the first.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/InstallSelections.h"
#include "tools/setup_check/Distribution.h"
#include "tools/setup_check/Findings.h"

namespace setwell::check {

// The selections the wizard can end with for a model, as its pages make
// them: the setup types the frame allows, the port page's first port of
// each kind (the serial port preselected for it, "LPT1:", the model's first
// USB port), the driver mode the port page sets and the one the advanced
// page lets the user tick, and the serial settings the port page starts
// with and the frame presets.
std::vector<InstallSelections> WizardSelections(InstallConfig& config, const ListedModel& model,
                                                std::int32_t target);

// Called now and then on the calling thread, and once at the end, with the
// wizard's selections rehearsed (each with its second install) of all.
using RehearsalProgress = std::function<void(std::size_t done, std::size_t total)>;

// The combinations in model, system and selection order, whatever the
// number of jobs (options.jobs threads, 0 as one).
std::vector<Combination> Rehearse(Distribution& dist, const CheckOptions& options,
                                  const RehearsalProgress& progress = {});

// The threads the machine runs at once, at least 1.
unsigned DefaultJobs();

// "rehearsing: 1200 of 73913 combinations, 812/s, 1 min 29 s left" after
// `seconds` of the rehearsal; no rate and time left before any is done.
std::string ProgressLine(std::size_t done, std::size_t total, double seconds);

}  // namespace setwell::check
