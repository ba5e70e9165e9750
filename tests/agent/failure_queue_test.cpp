#include "agent/failure_queue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using kestrel::FailureQueue;

namespace {

// Every box the queue fills until it closes, the first included.
std::vector<std::wstring> Boxes(FailureQueue& queue) {
    std::vector<std::wstring> boxes;
    std::wstring text;
    while (queue.Next(&text)) {
        boxes.push_back(text);
    }
    return boxes;
}

TEST(FailureQueueTest, FailuresWhileABoxIsOpenAreShownAfterItInTurn) {
    FailureQueue queue;
    EXPECT_TRUE(queue.Add(L"a")) << "no box yet: open one";
    std::wstring text;
    ASSERT_TRUE(queue.Next(&text));
    EXPECT_EQ(text, L"a");

    EXPECT_FALSE(queue.Add(L"b")) << "the open box takes it later";
    EXPECT_FALSE(queue.Add(L"c"));
    EXPECT_EQ(Boxes(queue), (std::vector<std::wstring>{L"b", L"c"}));

    EXPECT_TRUE(queue.Add(L"d")) << "closed: the next failure opens a box again";
}

TEST(FailureQueueTest, TheSameFailureAgainAddsNoBox) {
    FailureQueue queue;
    queue.Add(L"a");
    std::wstring text;
    queue.Next(&text);
    EXPECT_FALSE(queue.Add(L"a")) << "shown now";
    queue.Add(L"b");
    queue.Add(L"b");
    EXPECT_EQ(Boxes(queue), (std::vector<std::wstring>{L"b"}));
}

TEST(FailureQueueTest, BeyondAFewWaitingTheRestAreCountedInTheLastBox) {
    FailureQueue queue;
    queue.Add(L"first");
    std::wstring text;
    queue.Next(&text);
    for (const wchar_t* failure : {L"1", L"2", L"3", L"4", L"5", L"4"}) {
        queue.Add(failure);
    }
    const std::vector<std::wstring> boxes = Boxes(queue);
    ASSERT_EQ(boxes.size(), FailureQueue::kMaxWaiting);
    EXPECT_EQ(boxes[0], L"1");
    EXPECT_EQ(boxes[1], L"2");
    EXPECT_EQ(boxes[2], L"3\n\nほかに3件のプログラムも起動できませんでした。");

    queue.Add(L"6");
    EXPECT_EQ(Boxes(queue), (std::vector<std::wstring>{L"6"})) << "the count starts again";
}

TEST(FailureQueueTest, AnAbandonedBoxLetsEverythingGo) {
    FailureQueue queue;
    queue.Add(L"a");
    queue.Abandon();
    EXPECT_TRUE(queue.Add(L"b"));
    EXPECT_EQ(Boxes(queue), (std::vector<std::wstring>{L"b"}));
}

}  // namespace
