// The real windows of the host: each dialog a Win32Window, made from the
// layout tables in the resources of `instance` (icons, bitmaps).
#pragma once

#include "system/WinTypes.h"  // <windows.h>, without its generic-text macros

#include <memory>

#include "ui/WindowBackend.h"

namespace setwell {

class Win32Platform;

class Win32UiBackend : public UiBackend {
 public:
  // `host`, when given, shows its message boxes owned by the main window
  // while that runs.
  explicit Win32UiBackend(HINSTANCE instance, Win32Platform* host = nullptr)
      : instance_(instance), host_(host) {}
  ~Win32UiBackend() override;
  Win32UiBackend(const Win32UiBackend&) = delete;
  Win32UiBackend& operator=(const Win32UiBackend&) = delete;

  std::unique_ptr<WindowBackend> NewWindow(CDialog& owner) override;
  // Initialises the component library and loads the host's rich edit
  // control for the licence page's agreement view.
  bool RegisterRichTextControl(Platform& platform) override;

  HINSTANCE Instance() const { return instance_; }
  Win32Platform* Host() const { return host_; }

 private:
  HINSTANCE instance_;
  Win32Platform* host_;
  bool oleInitialised_ = false;
  HMODULE richEdit_ = nullptr;
};

}  // namespace setwell
