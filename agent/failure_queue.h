#pragma once
// The program-start failures waiting for the one box that tells them, one after another.
// A failure that comes while a box is open is kept for later, not lost; a button pressed
// again on the same program adds nothing, and beyond a few waiting the rest are only
// counted and named by number in the last box.
#include <deque>
#include <string>

namespace kestrel {

class FailureQueue {
  public:
    static constexpr size_t kMaxWaiting = 3;

    // Adds the text of a failure. True when no box is open: the caller opens one, which
    // takes its texts with Next.
    bool Add(const std::wstring& text);
    // The text of the next box, or false (and no box open any more) when none waits.
    bool Next(std::wstring* text);
    // A box could not be opened: everything waiting is let go.
    void Abandon();

  private:
    std::deque<std::wstring> waiting_;
    std::wstring shown_;
    size_t uncounted_ = 0;  // failures beyond kMaxWaiting, not kept
    bool open_ = false;
};

}  // namespace kestrel
