// The signals that ask the program to stop (SIGINT, SIGTERM, SIGHUP), caught
// while a replay plays so that it ends as a closed window ends it: the game
// closes and removes the replay's folder. A second signal ends the program
// at once.
#pragma once

// Installs the handlers (once; later calls do nothing).
void CatchStopSignals();
// The signal caught, or 0.
int StopSignalCaught();
// Ends the program by the signal caught, as it would have ended without the
// handlers (its exit status says so); does nothing when none was caught.
void EndByStopSignal();
