#pragma once

namespace qf {

// SIGINT and SIGTERM ask the run to stop, as the window's Stop does: the job keeps what it
// finished and leaves nothing half written. A second one, or SIGHUP, ends every child process
// and the program at once.
void StopOnSignals();
// The signal that asked for a stop, or 0.
int StopSignal();
// Becomes readable once a stop was asked for, to wake a wait.
int StopWakeDescriptor();
// Ends the program as the stop signal would have, so its caller sees how it ended. Returns
// only when no stop was asked for.
void EndAsSignalled();

} // namespace qf
