#include "jvm_switches.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

#include <windows.h>

#include "beside_self.h"
#include "command_line.h"

namespace standin {

namespace {

std::optional<std::wstring> environmentValue(const wchar_t* name) {
  DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0)
    return std::nullopt;
  std::wstring value(size, L'\0');
  DWORD length = GetEnvironmentVariableW(name, value.data(), size);
  value.resize(length < size ? length : 0);
  return value;
}

std::optional<unsigned long> numberSwitch(const wchar_t* name, std::string& problem) {
  std::optional<std::wstring> value = environmentValue(name);
  if (!value)
    return std::nullopt;
  wchar_t* end = nullptr;
  unsigned long number = std::wcstoul(value->c_str(), &end, 10);
  if (value->empty() || *end != L'\0' || !iswdigit((*value)[0])) {
    problem = toUtf8(name) + " is no number: " + toUtf8(*value);
    return std::nullopt;
  }
  return number;
}

} // namespace

JvmSwitches readJvmSwitches(std::string& problem) {
  JvmSwitches switches;
  switches.reportPath = environmentValue(L"LNX_JVM_REPORT").value_or(besideSelf(L"jvm-report.json"));
  switches.failCreate = environmentValue(L"LNX_JVM_FAIL_CREATE") == L"1";
  if (std::optional<std::wstring> missing = environmentValue(L"LNX_JVM_MISSING_CLASS")) {
    switches.missingClass = toUtf8(*missing);
    std::replace(switches.missingClass.begin(), switches.missingClass.end(), '.', '/');
  }
  if (std::optional<std::wstring> text = environmentValue(L"LNX_JVM_MAIN_THROWS"))
    switches.mainThrows = std::u16string(text->begin(), text->end());
  switches.exitCode = numberSwitch(L"LNX_JVM_EXIT_CODE", problem);
  switches.marker = numberSwitch(L"LNX_JVM_SET_MARKER", problem);
  switches.windowAfterMs = numberSwitch(L"LNX_JVM_WINDOW_AFTER_MS", problem);
  switches.windowForMs = numberSwitch(L"LNX_JVM_WINDOW_FOR_MS", problem).value_or(0);
  switches.mainMs = numberSwitch(L"LNX_JVM_MAIN_MS", problem).value_or(0);
  switches.tempCleanup = environmentValue(L"LNX_JVM_TEMP_CLEANUP") == L"1";
  return switches;
}

} // namespace standin
