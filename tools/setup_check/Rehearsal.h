// The rehearsal: every listed model installed by the installer's own
// install sequence, for every target system, setup type, port kind and
// driver mode the wizard offers it, each on a fresh simulated machine of
// that system; then the same install again over the first.
#pragma once

#include <functional>
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

// Called after each model with the number of models done.
using RehearsalProgress = std::function<void(std::size_t done, std::size_t total)>;

std::vector<Combination> Rehearse(Distribution& dist, const CheckOptions& options,
                                  const RehearsalProgress& progress = {});

}  // namespace setwell::check
