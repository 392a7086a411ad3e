// The wait of a router request on Win32: woken by the worker, dispatching meanwhile, giving up
// only when idle, and leaving a quit message to the main loop.
#include "ui/win32/message_pump.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <thread>

#include "tests/support/pause.h"

namespace routerdesk::win32 {
namespace {

using namespace std::chrono_literals;

constexpr UINT kProbe = WM_APP + 1;

// A thread message posted to the waiting thread's own queue, as a timer tick or a click would be.
void postProbe(DWORD thread, WPARAM value) {
    PostThreadMessageW(thread, kProbe, value, 0);
}

bool takeProbe(WPARAM& value) {
    MSG message;
    if (!PeekMessageW(&message, nullptr, kProbe, kProbe, PM_REMOVE)) {
        return false;
    }
    if (message.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(message.wParam));  // every filter lets a quit through
        return false;
    }
    value = message.wParam;
    return true;
}

class MessagePumpTest : public ::testing::Test {
  protected:
    void SetUp() override {
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // makes this thread's queue
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    DWORD self_ = GetCurrentThreadId();
};

TEST_F(MessagePumpTest, WorkerEndingWakesTheWaitAtOnce) {
    Completion job;
    std::thread worker([&] {
        routerdesk::testing::pauseFor(100ms);
        job.markDone();
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(waitWhileDispatching(job, 10s));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    worker.join();
}

TEST_F(MessagePumpTest, GivesUpAfterTheIdleLimitWithoutWorkOrMessages) {
    Completion job;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(waitWhileDispatching(job, 300ms));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 290ms);
    EXPECT_LT(waited, 5s);
    // The worker may end later: its wake-up must no longer reach the closed event.
    job.markDone();
}

TEST_F(MessagePumpTest, MessagesArrivingKeepTheWaitAliveAndAreDispatched) {
    Completion job;
    // A thread message has no window to go to; dispatching takes it from the queue all the same.
    std::thread sender([&, target = self_] {
        for (WPARAM i = 0; i < 6; ++i) {
            routerdesk::testing::pauseFor(100ms);
            postProbe(target, i);
        }
        job.markDone();
    });
    // Six messages 100 ms apart outlast an idle limit of 250 ms only when each one resets it.
    EXPECT_TRUE(waitWhileDispatching(job, 250ms));
    sender.join();
    WPARAM left = 0;
    EXPECT_FALSE(takeProbe(left)) << "a message was left in the queue: " << left;
}

TEST_F(MessagePumpTest, QuitIsLeftForTheMainLoop) {
    Completion job;
    PostQuitMessage(7);
    EXPECT_FALSE(waitWhileDispatching(job, 5s));  // stops waiting, the job never ended
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 7u);
}

TEST_F(MessagePumpTest, DispatchingWhatWaitsLeavesQuitInTheQueue) {
    postProbe(self_, 1);
    postProbe(self_, 2);
    PostQuitMessage(3);
    EXPECT_TRUE(dispatchWaitingMessages());
    WPARAM left = 0;
    EXPECT_FALSE(takeProbe(left));
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 3u);
}

}  // namespace
}  // namespace routerdesk::win32
