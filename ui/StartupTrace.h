// Start-up timing marks for finding where the time to the first window
// goes. Off in the product: built with -DSETWELL_STARTUP_TRACE (the
// win32-trace preset), each mark appends "<ms since the process was
// created>\t<what>" to the file named by the environment variable
// SETWELL_STARTUP_TRACE (nothing without it). The benchmark's trivial dialog
// makes marks too, when built so.
#pragma once

#ifdef SETWELL_STARTUP_TRACE
namespace setwell {
void StartupMark(const char* what);
}  // namespace setwell
#define SETWELL_STARTUP_MARK(what) ::setwell::StartupMark(what)
#else
#define SETWELL_STARTUP_MARK(what) ((void)0)
#endif
