#include "resources/StringTable.h"

namespace setwell {
namespace {

struct Entry {
  std::uint32_t id;
  const char* text;
};

constexpr Entry kStrings[] = {
    {IDS_ABOUTBOX, "&About Setwell Setup..."},
    {IDS_NO_SYSTEM_DIRECTORY, "Cannot get system directory"},
    {IDS_PORT_PRINTER_LIMIT, "Maximum count of printers using the same port has been reached"},
    {IDS_OUT_OF_MEMORY, "Printer installer could not allocate sufficient memory"},
    {IDS_NO_CURRENT_DIRECTORY, "Cannot get current system directory"},
    {IDS_NO_DRIVER_DIRECTORY, "Cannot get printer driver directory"},
    {IDS_NO_PROCESSOR_DIRECTORY, "Cannot get printer processor directory"},
    {IDS_SELECT_MODEL, "You must select a printer module first!"},
    {IDS_NT4_NO_USB, "WindowsNT4 and earlier editions do not support USB ports"},
    {IDS_RESTART_QUESTION,
     "Restart the computer so that the changes can take effect\n"
     "Click on \"Yes\" to restart the computer immediately\n"
     "Click on \"No\" to restart the computer later"},
    {IDS_WRONG_SYSTEM,
     "This driver doesn't work on this system.\n"
     "Please click \"Cancel\" button to cancel this program."},
    {IDS_ADD_PRINTER_ERROR, "Add printer error"},
    {IDS_ADD_DRIVER_ERROR, "Add printer driver error"},
    {IDS_ADD_MONITOR_ERROR, "Add monitor error"},
    {IDS_COPY_ERROR, "Copy driver files error"},
    {IDS_ADD_PROCESSOR_ERROR, "Add printer processor error\nFatal error, try rebooting the system."},
    {IDS_ENUM_PORTS_ERROR, "Enum ports error"},
    {IDS_NO_WINDOWS_DIRECTORY, "Cannot get windows directory"},
    {IDS_EXIT_WINDOWS_ERROR, "Exit windows error"},
    {IDS_INSTALLED, "Successfully installed printer driver"},
    {IDS_OLE_INIT_FAILED, "OLE initiation failed"},
    {IDS_INSTALLED_REPOWER, "Successfully installed printer driver\nPlease repower the printer"},
    {IDS_PRESS_F1, "Press \"F1\" for help"},
    {IDS_TYPICAL_REMARK, "Install default printer driver"},
    {IDS_MULTI_USB_REMARK, "Support multi-USB printer"},
    {IDS_DRIVER_MODE_REMARK, "Support driver mode selection"},
    {IDS_NO_USB_DEVICE, "No USB device attached"},
    {IDS_PORT_NOT_SUPPORTED, "No support installation for this port"},
    {IDS_FATAL_REBOOT, "Fatal error, try rebooting the system"},
    {IDS_DRIVER_FILES_LOST, "Lost of driver files, can't continue"},
    {IDS_RENAME_QUESTION,
     "This application will change printer name\n"
     "the name will be matching with interface name\n"
     "If continue, click on \"Yes\"\n"
     "Otherwise click on \"No\""},
    {IDS_ONE_USB_PRINTER, "Connect just one USB printer to host"},
    {IDS_NO_SERVER_2003, "This printer not support WINDOWS SEVER 2003"},
};

}  // namespace

const char* LoadStringText(std::uint32_t id) {
  for (const Entry& entry : kStrings) {
    if (entry.id == id) return entry.text;
  }
  return "";
}

}  // namespace setwell
