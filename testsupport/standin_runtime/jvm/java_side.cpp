#include "java_side.h"

#include <optional>
#include <string>

#include <windows.h>

#include "temp_cleanup_start.h"

namespace standin {

namespace {

// The launcher's per-process start-up marker; 2 tells its watcher the installer's
// window is up.
const wchar_t kMarkerKey[] = L"SOFTWARE\\qorvane-systems\\morva";
const wchar_t kMarkerPrefix[] = L"InstallStarted_";

jnifake::JsonValue numberEvent(const char* kind, unsigned long value) {
  jnifake::JsonValue event = jnifake::callEvent(kind);
  event.set(u"value", jnifake::JsonValue::number(value));
  return event;
}

} // namespace

JavaSide::JavaSide(jnifake::FakeJvm& jvm, jnifake::JniReport& report, JvmSwitches switches)
    : jvm_(jvm), report_(report), switches_(std::move(switches)) {
  jvm_.onStaticCall([this](const jnifake::StaticCall& call) {
    if (call.method == "main")
      runMain();
  });
  jvm_.onDestroy([this] { finish(); });
}

void JavaSide::runMain() {
  if (switches_.mainThrows)
    jvm_.throwPending(*switches_.mainThrows);
  if (switches_.marker)
    setStartupMarker(*switches_.marker);
  if (switches_.windowAfterMs && !window_) {
    window_ = std::make_unique<LateWindow>(*switches_.windowAfterMs, switches_.windowForMs, [this](bool shown) {
      report_.recordCall(jnifake::callEvent(shown ? "windowShown" : "windowFailed"));
    });
  }
  if (switches_.mainMs) {
    // Meanwhile the marker is set and the window may appear, as while an installer works.
    Sleep(switches_.mainMs);
    report_.recordCall(numberEvent("mainRan", switches_.mainMs));
  }
  if (switches_.tempCleanup)
    report_.recordCall(startTempCleanup(tempCleanupInputs()));
  if (switches_.exitCode) {
    // The report is already on disk; the process ends inside main, as System.exit would.
    report_.recordCall(numberEvent("exitProcess", *switches_.exitCode));
    ExitProcess(*switches_.exitCode);
  }
}

// What the Java side knows after main: the launcher's properties and the WinDel field.
TempCleanupInputs JavaSide::tempCleanupInputs() const {
  jnifake::JsonValue report = report_.snapshot();
  TempCleanupInputs inputs;
  if (const jnifake::JsonValue* options = report.find(u"options")) {
    for (const jnifake::JsonValue& option : options->items()) {
      const std::u16string& text = option.asText();
      for (auto [prefix, value] : {std::pair{std::u16string(u"-Dmorva.tempDir="), &inputs.tempDir},
                                   std::pair{std::u16string(u"-Dmorva.semaphoreName="), &inputs.semaphoreName}})
        if (text.rfind(prefix, 0) == 0)
          value->assign(text.begin() + prefix.size(), text.end());
    }
  }
  if (const jnifake::JsonValue* fields = report.find(u"staticFields"))
    if (const jnifake::JsonValue* executable = fields->find(u"com/morva/runtime/util/WinDel.externalExecutable"))
      if (executable->kind() == jnifake::JsonValue::Kind::text)
        inputs.executable.assign(executable->asText().begin(), executable->asText().end());
  return inputs;
}

void JavaSide::finish() {
  if (!window_)
    return;
  // Waits for the window to be shown and kept up for LNX_JVM_WINDOW_FOR_MS, then closes it.
  std::optional<unsigned long long> shownMs = window_->close();
  window_.reset();
  jnifake::JsonValue event = jnifake::callEvent("windowClosed");
  if (shownMs)
    event.set(u"shownMs", jnifake::JsonValue::number(static_cast<long long>(*shownMs)));
  report_.recordCall(std::move(event));
}

void JavaSide::setStartupMarker(unsigned long value) {
  HKEY key = nullptr;
  std::wstring name = kMarkerPrefix + std::to_wstring(GetCurrentProcessId());
  DWORD data = value;
  bool written = RegCreateKeyExW(HKEY_CURRENT_USER, kMarkerKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                                 nullptr) == ERROR_SUCCESS &&
                 RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                                sizeof data) == ERROR_SUCCESS;
  if (key)
    RegCloseKey(key);
  jnifake::JsonValue event = numberEvent("startupMarker", value);
  event.set(u"name", jnifake::JsonValue::text(std::u16string(name.begin(), name.end())));
  event.set(u"written", jnifake::JsonValue::boolean(written));
  report_.recordCall(std::move(event));
}

} // namespace standin
