// Message boxes of the installer: every failure the user must know of is
// shown where it happens, with an OK button; questions have Yes and No.
#pragma once

#include <cstdint>
#include <string>

#include "system/Platform.h"

namespace setwell {

// The caption of every message box: the wizard's title.
extern const char* const kMessageCaption;

// A failure: OK button, warning icon.
void ShowError(Platform& platform, std::uint32_t stringId);
void ShowErrorText(Platform& platform, const std::string& text);
// A success: OK button, information icon.
void ShowInformation(Platform& platform, std::uint32_t stringId);
// A question: Yes and No buttons; true when the user answers Yes.
bool AskYesNo(Platform& platform, std::uint32_t stringId);

}  // namespace setwell
