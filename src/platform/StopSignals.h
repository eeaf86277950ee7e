#pragma once

// SIGINT and SIGTERM turned into a request to stop, for a run that cleans up after itself and
// ends with the status the signal stands for (128 + its number). Handlers installed later, which
// pass the signal on to the one before them, still reach this one.
namespace StopSignals {

// Installs the handlers (once; an ignored signal stays ignored).
void install();
// The signal asked to stop by, 0 while none came.
int received();
// The exit status for the signal received: 130 for SIGINT, 143 for SIGTERM.
int exitStatus();

} // namespace StopSignals
