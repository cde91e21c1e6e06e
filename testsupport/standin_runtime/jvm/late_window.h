#pragma once
// The first window of the Java side, shown some time after main returned, as an
// installer's window appears once its start-up work is done. The launcher's progress
// window waits for a second visible window of its process; DestroyJavaVM waits for this
// one to be shown and then closes it, as a VM waits for the last Java thread.
#include <functional>
#include <optional>

#include <windows.h>

namespace standin {

class LateWindow {
public:
  // Starts the thread that shows the window after delayMs; onShown(true) runs on that
  // thread once it is visible, onShown(false) if it could not be created.
  LateWindow(unsigned long delayMs, unsigned long keepShownMs, std::function<void(bool shown)> onShown);
  // Waits until the window has been shown (or has failed) and, once shown, until it has
  // been up for keepShownMs; then closes it and waits for its thread. Returns how long it
  // was shown in ms, nothing when it never was. Only the first call waits.
  std::optional<unsigned long long> close();
  // Closes the window as close() does, unless that was done.
  ~LateWindow();
  LateWindow(const LateWindow&) = delete;
  LateWindow& operator=(const LateWindow&) = delete;

  static constexpr wchar_t kTitle[] = L"Stand-in Java window";

private:
  static DWORD WINAPI run(void* self);
  void show();

  unsigned long delayMs_;
  unsigned long keepShownMs_;
  std::function<void(bool)> onShown_;
  HANDLE settled_ = nullptr; // set once the window is up or has failed
  HWND window_ = nullptr;    // written before settled_ is set
  ULONGLONG shownAt_ = 0;    // tick count when it was shown, likewise
  HANDLE thread_ = nullptr;
  bool closed_ = false;
};

} // namespace standin
