// The distribution's family: everything of the print system that its
// configuration names for one target system, over every model it lists
// and both driver modes. What of a machine is "ours" is decided here, once:
// the listing shows what of it a machine holds, and the removal takes away
// only what is in it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace setwell {

class Platform;

struct FamilyDriver {
  std::string name;
  std::string environment;  // the record's; empty: the running system's own
  // The files the install copies for it, by their configured names: driver,
  // data, configuration and help file, the data-file DLL, the plug-in and
  // its settings ("0" and empty names left out).
  std::vector<std::string> files;
  std::vector<std::string> models;  // "MODEL" of each model that installs it
};

struct FamilyMonitor {
  std::string name;
  std::string dll;
  std::string uiDll;     // empty: none
  std::int32_t version = 0;
  bool usb = false;      // the USB port monitor
  bool serial = false;   // the serial port monitor
  bool language = false; // a model's language monitor
};

struct FamilyProcessor {
  std::string name;
  std::string file;
};

struct FamilyModel {
  std::string name;
  std::int32_t category = 0;
};

// A file name the family's drivers list, whatever its letter case: each
// driver that lists it (an index into Family::drivers, in driver order) with
// the name's place in that driver's files.
struct FamilyDriverFile {
  struct Owner {
    std::size_t driver = 0;
    std::size_t place = 0;
  };
  std::vector<Owner> owners;
};

struct Family {
  std::int32_t target = 0;
  std::vector<FamilyModel> models;
  std::vector<FamilyDriver> drivers;
  std::vector<FamilyMonitor> monitors;
  std::vector<FamilyProcessor> processors;
  // The supported USB port names of the general file ("USB_MODEL_1" ...).
  std::vector<std::string> usbPorts;
  // Every file name of `drivers`, once, in the order first listed. A family
  // of thousands of models shares a few dozen files.
  std::vector<FamilyDriverFile> driverFiles;

  // By name without regard to letter case.
  const FamilyDriver* Driver(const std::string& name) const;
  const FamilyMonitor* Monitor(const std::string& name) const;
  const FamilyProcessor* Processor(const std::string& name) const;
  bool HasUsbPort(const std::string& port) const;
  // A supported USB port name spelt exactly as the general file spells it.
  bool ListsUsbPort(const std::string& port) const { return usbPortSet_.count(port) != 0; }

  // Makes the lookups above answer for what the lists hold now: ReadFamily
  // calls it; whoever changes the lists afterwards calls it again.
  void Index();

 private:
  std::unordered_map<std::string, std::size_t> driverIndex_;     // lower-cased name
  std::unordered_map<std::string, std::size_t> monitorIndex_;
  std::unordered_map<std::string, std::size_t> processorIndex_;
  std::unordered_set<std::string> usbPortLowered_;
  std::unordered_set<std::string> usbPortSet_;
};

// Reads the family for `target` through the installer's own reader and
// record builders, as an install of each model reads them.
Family ReadFamily(Platform& platform, std::int32_t target);

}  // namespace setwell
