#include "sim/SimServices.h"

#include <climits>

#include "sim/SimRecordFile.h"
#include "sim/SimText.h"

namespace setwell::sim {
namespace {

void* AsHandle(std::uintptr_t value) { return reinterpret_cast<void*>(value); }
std::uintptr_t AsValue(const void* handle) { return reinterpret_cast<std::uintptr_t>(handle); }

const char* StateName(DWORD state) {
  switch (state) {
    case SERVICE_STOPPED:
      return "stopped";
    case SERVICE_START_PENDING:
      return "start-pending";
    case SERVICE_STOP_PENDING:
      return "stop-pending";
    case SERVICE_RUNNING:
      return "running";
    default:
      return nullptr;
  }
}

}  // namespace

SimService* SimServices::Find(const std::string& name) {
  for (SimService& service : services) {
    if (EqualsNoCase(service.name, name)) return &service;
  }
  return nullptr;
}

const SimService* SimServices::Find(const std::string& name) const {
  for (const SimService& service : services) {
    if (EqualsNoCase(service.name, name)) return &service;
  }
  return nullptr;
}

bool SimServices::IsRunning(const std::string& name) const {
  const SimService* service = Find(name);
  return service != nullptr && service->state == SERVICE_RUNNING;
}

DWORD SimServices::OpenManager(DWORD access, ServiceHandle* manager) {
  if (!present) return ERROR_CALL_NOT_IMPLEMENTED;
  const std::uintptr_t value = nextHandle_++;
  handles_[value] = Opened{{}, access};
  *manager = AsHandle(value);
  return ERROR_SUCCESS;
}

DWORD SimServices::OpenService(ServiceHandle manager, const char* name, DWORD access,
                               ServiceHandle* service) {
  if (!present) return ERROR_CALL_NOT_IMPLEMENTED;
  auto it = handles_.find(AsValue(manager));
  if (it == handles_.end() || !it->second.service.empty()) return ERROR_INVALID_HANDLE;
  if (name == nullptr) return ERROR_INVALID_ADDRESS;
  const SimService* found = Find(name);
  if (found == nullptr) return ERROR_SERVICE_DOES_NOT_EXIST;
  const std::uintptr_t value = nextHandle_++;
  handles_[value] = Opened{found->name, access};
  *service = AsHandle(value);
  return ERROR_SUCCESS;
}

const SimServices::Opened* SimServices::Service(ServiceHandle handle, DWORD right,
                                                DWORD& error) const {
  auto it = handles_.find(AsValue(handle));
  if (it == handles_.end() || it->second.service.empty()) {
    error = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  if ((it->second.access & right) != right) {
    error = ERROR_ACCESS_DENIED;
    return nullptr;
  }
  error = ERROR_SUCCESS;
  return &it->second;
}

void SimServices::Fill(const SimService& service, SERVICE_STATUS* status) {
  if (status == nullptr) return;
  *status = SERVICE_STATUS{};
  status->dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status->dwCurrentState = service.state;
  status->dwControlsAccepted = service.state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
  status->dwWaitHint = service.state == SERVICE_START_PENDING ? 2000 : 0;
}

DWORD SimServices::Control(ServiceHandle handle, DWORD control, SERVICE_STATUS* status) {
  if (!present) return ERROR_CALL_NOT_IMPLEMENTED;
  if (control != SERVICE_CONTROL_STOP) return ERROR_INVALID_SERVICE_CONTROL;
  DWORD error = ERROR_SUCCESS;
  const Opened* opened = Service(handle, SERVICE_STOP, error);
  if (opened == nullptr) return error;
  SimService* service = Find(opened->service);
  if (service->state == SERVICE_STOPPED) {
    Fill(*service, status);
    return ERROR_SERVICE_NOT_ACTIVE;
  }
  if (service->state != SERVICE_RUNNING) {
    Fill(*service, status);
    return ERROR_SERVICE_CANNOT_ACCEPT_CTRL;
  }
  service->state = SERVICE_STOPPED;
  Fill(*service, status);
  return ERROR_SUCCESS;
}

DWORD SimServices::Start(ServiceHandle handle) {
  if (!present) return ERROR_CALL_NOT_IMPLEMENTED;
  DWORD error = ERROR_SUCCESS;
  const Opened* opened = Service(handle, SERVICE_START, error);
  if (opened == nullptr) return error;
  SimService* service = Find(opened->service);
  if (service->state != SERVICE_STOPPED) return ERROR_SERVICE_ALREADY_RUNNING;
  service->pendingQueries = service->startAfterQueries;
  service->state = service->startAfterQueries == 0 ? SERVICE_RUNNING : SERVICE_START_PENDING;
  return ERROR_SUCCESS;
}

DWORD SimServices::Query(ServiceHandle handle, SERVICE_STATUS* status) {
  if (!present) return ERROR_CALL_NOT_IMPLEMENTED;
  DWORD error = ERROR_SUCCESS;
  const Opened* opened = Service(handle, SERVICE_QUERY_STATUS, error);
  if (opened == nullptr) return error;
  if (status == nullptr) return ERROR_INVALID_ADDRESS;
  SimService* service = Find(opened->service);
  if (service->state == SERVICE_START_PENDING && service->startAfterQueries != SimService::kNever) {
    if (service->pendingQueries > 0) {
      --service->pendingQueries;
    } else {
      service->state = SERVICE_RUNNING;
    }
  }
  Fill(*service, status);
  return ERROR_SUCCESS;
}

DWORD SimServices::Close(ServiceHandle handle) {
  if (!present) return ERROR_CALL_NOT_IMPLEMENTED;
  return handles_.erase(AsValue(handle)) != 0 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

void SimServices::Save(SimRecordFile& record) const {
  for (const SimService& service : services) {
    SimRecordFile::Section& section = record.Add("service", service.name);
    section.Add("state", StateName(service.state) ? StateName(service.state)
                                                   : std::to_string(service.state));
    section.Add("start-after-queries", service.startAfterQueries == SimService::kNever
                                           ? std::string("never")
                                           : std::to_string(service.startAfterQueries));
    section.Add("pending-queries", std::to_string(service.pendingQueries));
  }
}

bool SimServices::Load(const SimRecordFile& record, std::string* error) {
  services.clear();
  handles_.clear();
  for (const SimRecordFile::Section& section : record.Sections()) {
    if (section.kind != "service") continue;
    SimService service;
    service.name = section.name;
    const std::string state = section.GetOr("state", "running");
    bool known = false;
    for (DWORD s : {SERVICE_STOPPED, SERVICE_START_PENDING, SERVICE_STOP_PENDING,
                    SERVICE_RUNNING}) {
      if (state == StateName(s)) {
        service.state = s;
        known = true;
      }
    }
    const std::string after = section.GetOr("start-after-queries", "0");
    std::optional<std::uint64_t> queries = ParseNumber(after);
    std::optional<std::uint64_t> pending = ParseNumber(section.GetOr("pending-queries", "0"));
    // Counts of queries are 0 to INT_MAX.
    const bool queriesOk = queries ? *queries <= INT_MAX : after == "never";
    if (!known || !queriesOk || !pending || *pending > INT_MAX) {
      if (error != nullptr) *error = section.Where() + "bad service " + section.name;
      return false;
    }
    service.startAfterQueries = queries ? static_cast<int>(*queries) : SimService::kNever;
    service.pendingQueries = static_cast<int>(*pending);
    services.push_back(std::move(service));
  }
  return true;
}

}  // namespace setwell::sim
