#include "agent/failure_queue.h"

#include <algorithm>

namespace kestrel {

bool FailureQueue::Add(const std::wstring& text) {
    const bool known = (open_ && text == shown_) ||
                       std::find(waiting_.begin(), waiting_.end(), text) != waiting_.end();
    if (!known) {
        if (waiting_.size() < kMaxWaiting) {
            waiting_.push_back(text);
        } else {
            ++uncounted_;
        }
    }
    if (open_) {
        return false;
    }
    open_ = true;
    return true;
}

bool FailureQueue::Next(std::wstring* text) {
    if (waiting_.empty()) {
        open_ = false;
        shown_.clear();
        return false;
    }
    shown_ = waiting_.front();
    waiting_.pop_front();
    *text = shown_;
    if (waiting_.empty() && uncounted_ > 0) {
        *text +=
            L"\n\nほかに" + std::to_wstring(uncounted_) + L"件のプログラムも起動できませんでした。";
        uncounted_ = 0;
    }
    return true;
}

void FailureQueue::Abandon() {
    waiting_.clear();
    shown_.clear();
    uncounted_ = 0;
    open_ = false;
}

}  // namespace kestrel
