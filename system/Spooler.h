// Stopping and starting the print spooler service ("Spooler").
#pragma once

#include "system/Platform.h"

namespace setwell {

// Sends the stop control and pauses 100 ms; does not wait for the stop.
void StopSpooler(Platform& platform);
// Starts the service; does not wait. A running service is no error.
void StartSpooler(Platform& platform);
// Up to 10 status queries 300 ms apart; 1 when the service runs, else
// "StartSpoolService error" and 0.
int WaitSpoolerRunning(Platform& platform);

}  // namespace setwell
