// The main loop on the virtual clock: messages before frames, the measured frame time, the end
// of the loop on WM_QUIT, and timers and synchronous sends through the real message queue.
#include <gtest/gtest.h>

#include <vector>

#include "app/frame_clock.h"
#include "app/win_main.h"
#include "platform/hooks/clock.h"
#include "platform/hooks/window.h"
#include "tests/support/test_window.h"

namespace {

struct Seen {
  UINT message;
  WPARAM wParam;
  long long atTicks;  // virtual clock when the procedure saw it
};

std::vector<Seen> seen;
std::vector<float> frames;
int framesBeforeQuit = 3;
HWND window = nullptr;
UINT chainLength = 0;  // WM_USER messages still to post from inside the procedure

LRESULT CALLBACK recordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  seen.push_back({message, wParam, clockNow()});
  if (message == WM_USER && chainLength > 0) {
    --chainLength;
    PostMessageA(hwnd, WM_USER, wParam + 1, 0);
  }
  if (message == WM_USER + 1) {
    const LRESULT answer = SendMessageA(hwnd, WM_USER + 2, 0, 0);
    seen.push_back(
        {WM_USER + 3, static_cast<WPARAM>(answer), clockNow()});  // after the send returned
    return 0;
  }
  if (message == WM_USER + 2) return 42;
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

bool counterReadJustBeforeFrame =
    true;  // the counter was read after the sleep, right before each frame

void recordFrame(float seconds) {
  counterReadJustBeforeFrame &= frameClock.lastCounter == clockNow();
  frames.push_back(seconds);
  seen.push_back({WM_NULL, frames.size(), clockNow()});  // marks where the frame ran
  if (static_cast<int>(frames.size()) == framesBeforeQuit) PostQuitMessage(0);
}

class MainLoop : public ::testing::Test {
 protected:
  void SetUp() override {
    useVirtualClock();
    window = createTestWindow("LoopTest", recordingProc, 640, 480);
    ASSERT_NE(window, nullptr);
    seen.clear();
    frames.clear();
    framesBeforeQuit = 3;
    chainLength = 0;
    counterReadJustBeforeFrame = true;
    frameClock = {};
    initFrameClock();
  }
  void TearDown() override {
    DestroyWindow(window);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    useRealClock();
  }
};

TEST_F(MainLoop, FirstFrameGetsZeroAndLaterFramesIncludeTheSleep) {
  framesBeforeQuit = 3;
  EXPECT_EQ(runMainLoop(recordFrame), 0);
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[0], 0.0f);
  // Nothing but the 10 ms sleep passes between frames on the virtual clock: the sleep comes
  // before the counter is read, so it is part of the measured time.
  EXPECT_FLOAT_EQ(frames[1], 0.010f);
  EXPECT_FLOAT_EQ(frames[2], 0.010f);
  EXPECT_EQ(frameClock.lastCounter, virtualClockStart + 3 * clockTicksPerSecond / 100);
  EXPECT_TRUE(counterReadJustBeforeFrame);
}

TEST_F(MainLoop, TimeSpentInAFrameCountsTowardsTheNext) {
  framesBeforeQuit = 2;
  auto slowFrame = [](float seconds) {
    advanceVirtualClock(25'000'000);  // the frame itself takes 25 ms
    recordFrame(seconds);
  };
  runMainLoop(slowFrame);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_FLOAT_EQ(frames[1], 0.035f);
}

TEST_F(MainLoop, EveryWaitingMessageIsDispatchedBeforeAFrame) {
  framesBeforeQuit = 1;
  PostMessageA(window, WM_USER, 0, 0);
  PostMessageA(window, WM_USER + 10, 0, 0);
  chainLength = 3;  // the first WM_USER posts three more, one after another
  runMainLoop(recordFrame);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back().message, static_cast<UINT>(WM_NULL))
      << "a frame ran while messages were waiting";
  int users = 0;
  for (const Seen& entry : seen) users += entry.message == WM_USER;
  EXPECT_EQ(users, 4);
  EXPECT_EQ(frames.size(), 1u);
}

TEST_F(MainLoop, SendMessageRunsTheProcedureAtOncePostMessageLater) {
  framesBeforeQuit = 1;
  PostMessageA(window, WM_USER + 1, 0, 0);
  EXPECT_TRUE(seen.empty()) << "a posted message ran before it was dispatched";
  runMainLoop(recordFrame);
  ASSERT_GE(seen.size(), 3u);
  EXPECT_EQ(seen[0].message, static_cast<UINT>(WM_USER + 1));
  EXPECT_EQ(seen[1].message, static_cast<UINT>(WM_USER + 2));  // inside the first one's handling
  EXPECT_EQ(seen[2].message, static_cast<UINT>(WM_USER + 3));
  EXPECT_EQ(seen[2].wParam, 42u) << "SendMessageA did not return the procedure's result";
}

TEST_F(MainLoop, QuitEndsTheLoopWithItsCodeBeforeAnotherFrame) {
  framesBeforeQuit = 1000;
  auto quitFrame = [](float seconds) {
    recordFrame(seconds);
    PostQuitMessage(-1);
  };
  EXPECT_EQ(runMainLoop(quitFrame), -1);
  EXPECT_EQ(frames.size(), 1u);
}

TEST_F(MainLoop, ClosingTheWindowDestroysItAndEndsTheLoop) {
  framesBeforeQuit = 1000;
  auto closeOnFirstFrame = [](float seconds) {
    recordFrame(seconds);
    if (frames.size() == 1) PostMessageA(window, WM_CLOSE, 0, 0);
  };
  // WM_DESTROY of the recording procedure goes to DefWindowProcA, which does not quit; quit here.
  auto quitOnDestroy = [](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return recordingProc(hwnd, message, wParam, lParam);
  };
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+quitOnDestroy));
  EXPECT_EQ(runMainLoop(closeOnFirstFrame), 0);
  EXPECT_EQ(frames.size(), 1u);
  EXPECT_FALSE(IsWindow(window));
  bool destroyed = false;
  for (const Seen& entry : seen) destroyed |= entry.message == WM_DESTROY;
  EXPECT_TRUE(destroyed);
}

TEST_F(MainLoop, TimerFiresThroughPeekMessageWhenDueAndStopsWhenKilled) {
  framesBeforeQuit = 120;  // 1.2 s of 10 ms frames
  ASSERT_NE(SetTimer(window, 7, 500, nullptr), 0u);
  const long long start = clockNow();
  runMainLoop(recordFrame);
  std::vector<long long> firings;
  for (const Seen& entry : seen) {
    if (entry.message == WM_TIMER) {
      EXPECT_EQ(entry.wParam, 7u);
      firings.push_back(entry.atTicks - start);
    }
  }
  ASSERT_EQ(firings.size(), 2u) << "a 500 ms timer should fire twice in 1.2 s";
  EXPECT_GE(firings[0], 500'000'000);
  EXPECT_LT(firings[0], 510'000'000);
  EXPECT_GE(firings[1] - firings[0], 500'000'000);

  KillTimer(window, 7);
  seen.clear();
  frames.clear();
  framesBeforeQuit = 60;
  runMainLoop(recordFrame);
  for (const Seen& entry : seen) EXPECT_NE(entry.message, static_cast<UINT>(WM_TIMER));
}

}  // namespace
