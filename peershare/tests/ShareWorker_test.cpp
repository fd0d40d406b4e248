// The share worker's thread: start-up task, the settings fetch repeated
// from a thread timer until it succeeds, its messages, pausing and ending.
#include "share/ShareWorker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace {

bool WaitFor(const std::function<bool()>& condition, DWORD milliseconds = 5000) {
  for (DWORD waited = 0; waited < milliseconds; waited += 10) {
    if (condition()) return true;
    Sleep(10);
  }
  return condition();
}

TEST(ShareWorker, RepeatsTheFetchUntilItSucceedsThenHandlesMessagesUntilTheEnd) {
  ShareWorker worker;
  worker.SetRetryInterval(20);
  std::atomic<int> fetches{0}, started{0}, hashPasses{0}, others{0};
  std::atomic<DWORD> fetchThread{0};
  ShareWorker::Tasks tasks;
  tasks.onStart = [&] { ++started; };
  tasks.fetchSettings = [&] {
    fetchThread = GetCurrentThreadId();
    return ++fetches >= 3;
  };
  tasks.onMessage = [&](const MSG& message) {
    if (message.message == ShareWorker::kRunHashPass) ++hashPasses;
    if (message.message == ShareWorker::kRescan) ++others;
  };
  ASSERT_TRUE(worker.Start(tasks));
  EXPECT_FALSE(worker.Start(tasks));  // one thread at a time
  ASSERT_TRUE(WaitFor([&] { return fetches == 3 && hashPasses == 1; }));
  Sleep(100);  // the timer is gone once a fetch succeeded
  EXPECT_EQ(fetches, 3);
  EXPECT_EQ(started, 1);
  EXPECT_EQ(fetchThread, worker.ThreadId());
  EXPECT_NE(fetchThread, GetCurrentThreadId());

  ASSERT_TRUE(worker.Post(ShareWorker::kRescan));
  ASSERT_TRUE(WaitFor([&] { return others == 1; }));
  EXPECT_TRUE(worker.Stop());
  EXPECT_FALSE(worker.Running());
  EXPECT_FALSE(worker.Post(ShareWorker::kRescan));
}

TEST(ShareWorker, ASuspendedWorkerWaitsBetweenMessagesAndStillStops) {
  ShareWorker worker;
  std::atomic<int> handled{0};
  ShareWorker::Tasks tasks;
  tasks.onMessage = [&](const MSG& message) {
    if (message.message == ShareWorker::kRescan) ++handled;
  };
  ASSERT_TRUE(worker.Start(tasks));
  worker.Suspend();
  ASSERT_TRUE(worker.Post(ShareWorker::kRescan));
  Sleep(200);
  EXPECT_EQ(handled, 0);
  worker.Resume();
  ASSERT_TRUE(WaitFor([&] { return handled == 1; }));

  worker.Suspend();
  ASSERT_TRUE(worker.Post(ShareWorker::kRescan));
  DWORD start = GetTickCount();
  EXPECT_TRUE(worker.Stop());
  EXPECT_LT(GetTickCount() - start, 2000u);
  EXPECT_EQ(handled, 1);
}

TEST(ShareWorker, AFetchStillRunningSeesTheStopEvent) {
  ShareWorker worker;
  std::atomic<bool> sawStop{false};
  ShareWorker::Tasks tasks;
  tasks.fetchSettings = [&] {
    sawStop = WaitForSingleObject(worker.StopEvent(), 5000) == WAIT_OBJECT_0;
    return false;
  };
  ASSERT_TRUE(worker.Start(tasks));
  Sleep(50);
  DWORD start = GetTickCount();
  EXPECT_TRUE(worker.Stop());
  EXPECT_LT(GetTickCount() - start, 2000u);
  EXPECT_TRUE(sawStop);
}

}  // namespace
