#include "probe_options.h"

#include "console_out.h"

#include <cwchar>

namespace probe {
namespace {

const char usageText[] =
    "usage: dialogprobe [--wait-seconds N] [--pid N] [--process NAME.exe]\n"
    "                   [--title-contains TEXT] [--any-window | --class NAME]\n"
    "                   [--minimize] [--watch-ms N] [--set-text ID=TEXT]\n"
    "                   [--press LABEL | --press-id ID] [--list]\n"
    "Waits for a visible top-level dialog (class #32770; with --any-window any\n"
    "captioned top-level window; with --class any window of that class, captioned\n"
    "or not), prints its caption, placement and controls, presses a button.\n"
    "--minimize minimises it after the report; --watch-ms then pings it until it\n"
    "hides, is destroyed or N ms have passed, and prints how it answered.\n"
    "--list prints every visible top-level window at once instead.";

std::optional<unsigned long> parseCount(const wchar_t* text) {
  wchar_t* end = nullptr;
  unsigned long value = std::wcstoul(text, &end, 10);
  if (end == text || *end != L'\0')
    return std::nullopt;
  return value;
}

std::optional<ProbeOptions> usageError(const std::string& problem) {
  writeErrorLine("dialogprobe: " + problem);
  writeErrorLine(usageText);
  return std::nullopt;
}

} // namespace

std::optional<ProbeOptions> parseProbeOptions(int argc, wchar_t** argv) {
  ProbeOptions options;
  for (int i = 1; i < argc; ++i) {
    std::wstring name = argv[i];
    if (name == L"--any-window") {
      options.anyWindowClass = true;
      continue;
    }
    if (name == L"--list") {
      options.listOnly = true;
      continue;
    }
    if (name == L"--minimize") {
      options.minimize = true;
      continue;
    }
    if (i + 1 >= argc)
      return usageError("missing value or unknown option: " + toUtf8(name));
    const wchar_t* value = argv[++i];
    if (name == L"--wait-seconds" || name == L"--pid" || name == L"--press-id" ||
        name == L"--watch-ms") {
      std::optional<unsigned long> count = parseCount(value);
      if (!count)
        return usageError(toUtf8(name) + " needs a number, got: " + toUtf8(value));
      if (name == L"--pid")
        options.processId = *count;
      else if (name == L"--press-id")
        options.buttonToPress = ButtonChoice{L"", *count};
      else if (name == L"--watch-ms")
        options.watchMs = *count;
      else
        options.waitSeconds = static_cast<unsigned>(*count);
    } else if (name == L"--set-text") {
      std::wstring assignment = value;
      size_t equals = assignment.find(L'=');
      std::optional<unsigned long> id =
          equals == std::wstring::npos ? std::nullopt : parseCount(assignment.substr(0, equals).c_str());
      if (!id)
        return usageError("--set-text needs ID=TEXT, got: " + toUtf8(value));
      options.setText = std::make_pair(static_cast<long>(*id), assignment.substr(equals + 1));
    } else if (name == L"--process") {
      options.processName = value;
    } else if (name == L"--class") {
      if (*value == L'\0')
        return usageError("--class needs a window class name");
      options.windowClass = value;
    } else if (name == L"--title-contains") {
      options.titleContains = value;
    } else if (name == L"--press") {
      options.buttonToPress = ButtonChoice{value, std::nullopt};
    } else {
      return usageError("unknown option: " + toUtf8(name));
    }
  }
  return options;
}

} // namespace probe
