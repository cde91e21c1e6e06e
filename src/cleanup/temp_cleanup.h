#pragma once
// The temp-cleanup mode: a copy of the launcher started by the installer's Java side
// waits for the installer to end, deletes what the list names, schedules what resists
// for deletion at restart, and asks for or performs the restart the list's mode wants.
#include <string>
#include <vector>

namespace lnx {

// Carries out the list and deletes the list file; the process's exit code (always 0).
int runWindel(const std::wstring& listPath);

// The list's lines (empty when the file is missing or unreadable).
std::vector<std::wstring> readWindelList(const std::wstring& listPath);

// Returns once no semaphore of the name exists; polls every 200 ms and never keeps it.
void waitForSemaphoreRelease(const std::wstring& name);

// Makes the executable's own directory the current one, so that none being deleted is.
void enterLauncherDirectory();

// A new empty file in the temporary directory whose deletion at restart marks that a
// restart is pending.
std::wstring newRebootCheckFileName();

// Records that file as RebootCheckFile under the local-machine and the current-user roots.
void storeRebootCheckFile(const std::wstring& path);

} // namespace lnx
