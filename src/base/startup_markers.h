#pragma once
// The start-up markers: DWORD values under HKCU\SOFTWARE\qorvane-systems\morva\ that say a
// launcher is looking for a runtime or starting the Java side.
namespace lnx {

// For the per-process value (when perProcess) and then the global one (when global): with
// set, create the key and write 1; without, delete the value. Does nothing in a language
// restart; errors are ignored.
void setStartupMarkers(bool set, bool perProcess, bool global);

// The per-process value, 0 when the key or value is missing.
unsigned long readStartupMarker();

} // namespace lnx
