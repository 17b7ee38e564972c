// The folder a simulated machine is kept in between runs of setup-sim:
// made on first use, loaded on every later run, and replaced as a whole
// when the run ends, so that it never holds half of a machine.
#pragma once

#include <string>
#include <vector>

#include "sim/SimMachine.h"

namespace setwell::term {

enum class MachineFolderState {
  kAbsent,     // nothing there yet (or an empty folder): a new machine
  kMachine,    // a saved machine
  kForeign,    // a folder with other things in it: never touched
  kNotFolder,  // a file, or something that cannot be read as a folder
};

MachineFolderState InspectMachineFolder(const std::string& path, std::string* why = nullptr);

// What a save that was broken off (the process killed) left beside `path`:
// its staging folder is removed, and a machine it had moved aside is put
// back when nothing took its place. Folders of a save still running (its
// process alive) are left alone. Returns a line for each thing done.
std::vector<std::string> CleanUpAbandonedSaves(const std::string& path);

// Saves the machine into a new folder beside `path` and then puts it in
// the place of `path` in one step (the old machine, if any, goes after).
// On failure `path` is as it was and `error` says why.
bool SaveMachineAtomically(const sim::SimMachine& machine, const std::string& path,
                           std::string& error);

}  // namespace setwell::term
