// The host answers the installer relies on, as one table run against every
// Platform: the simulated machine (tests/PlatformConformance_test.cpp) and,
// in the Win32 build, the real host under Wine
// (tests/win32/PlatformConformance_test.cpp). Where Wine gives another
// answer than Windows, the case names the departure and expects Wine's.
#pragma once

#include <optional>
#include <string>

#include "system/Platform.h"

namespace setwell::conformance {

// What a run needs beyond the Platform calls: making and holding files and
// removing what a case leaves behind.
class Host {
 public:
  virtual ~Host() = default;
  virtual Platform& platform() = 0;
  virtual bool IsWine() const = 0;
  // Windows 95/98/Me, whose answers some rows give apart.
  virtual bool Is9x() const = 0;
  // What IsWow64Process must say of this program, found out another way;
  // nothing where the system has no such call.
  virtual std::optional<bool> ExpectedWow64() const = 0;
  // A folder of its own for the file cases, ending in "\".
  virtual std::string Scratch() = 0;
  virtual void MakeFile(const std::string& path, const std::string& data) = 0;
  // Opens path without sharing until ReleaseFiles.
  virtual void HoldOpen(const std::string& path) = 0;
  virtual void ReleaseFiles() = 0;
  // Whether a read-only attribute stops a writer (a Wine run as root
  // ignores it: Wine maps it onto the Unix write permission).
  virtual bool ReadOnlyIsEnforced() = 0;
  virtual void DeleteKeyTree(const std::string& subKey) = 0;
  virtual void DeletePrinter(const std::string& name) = 0;
  virtual void DeleteDriver(const std::string& name) = 0;
  virtual std::optional<std::string> ReadProfile(const std::string& section,
                                                 const std::string& key) = 0;
};

void CheckRegistry(Host& host);
void CheckFiles(Host& host);
void CheckDirectoriesAndVersion(Host& host);
void CheckSpoolerDirectories(Host& host);
void CheckMonitorsProcessorsAndPorts(Host& host);
void CheckPrinterCycle(Host& host);
void CheckServiceControl(Host& host);
void CheckLibraries(Host& host);
void CheckProfile(Host& host);

}  // namespace setwell::conformance
