// A simulated machine made from a till's listing: the system it records,
// with the family's printers, drivers, monitors, print processor, their
// files (of the listed sizes; their contents are not in a listing), the
// maker's records and the serial line settings as listed. What a listing
// does not hold (other software's printers, ports of other monitors, file
// contents) is not there; `notes` names what of the listing was left out.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "config/Family.h"
#include "inventory/Listing.h"
#include "sim/SimMachine.h"

namespace setwell::term {

// The simulated system of a listing's, or nothing when none matches.
std::optional<sim::SimOs> SystemOfListing(const inventory::ListedSystem& system);

// Whether the listing is of `family`: every driver and printer it lists is
// one of the family's drivers. Empty when it is, else why not.
std::string ListingFamilyMismatch(const inventory::Listing& listing, const Family& family);

// Puts what the listing holds on `machine` (new, of SystemOfListing's
// system). Returns notes on what was left out.
std::vector<std::string> BuildFromListing(const inventory::Listing& listing,
                                          sim::SimMachine& machine);

}  // namespace setwell::term
