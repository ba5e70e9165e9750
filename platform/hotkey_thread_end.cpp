// The end of the hook thread. A back or forward press that the hook swallowed must not end
// as a lone release in a program, which takes it for a step back or forward; so while such
// a button is held the hook stays after the last registration has gone, for a while, and
// so does the program that ends meanwhile.
#include "platform/hotkey_layer.h"

namespace platform {
namespace layer {

bool endWhenSettled = false;
bool endingProgram = false;
bool threadEnded = false;
bool mouseRetrying = false;

namespace {

bool endWaitOver = false;  // hook thread

}  // namespace

void LetHookThreadEnd() {
    if (!hookThread) {
        return;
    }
    bool now = false;
    {
        std::lock_guard<std::mutex> lock(dataLock);
        if (matcher.Count() != 0) {
            return;
        }
        now = !matcher.OwesMouseRelease() && !mouseRetrying;
        endWhenSettled = !now;
    }
    if (now) {
        StopHookThread();
    } else {
        PostMessageW(hookWindow, kMsgEndCheck, 0, 0);
    }
}

// The wait answers the hooks all along, on the hook thread; this thread only waits for it
// to end.
void EndHookThreadAtExit() {
    if (!hookThread) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(dataLock);
        endWhenSettled = endingProgram = true;
    }
    if (PostMessageW(hookWindow, kMsgEndCheck, 0, 0)) {
        WaitForSingleObject(hookThread, kOwedReleaseWaitMs + 1000);
    }
    StopHookThread();
}

void StartEndWait() {
    endWaitOver = false;
    SetTimer(threadWindow, kEndTimer, kOwedReleaseWaitMs, nullptr);
    CheckEnd();
}

void OnEndTimer() {
    KillTimer(threadWindow, kEndTimer);
    endWaitOver = true;
    CheckEnd();
}

// Decided under the lock, so that a registration that comes meanwhile either keeps the
// thread or finds it ended and starts another.
void CheckEnd() {
    bool end = false;
    {
        std::lock_guard<std::mutex> lock(dataLock);
        end = endWhenSettled && (endingProgram || matcher.Count() == 0) &&
              (endWaitOver || !matcher.OwesMouseRelease()) && (endingProgram || !mouseRetrying);
        threadEnded = end;
    }
    if (end) {
        DestroyWindow(threadWindow);
    }
}

}  // namespace layer

namespace test_access {

void EndAsTheProgramEnds() {
    layer::EndHookThreadAtExit();
}

}  // namespace test_access

}  // namespace platform
