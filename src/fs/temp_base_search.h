#pragma once
// The search for a usable temporary base directory, over an interface to the system so
// that the order of the candidates can be checked without one. Narrow and wide searches
// are twins: String is std::string (8-bit file-system code page) or std::wstring.
#include <optional>
#include <string>

#include "text/ascii_text.h"

namespace lnx {

template <class String> class TempBaseSystem {
public:
  virtual ~TempBaseSystem() = default;
  virtual std::optional<String> systemTempPath() = 0;
  virtual std::optional<String> environment(const char* name) = 0;
  virtual std::optional<String> windowsDirectory() = 0;
  // Usable when a fresh subdirectory can be created in path and found again; with
  // requireRepresentable, its long name must also survive the 8-bit code page.
  virtual bool probe(const String& path, bool createFirst, bool requireRepresentable) = 0;
};

// Returns the first usable candidate, or an empty text when none is. usedFallback is set
// when the search reached its second pass.
template <class String> String searchTempBase(TempBaseSystem<String>& system, bool& usedFallback) {
  auto tryPath = [&system](const std::optional<String>& path, bool createFirst, bool representable) {
    return path && !path->empty() && system.probe(*path, createFirst, representable);
  };
  auto appended = [](std::optional<String> base, const char* tail) {
    if (base) *base += asciiText<String>(tail);
    return base;
  };
  auto profileTemp = [&] { return appended(system.environment("USERPROFILE"), "\\AppData\\Local\\Temp"); };
  auto homeDirectory = [&]() -> std::optional<String> {
    std::optional<String> drive = system.environment("HOMEDRIVE");
    if (!drive) return std::nullopt;
    if (std::optional<String> path = system.environment("HOMEPATH")) *drive += *path;
    return drive;
  };

  // First pass: the usual places, with names that survive the 8-bit code page.
  if (auto path = system.systemTempPath(); tryPath(path, true, true)) return *path;
  if (auto path = profileTemp(); tryPath(path, false, true)) return *path;
  if (auto path = homeDirectory(); tryPath(path, false, true)) return *path;
  if (auto path = appended(system.windowsDirectory(), "\\temp"); tryPath(path, false, false)) return *path;
  for (const char* fixed : {"c:\\temp", "c:\\tmp"})
    if (auto path = std::optional<String>(asciiText<String>(fixed)); tryPath(path, false, false)) return *path;
  if (auto path = system.windowsDirectory(); tryPath(path, false, false)) return *path;
  if (auto path = std::optional<String>(asciiText<String>("c:\\tmp")); tryPath(path, true, false)) return *path;

  // Second pass: any name will do.
  usedFallback = true;
  if (auto path = system.systemTempPath(); tryPath(path, true, false)) return *path;
  if (auto path = profileTemp(); tryPath(path, false, false)) return *path;
  if (auto path = homeDirectory(); tryPath(path, false, false)) return *path;
  return String();
}

} // namespace lnx
