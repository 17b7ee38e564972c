#include "system/Spooler.h"

#include <string>

#include "system/Messages.h"
#include "system/PlatformHandle.h"

namespace setwell {
namespace {

constexpr const char* kSpoolerService = "Spooler";

}  // namespace

void StopSpooler(Platform& platform) {
  ScopedService manager(platform, platform.OpenSCManagerA(SC_MANAGER_ALL_ACCESS));
  if (!manager) return;
  {
    ScopedService service(platform,
                               platform.OpenServiceA(manager.Get(), kSpoolerService, SERVICE_STOP));
    if (service) {
      SERVICE_STATUS status{};
      if (!platform.ControlService(service.Get(), SERVICE_CONTROL_STOP, &status)) {
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
  ScopedService manager(platform, platform.OpenSCManagerA(SC_MANAGER_ALL_ACCESS));
  if (!manager) return;
  ScopedService service(platform,
                             platform.OpenServiceA(manager.Get(), kSpoolerService, SERVICE_START));
  if (!service) return;
  if (!platform.StartServiceA(service.Get())) {
    const DWORD error = platform.GetLastError();
    if (error != ERROR_SERVICE_ALREADY_RUNNING) {
      ShowErrorText(platform, "Start spool service error, error code = " + std::to_string(error));
    }
  }
}

int WaitSpoolerRunning(Platform& platform) {
  DWORD state = SERVICE_STOPPED;
  {
    ScopedService manager(platform, platform.OpenSCManagerA(SC_MANAGER_ALL_ACCESS));
    if (manager) {
      ScopedService service(
          platform, platform.OpenServiceA(manager.Get(), kSpoolerService, SERVICE_QUERY_STATUS));
      for (int query = 0; query < 10; ++query) {
        SERVICE_STATUS status{};
        if (service && platform.QueryServiceStatus(service.Get(), &status)) {
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
