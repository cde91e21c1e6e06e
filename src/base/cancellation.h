#pragma once
// Cancel in the progress dialog while the worker thread still prepares the installer. The
// worker stops at its next checkpoint, where it holds no file of the extraction directory
// open, so that nothing of the run stays behind.
namespace lnx {

// Called by the dialog when the user cancels.
void requestCancel();

// A checkpoint of the worker: ends the canceled run here (exit code 0), else returns.
void stopIfCanceled();

// Called once the Java VM is about to start: from then on the worker reaches no checkpoint.
void passLastCheckpoint();
bool lastCheckpointPassed();

// Removes the start-up markers and the extraction directory and ends the process with
// exit code 0 as a normal end (the log's exit handler runs). Safe to reach from two threads.
// Defined by the launcher (launcher/canceled_run_win32.cpp): only the top layer ends a run.
[[noreturn]] void endCanceledRun();

} // namespace lnx
