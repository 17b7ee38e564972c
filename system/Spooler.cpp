#include "system/Spooler.h"

#include <string>

#include "system/Messages.h"

namespace setwell {
namespace {

constexpr const char* kSpoolerService = "Spooler";

// Closes a service control handle when it goes.
class ServiceHandleOwner {
 public:
  ServiceHandleOwner(Platform& platform, ServiceHandle handle) : platform_(platform), handle_(handle) {}
  ~ServiceHandleOwner() {
    if (handle_ != nullptr) platform_.CloseServiceHandle(handle_);
  }
  ServiceHandleOwner(const ServiceHandleOwner&) = delete;
  ServiceHandleOwner& operator=(const ServiceHandleOwner&) = delete;
  ServiceHandle get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  Platform& platform_;
  ServiceHandle handle_;
};

}  // namespace

void StopSpooler(Platform& platform) {
  ServiceHandleOwner manager(platform, platform.OpenSCManagerA(SC_MANAGER_ALL_ACCESS));
  if (!manager) return;
  {
    ServiceHandleOwner service(platform,
                               platform.OpenServiceA(manager.get(), kSpoolerService, SERVICE_STOP));
    if (service) {
      SERVICE_STATUS status{};
      if (!platform.ControlService(service.get(), SERVICE_CONTROL_STOP, &status)) {
        const DWORD error = platform.GetLastError();
        if (error != ERROR_SERVICE_NOT_ACTIVE) {
          ShowErrorText(platform,
                        "Stop spool service error, error code = " + std::to_string(error));
        }
      }
    }
  }
  platform.Sleep(100);
}

void StartSpooler(Platform& platform) {
  ServiceHandleOwner manager(platform, platform.OpenSCManagerA(SC_MANAGER_ALL_ACCESS));
  if (!manager) return;
  ServiceHandleOwner service(platform,
                             platform.OpenServiceA(manager.get(), kSpoolerService, SERVICE_START));
  if (!service) return;
  if (!platform.StartServiceA(service.get())) {
    const DWORD error = platform.GetLastError();
    if (error != ERROR_SERVICE_ALREADY_RUNNING) {
      ShowErrorText(platform, "Start spool service error, error code = " + std::to_string(error));
    }
  }
}

int WaitSpoolerRunning(Platform& platform) {
  DWORD state = SERVICE_STOPPED;
  {
    ServiceHandleOwner manager(platform, platform.OpenSCManagerA(SC_MANAGER_ALL_ACCESS));
    if (manager) {
      ServiceHandleOwner service(
          platform, platform.OpenServiceA(manager.get(), kSpoolerService, SERVICE_QUERY_STATUS));
      for (int query = 0; query < 10; ++query) {
        SERVICE_STATUS status{};
        if (service && platform.QueryServiceStatus(service.get(), &status)) {
          state = status.dwCurrentState;
          if (state == SERVICE_RUNNING) break;
        }
        platform.Sleep(300);
      }
    }
  }
  if (state == SERVICE_RUNNING) return 1;
  ShowErrorText(platform, "StartSpoolService error");
  return 0;
}

}  // namespace setwell
