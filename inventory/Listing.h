// What of a distribution's family a machine holds, asked of the host
// through Platform alone: the family's printers, drivers with their files,
// port and language monitors, print processor, ports, the maker's registry
// records and the serial line settings of the ports its printers use. The
// same code lists the real host (setup-install.exe --list) and the
// simulated machine (setup-sim --list), so that the two can be compared
// field by field, and a simulated machine can be made from a till's listing.
//
// The JSON form is versioned: "schema" is "setwell-listing" and "version"
// kListingVersion; a reader refuses any other. docs/deploy.md describes it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config/Family.h"
#include "system/Platform.h"

namespace setwell::inventory {

inline constexpr char kListingSchema[] = "setwell-listing";
inline constexpr int kListingVersion = 1;

// A registry value as the host holds it. String types (REG_SZ,
// REG_EXPAND_SZ) keep their text without the terminator, REG_DWORD its
// number in `number`, every other type its bytes in `data`.
struct ListedValue {
  std::string name;
  DWORD type = 0;
  std::string text;
  DWORD number = 0;
  std::string data;

  bool operator==(const ListedValue&) const = default;
};

// A registry key below HKEY_LOCAL_MACHINE with its values, in the order the
// host enumerates them; its subkeys follow it in the list as keys of their own.
struct ListedKey {
  std::string path;
  std::vector<ListedValue> values;

  bool operator==(const ListedKey&) const = default;
};

struct ListedFile {
  std::string path;
  bool present = false;
  std::uint64_t size = 0;

  bool operator==(const ListedFile&) const = default;
};

// The device-mode fields the install sets, as the spooler gives them back.
struct ListedDevMode {
  std::string deviceName;
  int specVersion = 0;
  int driverVersion = 0;
  int size = 0;
  int driverExtra = 0;
  DWORD fields = 0;
  int orientation = 0;
  int paperSize = 0;
  int paperLength = 0;
  int paperWidth = 0;
  int scale = 0;
  int copies = 0;
  int defaultSource = 0;
  int printQuality = 0;
  int color = 0;
  int duplex = 0;
  int yResolution = 0;
  int ttOption = 0;
  int collate = 0;
  std::string formName;
  DWORD icmMethod = 0;
  DWORD icmIntent = 0;
  DWORD mediaType = 0;
  DWORD ditherType = 0;

  bool operator==(const ListedDevMode&) const = default;
};

struct ListedPrinter {
  std::string name;
  std::string port;
  std::string driver;
  std::string printProcessor;
  DWORD attributes = 0;
  bool isDefault = false;
  std::optional<ListedDevMode> devMode;

  bool operator==(const ListedPrinter&) const = default;
};

struct ListedDriver {
  std::string name;
  std::string environment;
  DWORD version = 0;
  std::string monitor;
  // The files as the spooler names them (full paths; help file may be empty).
  std::string driverPath;
  std::string dataFile;
  std::string configFile;
  std::string helpFile;
  std::vector<std::string> dependentFiles;
  // Each of them once, with whether it is there and its size.
  std::vector<ListedFile> files;

  bool operator==(const ListedDriver&) const = default;
};

// A port monitor or the language monitor, or the print processor: its name,
// the file the host loads, and its registry key with what is below it.
struct ListedComponent {
  std::string name;
  std::string environment;  // the print processor's
  ListedFile file;
  std::vector<ListedKey> keys;

  bool operator==(const ListedComponent&) const = default;
};

struct ListedPort {
  std::string name;
  std::string monitor;

  bool operator==(const ListedPort&) const = default;
};

// The line settings of a serial port a printer of the family uses: on the
// NT family the value of the registry's list of ports, on Windows 98/Me the
// profile's [Ports] line and the port's class key.
struct ListedSerial {
  std::string port;  // "COM2:"
  std::string settings;
  std::vector<ListedKey> keys;

  bool operator==(const ListedSerial&) const = default;
};

struct ListedSystem {
  std::string name;  // "Windows XP"
  DWORD platformId = 0;
  DWORD major = 0;
  DWORD minor = 0;
  DWORD build = 0;
  std::string servicePack;
  bool wow64 = false;
  std::int32_t target = -1;
  // The paths of the listing are below it ("C:\\WINDOWS").
  std::string windowsDirectory;  // the wizard's target system; -1: none

  bool operator==(const ListedSystem&) const = default;
};

struct Listing {
  ListedSystem system;
  // What the distribution names as its family, so that a listing can be
  // told to be of another family.
  std::vector<std::string> familyDrivers;
  std::vector<ListedPrinter> printers;
  std::vector<ListedDriver> drivers;
  // The files of fixed names an install puts beside the drivers (the Unidrv
  // support files), where they are there.
  std::vector<ListedFile> supportFiles;
  std::vector<ListedComponent> monitors;
  std::vector<ListedComponent> processors;
  std::vector<ListedPort> ports;
  std::vector<ListedKey> records;
  std::vector<ListedSerial> serial;
  // What the host would not answer (an enumeration that failed), by name:
  // a listing with gaps is not a listing of everything.
  std::vector<std::string> unanswered;

  bool operator==(const Listing&) const = default;
};

// The running system as the host reports it; target -1 when the wizard
// knows no target for it.
ListedSystem ReadSystem(Platform& platform);

// Lists what of `family` the host holds.
Listing TakeListing(Platform& platform, const Family& family);

// Every key below `path` (the key itself first, then each subkey's tree, in
// the host's order); nothing when the key is not there.
std::vector<ListedKey> ReadKeyTree(Platform& platform, const std::string& path);

std::string FormatListingText(const Listing& listing);
std::string FormatListingJson(const Listing& listing);
// False with why when `text` is no listing of this schema and version.
bool ParseListingJson(const std::string& text, Listing& listing, std::string& error);

}  // namespace setwell::inventory
