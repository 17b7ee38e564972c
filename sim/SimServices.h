// The service control manager of a simulated NT machine (Windows 95/98/Me
// have none: every call fails with ERROR_CALL_NOT_IMPLEMENTED).
//
// A started service comes up at once or only at a later status query:
// with `startAfterQueries` N it reports SERVICE_START_PENDING to N queries
// and SERVICE_RUNNING from the N+1-th on; kNever keeps it pending. Stopping
// takes effect at once. The answers are the manager's: 1060 for an unknown
// service, 1062 to stop a service that is not running, 1056 to start one
// that is running or starting, 5 for a right the handle was not opened with.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "system/Platform.h"

namespace setwell::sim {

class SimRecordFile;

struct SimService {
  static constexpr int kNever = -1;

  std::string name;
  DWORD state = SERVICE_RUNNING;
  int startAfterQueries = 0;
  int pendingQueries = 0;  // queries left before a starting service runs

  bool operator==(const SimService&) const = default;
};

class SimServices {
 public:
  // Whether the machine has a service control manager at all.
  bool present = true;
  std::vector<SimService> services;

  SimService* Find(const std::string& name);
  const SimService* Find(const std::string& name) const;
  bool IsRunning(const std::string& name) const;

  // The calls; each returns ERROR_SUCCESS or the error.
  DWORD OpenManager(DWORD access, ServiceHandle* manager);
  DWORD OpenService(ServiceHandle manager, const char* name, DWORD access, ServiceHandle* service);
  DWORD Control(ServiceHandle service, DWORD control, SERVICE_STATUS* status);
  DWORD Start(ServiceHandle service);
  DWORD Query(ServiceHandle service, SERVICE_STATUS* status);
  DWORD Close(ServiceHandle handle);

  void Save(SimRecordFile& record) const;
  bool Load(const SimRecordFile& record, std::string* error);

  bool operator==(const SimServices& other) const {
    return present == other.present && services == other.services;
  }

 private:
  struct Opened {
    std::string service;  // empty for a manager handle
    DWORD access = 0;
  };
  const Opened* Service(ServiceHandle handle, DWORD right, DWORD& error) const;
  static void Fill(const SimService& service, SERVICE_STATUS* status);

  std::uintptr_t nextHandle_ = 0x40000;
  std::map<std::uintptr_t, Opened> handles_;
};

}  // namespace setwell::sim
