#pragma once
// Cancel in the progress dialog while the worker thread still prepares the installer. The
// worker stops at its next checkpoint: the checkpoint throws RunCanceled, so that unwinding
// closes whatever the work holds open (the archive being unpacked, a file being written, a
// search handle) before the run ends, and nothing of the run stays behind.
namespace lnx {

// What a checkpoint of a canceled run throws. The entry of the thread that runs the work
// catches it and ends the run with endCanceledRun; nothing else may catch it.
struct RunCanceled {};

// Called by the dialog when the user cancels.
void requestCancel();
bool cancelRequested();

// A checkpoint of the worker: throws RunCanceled once the user has canceled, else returns.
// Work that holds something RAII does not release (a child process, a C stream) releases it
// after cancelRequested() said so and then calls this.
void stopIfCanceled();

// Called once the Java VM is about to start: from then on the worker reaches no checkpoint.
void passLastCheckpoint();
bool lastCheckpointPassed();

// Removes the start-up markers and the extraction directory and ends the process with
// exit code 0 as a normal end (the log's exit handler runs). Safe to reach from two threads.
// Defined by the launcher (launcher/canceled_run_win32.cpp): only the top layer ends a run.
[[noreturn]] void endCanceledRun();

} // namespace lnx
