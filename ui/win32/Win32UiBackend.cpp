#include "ui/win32/Win32UiBackend.h"

#include <ole2.h>

#include "resources/StringTable.h"
#include "system/Messages.h"
#include "ui/win32/Win32Window.h"

namespace setwell {

Win32UiBackend::~Win32UiBackend() {
  if (richEdit_ != nullptr) ::FreeLibrary(richEdit_);
  if (oleInitialised_) ::OleUninitialize();
}

std::unique_ptr<WindowBackend> Win32UiBackend::NewWindow(CDialog& owner) {
  return std::make_unique<Win32Window>(*this, owner);
}

// The host has no formatted-text ActiveX control to register; its rich edit
// control (riched20.dll, class "RichEdit20A") shows the agreement instead.
// The library stays loaded while windows of its class may exist.
bool Win32UiBackend::RegisterRichTextControl(Platform& platform) {
  if (!oleInitialised_) {
    if (FAILED(::OleInitialize(nullptr))) {
      ShowError(platform, IDS_OLE_INIT_FAILED);
      return false;
    }
    oleInitialised_ = true;
  }
  if (richEdit_ == nullptr) {
    richEdit_ = ::LoadLibraryA("riched20.dll");
    if (richEdit_ == nullptr) {
      // The program's own fixed text for a library that cannot be loaded.
      ShowErrorText(platform, "hinistance");
      return false;
    }
  }
  return true;
}

}  // namespace setwell
