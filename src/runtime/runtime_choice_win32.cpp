#include "runtime/runtime_choice.h"

#include <commdlg.h>

#include <vector>

#include "base/dialog_window.h"
#include "base/launcher_state.h"
#include "base/resource_ids.h"
#include "base/startup_markers.h"
#include "base/system_dlls.h"
#include "log/error_report.h"
#include "log/log.h"
#include "payload/catalogue.h"
#include "payload/tables.h"
#include "runtime/launcher_width.h"
#include "runtime/registered_runtimes.h"
#include "runtime/registry.h"
#include "runtime/runtime_choice_text.h"
#include "runtime/runtime_search.h"
#include "text/codepage.h"
#include "win32/procedure.h"

namespace lnx {

namespace {

constexpr size_t kPathBuffer = 6000;
using GetOpenFileNameFunction = BOOL(WINAPI*)(LPOPENFILENAMEA);

bool downloadOffered = false; // written before the dialog is shown

// Comdlg32 is loaded on first use only, and kept.
GetOpenFileNameFunction loadOpenFileDialog() {
  static const GetOpenFileNameFunction function = procedureOf<GetOpenFileNameFunction>(
      loadSystemLibrary(L"Comdlg32.dll"), "GetOpenFileNameA");
  return function;
}

void initialiseChoiceDialog(HWND dialog) {
  centerDialog(dialog);
  SetWindowTextW(dialog, getMessage(message::wizardCaption).c_str());
  std::wstring explanation = runtimeChoiceExplanation(
      getMessage(downloadOffered ? message::noRuntimeDownloadOrLocate : message::noRuntimeLocate),
      kLauncherWidth.bitsText,
      getMessage(message::minimumVersionLabel), getConfigCopy(config::minJavaVersion),
      getMessage(message::maximumVersionLabel), getConfigCopy(config::maxJavaVersion));
  SetDlgItemTextW(dialog, LNX_CONTROL_NOTICE, explanation.c_str());
  SetDlgItemTextW(dialog, LNX_CONTROL_DOWNLOAD, getMessage(message::downloadLabel).c_str());
  SetDlgItemTextW(dialog, LNX_CONTROL_LOCATE, getMessage(message::locateLabel).c_str());
  SetDlgItemTextW(dialog, IDCANCEL, getMessage(message::cancelLabel).c_str());
  if (!downloadOffered) ShowWindow(GetDlgItem(dialog, LNX_CONTROL_DOWNLOAD), SW_HIDE);
}

INT_PTR CALLBACK runtimeChoiceDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) try {
  if (message == WM_INITDIALOG) {
    initialiseChoiceDialog(dialog);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
  case LNX_CONTROL_LOCATE:
    if (chooseJavaExe(dialog)) EndDialog(dialog, LNX_CONTROL_LOCATE);
    return TRUE;
  case IDCANCEL:
    setStartupMarkers(false, true, true);
    exitLauncher(1);
  default:
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
} catch (...) {
  failOnEscapedException(L"runtime choice dialog");
}

} // namespace

INT_PTR showRuntimeChoiceDialog(HWND owner, bool offered) {
  downloadOffered = offered;
  return DialogBoxParamW(static_cast<HINSTANCE>(launcherState().instance), MAKEINTRESOURCEW(LNX_DIALOG_NO_RUNTIME),
                         owner, runtimeChoiceDialogProc, 0);
}

bool chooseJavaExe(HWND owner) {
  GetOpenFileNameFunction getOpenFileName = loadOpenFileDialog();
  if (!getOpenFileName) return false;
  std::vector<char> path(kPathBuffer, '\0');
  std::string title;
  wideToNarrow(getMessage(message::chooseJavaExe), title);
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = "Java EXE\0java.exe\0";
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = static_cast<DWORD>(path.size());
  dialog.lpstrTitle = title.c_str();
  dialog.Flags = OFN_FILEMUSTEXIST;
  if (!getOpenFileName(&dialog)) return false;
  std::string javaExe = path.data();
  if (!LoadDLL(true, &javaExe, true)) return false;
  rememberLocatedRuntime(processRegistry(), javaExe);
  return true;
}

} // namespace lnx
