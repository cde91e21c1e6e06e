#include "late_window.h"

namespace standin {

namespace {

const wchar_t kWindowClass[] = L"LnxStandinJavaWindow";

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HINSTANCE ownModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&windowProcedure), &module);
  return module;
}

} // namespace

LateWindow::LateWindow(unsigned long delayMs, unsigned long keepShownMs, std::function<void(bool shown)> onShown)
    : delayMs_(delayMs), keepShownMs_(keepShownMs), onShown_(std::move(onShown)) {
  settled_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  thread_ = CreateThread(nullptr, 0, &LateWindow::run, this, 0, nullptr);
  if (!thread_)
    SetEvent(settled_);
}

std::optional<unsigned long long> LateWindow::close() {
  if (closed_)
    return std::nullopt;
  closed_ = true;
  // The thread's end counts too: it may have failed before settling.
  HANDLE settledOrEnded[] = {settled_, thread_};
  WaitForMultipleObjects(thread_ ? 2 : 1, settledOrEnded, FALSE, INFINITE);
  std::optional<unsigned long long> shownMs;
  if (window_) {
    // The window thread keeps pumping messages meanwhile: the window stays responsive.
    ULONGLONG shownSoFar = GetTickCount64() - shownAt_;
    if (shownSoFar < keepShownMs_)
      Sleep(static_cast<DWORD>(keepShownMs_ - shownSoFar));
    shownMs = GetTickCount64() - shownAt_;
    PostMessageW(window_, WM_CLOSE, 0, 0);
  }
  if (thread_) {
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
  }
  return shownMs;
}

LateWindow::~LateWindow() {
  close();
  CloseHandle(settled_);
}

DWORD WINAPI LateWindow::run(void* self) {
  try {
    static_cast<LateWindow*>(self)->show();
  } catch (...) {
    // Only the report callback can throw; the window is then simply not recorded.
  }
  return 0;
}

void LateWindow::show() {
  Sleep(delayMs_);
  HINSTANCE module = ownModule();
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = windowProcedure;
  windowClass.hInstance = module;
  windowClass.lpszClassName = kWindowClass;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassW(&windowClass); // fails harmlessly when registered by an earlier window
  HWND window = CreateWindowExW(0, kWindowClass, kTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT,
                                CW_USEDEFAULT, 400, 300, nullptr, nullptr, module, nullptr);
  if (window)
    UpdateWindow(window);
  shownAt_ = GetTickCount64();
  onShown_(window != nullptr);
  window_ = window;
  SetEvent(settled_);
  MSG message;
  while (window && GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

} // namespace standin
