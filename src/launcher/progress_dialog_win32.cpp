#include "launcher/progress_dialog.h"

#include <commctrl.h>

#include "base/cancellation.h"
#include "base/launcher_state.h"
#include "base/progress_bar.h"
#include "base/resource_ids.h"
#include "base/startup_markers.h"
#include "launcher/work_sequence.h"
#include "log/error_report.h"
#include "log/log.h"
#include "payload/catalogue.h"
#include "payload/tables.h"
#include "runtime/runtime_download.h"
#include "win32/unique_handle.h"

namespace lnx {

namespace {

const wchar_t kDialogClass[] = L"MyDialogClass";
// Posted by the worker when the work sequence has returned (the Java side has ended).
constexpr INT_PTR kWorkDone = 0x100;
// How long a canceled dialog waits for the worker to stop at a checkpoint by itself.
constexpr DWORD kCancelWaitMs = 10000;

HANDLE workerThread = nullptr;

struct HostedWork {
  HWND window = nullptr;
  DialogWork work = DialogWork::WorkSequence;
};
HostedWork hosted; // written before the worker starts

DWORD runDialogWork(HWND window, DialogWork work) {
  if (work == DialogWork::RuntimeDownload) {
    stopIfCanceled(); // canceled before the runtime choice dialog would come up
    runtimeDownloadFlow(window);
  } else {
    runWorkSequence(window);
  }
  if (window) endProgressDialog(window);
  return 0;
}

DWORD WINAPI runWorker(void* parameter) {
  const HostedWork& started = *static_cast<const HostedWork*>(parameter);
  try {
    return runDialogWork(started.window, started.work);
  } catch (const RunCanceled&) {
    endCanceledRun(); // unwound to here, so what the work held open is closed
  } catch (...) {
    failOnEscapedException(L"work sequence");
  }
}

void initialiseDialog(HWND window, DialogWork work) {
  centerDialog(window);
  setErrorOwner(window);
  setProgressRange(window, 0, 100);
  SetDlgItemTextW(window, LNX_CONTROL_NOTICE, getMessage(message::preparingNotice).c_str());
  SetWindowTextW(window, getMessage(message::wizardCaption).c_str());
  SetDlgItemTextW(window, IDCANCEL, getMessage(message::cancelLabel).c_str());
  hosted = HostedWork{window, work};
  workerThread = CreateThread(nullptr, 0, runWorker, &hosted, 0, nullptr);
  if (!workerThread) logError(L"could not start the work thread %d", static_cast<int>(GetLastError()));
  // The template has no WS_VISIBLE: Windows shows such a modal dialog when its loop first
  // runs idle, Wine only at its first timer message. Shown here, it appears on both.
  ShowWindow(window, SW_SHOWNORMAL);
}

} // namespace

void registerDialogClass() {
  WNDCLASSW windowClass{};
  windowClass.style = CS_DBLCLKS | CS_SAVEBITS | CS_BYTEALIGNWINDOW;
  windowClass.lpfnWndProc = DefDlgProcW;
  windowClass.cbWndExtra = DLGWINDOWEXTRA;
  windowClass.hInstance = static_cast<HINSTANCE>(launcherState().instance);
  windowClass.hIcon = LoadIconA(windowClass.hInstance, MAKEINTRESOURCEA(LNX_ICON_LAUNCHER));
  windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kDialogClass;
  RegisterClassW(&windowClass);
}

INT_PTR CALLBACK progressDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) try {
  switch (message) {
  case WM_INITDIALOG:
    initialiseDialog(window, static_cast<DialogWork>(lParam));
    return TRUE;
  case WM_COMMAND:
    if (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL) return FALSE;
    logPrint(L"Canceled installer");
    requestCancel(); // first: a marker the worker sets from now on is refused
    setStartupMarkers(false, true, true);
    EndDialog(window, LOWORD(wParam));
    return TRUE;
  case kWorkDoneMessage:
    EndDialog(window, kWorkDone);
    return TRUE;
  case WM_DESTROY:
    // Boxes shown after the dialog (a dialog that hosted only the download) have no owner:
    // owned by a destroyed window, a box would not be shown at all.
    setErrorOwner(nullptr);
    return FALSE;
  default:
    return FALSE;
  }
} catch (...) {
  failOnEscapedException(L"progress dialog");
}

void runBehindProgressDialog(DialogWork work) {
  INT_PTR result = DialogBoxParamA(static_cast<HINSTANCE>(launcherState().instance),
                                   MAKEINTRESOURCEA(LNX_DIALOG_PROGRESS), nullptr, progressDialogProc,
                                   static_cast<LPARAM>(work));
  KernelHandle worker(workerThread);
  workerThread = nullptr;
  if (result == kWorkDone) return;
  if (result == -1 && !worker.valid()) {
    // No dialog, so no worker either: the same work goes on without a window rather than not
    // at all.
    logError(L"could not show the progress dialog %d", static_cast<int>(GetLastError()));
    runDialogWork(nullptr, work);
    return;
  }
  // Canceled: the worker stops at its next checkpoint, which ends the process; a worker
  // already past them (the Java side is starting) is not waited for.
  if (worker.valid() && !lastCheckpointPassed()) WaitForSingleObject(worker.get(), kCancelWaitMs);
  endCanceledRun();
}

} // namespace lnx
