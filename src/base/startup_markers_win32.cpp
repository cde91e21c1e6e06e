#include <windows.h>

#include <string>

#include "base/cancellation.h"
#include "base/launcher_state.h"
#include "base/startup_markers.h"
#include "win32/unique_handle.h"

namespace lnx {

namespace {

const char kMarkerKey[] = "SOFTWARE\\qorvane-systems\\morva\\";
const char kMarkerName[] = "InstallStarted";
// Serialises the writes, so that a marker set by the worker cannot land after Cancel has
// removed it: Cancel is requested before its removal takes the lock, and a later set sees it.
SRWLOCK markerLock = SRWLOCK_INIT;

std::string perProcessName() { return std::string(kMarkerName) + "_" + std::to_string(GetCurrentProcessId()); }

void applyMarker(const std::string& name, bool set) {
  HKEY opened = nullptr;
  if (set) {
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kMarkerKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened, nullptr) !=
        ERROR_SUCCESS)
      return;
    RegistryKey marker(opened);
    DWORD one = 1;
    RegSetValueExA(marker.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
  } else if (RegOpenKeyExA(HKEY_CURRENT_USER, kMarkerKey, 0, KEY_ALL_ACCESS, &opened) == ERROR_SUCCESS) {
    RegistryKey marker(opened);
    RegDeleteValueA(marker.get(), name.c_str());
  }
}

} // namespace

void setStartupMarkers(bool set, bool perProcess, bool global) {
  if (launcherState().languageRestart) return;
  AcquireSRWLockExclusive(&markerLock);
  struct Release {
    ~Release() { ReleaseSRWLockExclusive(&markerLock); }
  } release;
  if (set && cancelRequested()) return; // a canceled run leaves no marker behind
  if (perProcess) applyMarker(perProcessName(), set);
  if (global) applyMarker(kMarkerName, set);
}

unsigned long readStartupMarker() {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kMarkerKey, 0, KEY_READ, &opened) != ERROR_SUCCESS) return 0;
  RegistryKey marker(opened);
  DWORD value = 0, size = sizeof value, type = 0;
  if (RegQueryValueExA(marker.get(), perProcessName().c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                       &size) != ERROR_SUCCESS ||
      type != REG_DWORD)
    return 0;
  return value;
}

} // namespace lnx
