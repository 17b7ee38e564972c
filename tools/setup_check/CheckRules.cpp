#include "tools/setup_check/CheckRules.h"

namespace setwell::check {

const std::vector<Rule>& Rules() {
  static const std::vector<Rule> rules = {
      {"SC101", Severity::kError, "general configuration file missing",
       "put DRVCONFIG\\setup.ini beside Setup.exe"},
      {"SC102", Severity::kError, "no model is listed",
       "give DEVICENUMBER and DEVICENAME1.. entries ending in -ReceiptPrinter, -TicketPrinter, "
       "-LabelPrinter or -EmbeddedPrinter"},
      {"SC103", Severity::kError, "category file missing",
       "add the category file the model's entry names, or move the model to another category"},
      {"SC104", Severity::kError, "required driver key missing",
       "give the key: a missing one reads \"0\", and a driver of file \"0\" cannot be added "
       "(\"Add printer driver error\")"},
      {"SC105", Severity::kError, "file key with an empty value",
       "write a file name, or 0 for no file: an empty name stops the install (\"Lost of driver "
       "files\") or makes a copy of the bare folder fail"},
      {"SC106", Severity::kError, "file not in the per-system folder",
       "add the file to the folder, or correct its name in the configuration"},
      {"SC107", Severity::kError, "file name that is not a plain file name",
       "name a file of the per-system folder, without \\, /, : or .."},
      {"SC108", Severity::kError, "Unidrv support files listed but never copied",
       "set STD2KDDKDEV (or GDI2KDDKDEV) to 1 too, or GDI2KDDKDEV to 0: the driver record "
       "lists UNIRES.DLL, STDNAMES.GPD and TTFSUB.GPD only after GDI2KDDKDEV"},
      {"SC109", Severity::kError, "OEM plug-in file listed but never copied",
       "give both DataOemuniDLL and DataOemuniini, or 0 for both"},
      {"SC110", Severity::kError, "Unidrv flag on a Windows 98/Me or NT 4.0 target",
       "set 2KDDKDEV to 0 in the .98 and .NT sections: the data-file DLL would go to the \\3 "
       "folder, which these systems lack"},
      {"SC111", Severity::kError, "Unidrv driver without its data-file DLL",
       "give DataFileDLLName: with the Unidrv flag an empty one stops the install"},
      {"SC112", Severity::kError, "port monitor missing for a port the models offer",
       "give the COMMON-MONITOR section of the system with the monitor's name and DLL"},
      {"SC113", Severity::kError, "monitor DLL without a monitor name, or name without DLL",
       "give the monitor's name and its DLL together, or neither"},
      {"SC114", Severity::kError, "Windows Server 2003 supported without its sections",
       "add the model's .2003, .PRINTERINFO2003 and .DEVMODE2003 sections, or set "
       "System2003Supported=0"},
      {"SC115", Severity::kError, "print processor without its DLL",
       "give ProcessorDLLName with the processor's file, or use WinPrint"},
      {"SC116", Severity::kError, "USB port name too long",
       "shorten the model name to 45 characters: the port name holds at most 51"},
      {"SC117", Severity::kError, "model name holds a USB device-number suffix",
       "rename the model without _1, _2, _3 or _4: the USB port and printer name tests find them"},
      {"SC118", Severity::kError, "model named PRINTER",
       "rename the model: the port page takes PRINTER for a list already built"},
      {"SC119", Severity::kError, "no positive baud rate",
       "give BaudRate, such as 9600: the serial line settings come from it"},
      {"SC120", Severity::kError, "entry count beyond reason",
       "set DEVICENUMBER (PRNCOUNT) to the number of entries: the model page (every USB "
       "install) reads every number up to it"},
      {"SC190", Severity::kError, "rehearsed install does not succeed",
       "see the messages the install showed; the static findings of the model usually say why"},
      {"SC191", Severity::kError, "second install over the first does not succeed",
       "see the messages; an install over an earlier one meets its printer, driver and records"},
      {"SC192", Severity::kError, "removal after an install leaves the family's or takes another's",
       "give each name one meaning: a monitor name one DLL, a file name one file, so that what "
       "stays tells what is still needed"},
      {"SC201", Severity::kWarning, "DEVICENUMBER does not match the entries",
       "set DEVICENUMBER to the highest DEVICENAME number"},
      {"SC202", Severity::kWarning, "model entry without a category suffix",
       "end the entry in -ReceiptPrinter, -TicketPrinter, -LabelPrinter or -EmbeddedPrinter"},
      {"SC203", Severity::kWarning, "DEFAULTNAME does not preselect its model",
       "give the number of a listed entry; a model whose name begins another one is found "
       "after it"},
      {"SC204", Severity::kWarning, "model listed twice",
       "list each model once: the port page keeps the list of a name it has built"},
      {"SC205", Severity::kWarning, "supported USB device names no model's USB port",
       "write USB_<model>_1 to _4 of a model with USBSUPPORTED, at most 29 characters"},
      {"SC206", Severity::kWarning, "PRNCOUNT does not match the entries",
       "set PRNCOUNT to the number of entries 0 .. PRNCOUNT-1"},
      {"SC207", Severity::kWarning, "key given twice in a section",
       "keep one: the first one is read"},
      {"SC208", Severity::kWarning, "section given twice",
       "merge them: only the first one is read"},
      {"SC209", Severity::kWarning, "value longer than the installer keeps",
       "shorten the value: it is cut"},
      {"SC210", Severity::kWarning, "model name longer than 31 characters",
       "shorten the name: the device mode's device name is cut at 31"},
      {"SC211", Severity::kWarning, "model name holds COM, LPT or USB",
       "rename the model: port kinds are told by these substrings in the port name"},
      {"SC212", Severity::kWarning, "monitor DLL name too long for its alternate name",
       "keep monitor DLL names within 18 characters"},
      {"SC213", Severity::kWarning, "number that is not decimal",
       "write a decimal number: the value reads as far as its digits go"},
      {"SC214", Severity::kWarning, "dependent files past what the driver record holds",
       "shorten the data file and plug-in names: the list holds 200 bytes"},
      {"SC215", Severity::kWarning, "baud rate the list does not show",
       "use 110, 300, 1200, 2400, 4800, 9600, 19200, 38400, 57600 or 115200"},
      {"SC216", Severity::kWarning, "driver name missing",
       "give STDDRIVERNAME and GDIDRIVERNAME: a missing one names the driver \"0\""},
      {"SC217", Severity::kWarning, "private device-mode data announced",
       "set DMDRIVEREXTRA=0: no private data follows the device mode"},
      {"SC218", Severity::kWarning, "waiver that covers no finding",
       "remove the waiver, or give it the place the finding now has"},
      {"SC301", Severity::kNote, "section of no listed model",
       "remove it, or list its model"},
      {"SC302", Severity::kNote, "no DEFAULTNAME", "give DEFAULTNAME to preselect a model"},
      {"SC303", Severity::kNote, "no help file", "put Guide.CHM beside Setup.exe for F1"},
      {"SC304", Severity::kNote, "USB port not among the supported USB devices",
       "list the model's USB ports in SUPPORTED-USB-DEVICE for the USB port records"},
  };
  return rules;
}

const Rule* FindRule(std::string_view code) {
  for (const Rule& rule : Rules()) {
    if (code == rule.code) return &rule;
  }
  return nullptr;
}

const char* SeverityName(Severity severity) {
  switch (severity) {
    case Severity::kError: return "error";
    case Severity::kWarning: return "warning";
    case Severity::kNote: return "note";
  }
  return "?";
}

}  // namespace setwell::check
