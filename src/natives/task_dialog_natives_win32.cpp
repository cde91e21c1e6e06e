// The native of the Java class VistaTaskDialog: a task dialog with custom buttons and an
// optional verification check box, shown modally on the calling thread. The result code
// names the pressed button and the check box (natives/task_dialog_rules.h); 0 when the
// task dialog function is not there.
#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "natives/java_handle.h"
#include "natives/native_export.h"
#include "natives/native_helpers.h"
#include "natives/task_dialog_rules.h"
#include "win32/procedure.h"
#include "win32/unique_handle.h"

namespace lnx {

namespace {

using TaskDialogIndirectFunction = HRESULT(WINAPI*)(const TASKDIALOGCONFIG* config, int* button, int* radioButton,
                                                    BOOL* verificationChecked);

// Found in the common controls the process has already loaded; looked up again while it
// is missing, since they may be loaded later.
TaskDialogIndirectFunction taskDialogIndirect() {
  static std::atomic<TaskDialogIndirectFunction> found{nullptr};
  if (!found) found = systemFunction<TaskDialogIndirectFunction>(L"Comctl32.dll", "TaskDialogIndirect");
  return found;
}

// What the timer callback keeps: the parent to stay behind and the ticks seen so far.
struct ParentRecord {
  HWND parent;
  uint32_t ticks;
};

HRESULT CALLBACK keepBehindParent(HWND dialog, UINT notification, WPARAM, LPARAM, LONG_PTR data) {
  if (notification == TDN_TIMER) {
    auto* record = reinterpret_cast<ParentRecord*>(data);
    SetWindowPos(dialog, record->parent, 0, 0, 0, 0, behindParentFlags(record->ticks++));
  }
  return S_OK;
}

} // namespace

} // namespace lnx

// Exported only under its decorated name (LNX_EXPORT_NATIVE), not by dllexport.
extern "C" {

jint JNICALL Java_com_lanternix_runtime_installer_platform_win32_VistaTaskDialog_show0(
    JNIEnv* env, jclass, jlong parentWindow, jstring windowTitle, jstring mainInstruction, jstring content, jint flags,
    jint mainIcon, jint width, jstring verificationText, jobjectArray buttonLabels, jint defaultButton) try {
  using namespace lnx;
  TaskDialogIndirectFunction show = taskDialogIndirect();
  if (!show) return 0;
  HWND parent = handleFromJava<HWND>(parentWindow);
  std::optional<std::wstring> title = javaStringToWide(env, windowTitle);
  std::optional<std::wstring> instruction = javaStringToWide(env, mainInstruction);
  std::optional<std::wstring> text = javaStringToWide(env, content);
  std::optional<std::wstring> verification = javaStringToWide(env, verificationText);
  std::vector<std::optional<std::wstring>> labels =
      javaStringArrayToWide(env, buttonLabels).value_or(std::vector<std::optional<std::wstring>>());

  std::vector<TASKDIALOG_BUTTON> buttons;
  for (size_t position = 0; position < labels.size(); ++position)
    buttons.push_back(
        {taskButtonId(static_cast<int32_t>(position)), labels[position] ? labels[position]->c_str() : L""});

  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof config;
  config.hwndParent = parent;
  config.dwFlags = taskDialogFlags(static_cast<uint32_t>(flags), parent && !IsIconic(parent));
  config.hMainIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(mainIcon));
  config.pszWindowTitle = wideOrNull(title);
  config.pszMainInstruction = wideOrNull(instruction);
  config.pszContent = wideOrNull(text);
  config.cButtons = static_cast<UINT>(buttons.size());
  config.pButtons = buttons.empty() ? nullptr : buttons.data();
  config.nDefaultButton = defaultTaskButtonId(defaultButton, buttons.size());
  config.pszVerificationText = wideOrNull(verification);
  config.cxWidth = static_cast<UINT>(width);
  ParentRecord record{parent, 0};
  if (parent) {
    config.pfCallback = keepBehindParent;
    config.lpCallbackData = reinterpret_cast<LONG_PTR>(&record);
  }

  int pressed = 0;
  BOOL verificationChecked = FALSE;
  if (FAILED(show(&config, &pressed, nullptr, &verificationChecked))) return kNoTaskButtonResult;
  return taskDialogResult(pressed, verificationChecked != FALSE);
} LNX_NATIVE_FAILS_WITH(lnx::kNoTaskButtonResult)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_VistaTaskDialog_show0, 52);

} // extern "C"
