#pragma once
// A modal dialog of the test's thread, played from a second thread: the test thread stays in
// the dialog's own loop (answering its hooks) while the player presses keys and watches.
#include <windows.h>

#include <functional>
#include <thread>

#include "support/message_pump.h"

namespace testing_support {

inline constexpr double kPlayerPatienceMs = 10000;

// Waits until `done` holds; false after the patience. For threads without windows.
inline bool PollUntil(const std::function<bool()>& done) {
    const double deadline = NowMs() + kPlayerPatienceMs;
    while (!done()) {
        if (NowMs() >= deadline) {
            return false;
        }
        Sleep(5);
    }
    return true;
}

// Makes `window` the foreground window and waits until it is.
inline bool BringToFront(HWND window) {
    SetForegroundWindow(window);
    return PollUntil([&] { return GetForegroundWindow() == window; });
}

inline void TapKey(BYTE vk, ULONG_PTR extraInfo = 0) {
    keybd_event(vk, 0, 0, extraInfo);
    keybd_event(vk, 0, KEYEVENTF_KEYUP, extraInfo);
}

// Runs `play` on a thread of its own once the dialog titled `title` is up and in front,
// with its window; a dialog still open after the play is cancelled, so the test never
// hangs in its loop. Joined by the destructor.
class DialogPlayer {
  public:
    DialogPlayer(const wchar_t* title, std::function<void(HWND dialog)> play)
        : thread_([title, play] {
              HWND dialog = nullptr;
              PollUntil([&] {
                  dialog = FindWindowW(L"#32770", title);
                  return dialog && IsWindowVisible(dialog);
              });
              if (dialog && BringToFront(dialog)) {
                  play(dialog);
              }
              if (dialog && IsWindow(dialog)) {
                  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
              }
          }) {}
    ~DialogPlayer() { thread_.join(); }
    DialogPlayer(const DialogPlayer&) = delete;
    DialogPlayer& operator=(const DialogPlayer&) = delete;

  private:
    std::thread thread_;
};

}  // namespace testing_support
