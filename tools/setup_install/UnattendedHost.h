// The real host without a screen: every call goes to the Win32 API but the
// message boxes, which are recorded and answered by the script, and the
// shell's "open" (F1's help file), which is recorded and not opened.
#pragma once

#include <string>
#include <vector>

#include "ui/headless/MessageBoxes.h"
#include "system/win32/Win32Platform.h"
#include "script/ScriptRunner.h"

namespace setwell::install {

class UnattendedHost : public Win32Platform, public term::ScriptedHost {
 public:
  // --- Platform ---------------------------------------------------------------
  int MessageBoxA(const char* text, const char* caption, UINT type) override;
  WindowHandle FindWindowA(const char* className, const char* windowName) override;
  bool ActivateWindow(WindowHandle window) override;
  bool ShellOpen(const char* file, int showCommand) override;
  // The install's fixed pauses, counted (and made).
  void Sleep(DWORD milliseconds) override;

  // --- ScriptedHost -----------------------------------------------------------
  MessageBoxRecorder& MessageBoxes() override { return boxes_; }
  std::size_t ShellOpenCount() const override { return opened_.size(); }
  std::string LastShellOpened() const override {
    return opened_.empty() ? std::string() : opened_.back();
  }
  std::string ResolvePath(const std::string& file) const override;
  bool FileExists(const std::string& path) const override;

  // The milliseconds the install paused for so far.
  unsigned long PausedMs() const { return paused_; }

 private:
  MessageBoxRecorder boxes_;
  std::vector<std::string> opened_;
  unsigned long paused_ = 0;
};

}  // namespace setwell::install
