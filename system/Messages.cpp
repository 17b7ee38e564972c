#include "system/Messages.h"

#include "resources/StringTable.h"

namespace setwell {

const char* const kMessageCaption = "Install Driver for Printers";

void ShowError(Platform& platform, std::uint32_t stringId) {
  ShowErrorText(platform, LoadStringText(stringId));
}

void ShowErrorText(Platform& platform, const std::string& text) {
  platform.MessageBoxA(text.c_str(), kMessageCaption, MB_OK | MB_ICONWARNING);
}

void ShowInformation(Platform& platform, std::uint32_t stringId) {
  platform.MessageBoxA(LoadStringText(stringId), kMessageCaption, MB_OK | MB_ICONINFORMATION);
}

bool AskYesNo(Platform& platform, std::uint32_t stringId) {
  return platform.MessageBoxA(LoadStringText(stringId), kMessageCaption,
                              MB_YESNO | MB_ICONQUESTION) == IDYES;
}

}  // namespace setwell
