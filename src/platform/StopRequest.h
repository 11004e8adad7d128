#pragma once

namespace brellow {

// A request to end the program (SIGTERM, SIGINT, SIGHUP: a logout, kill, Ctrl+C). Long work
// looks at it between steps and winds down, leaving nothing half-written; the event loop
// learns of it through a descriptor that becomes readable.

// Installs the handlers once; the signals no longer end the process at once.
void InstallStopSignals();

// A stop was requested.
bool StopRequested();

// Readable once a stop was requested (-1 before InstallStopSignals).
int StopNotifier();

// Sets or clears the request as a signal would; for tests.
void SetStopRequestedForTesting(bool requested);

}  // namespace brellow
