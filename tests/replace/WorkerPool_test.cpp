#include "replace/WorkerPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <vector>

namespace mirel {
namespace {

TEST(WorkerPoolTest, JobsRunOnTheirWorkerAndWaitSeesThemDone) {
  TWorkerPool pool(3);
  ASSERT_EQ(3, pool.Workers());
  std::vector<int> worker(200, -1);
  std::vector<long long> tickets;
  for (int i = 0; i < 200; ++i)
    tickets.push_back(pool.Submit([&worker, i](int w) { worker[static_cast<size_t>(i)] = w; }));
  for (int i = 0; i < 200; ++i) {
    EXPECT_EQ(i, tickets[static_cast<size_t>(i)]);
    pool.Wait(tickets[static_cast<size_t>(i)]);
    EXPECT_GE(worker[static_cast<size_t>(i)], 0);
    EXPECT_LT(worker[static_cast<size_t>(i)], 3);
  }
}

TEST(WorkerPoolTest, WithoutThreadsJobsRunInsideSubmit) {
  TWorkerPool pool(0);
  EXPECT_EQ(1, pool.Workers());
  int ran = -1;
  pool.Wait(pool.Submit([&](int w) { ran = w; }));
  EXPECT_EQ(0, ran);
  EXPECT_EQ(0, TWorkerPool::ThreadsFor(1));
  EXPECT_EQ(4, TWorkerPool::ThreadsFor(4));
  EXPECT_EQ(64, TWorkerPool::ThreadsFor(1000));
}

// A run that stops early destroys its pool with files still queued: they
// must not run against state that is going away.
TEST(WorkerPoolTest, ClosingWaitsForRunningJobsAndDropsQueuedOnes) {
  std::atomic<int> ran{0};
  std::atomic<bool> started{false};
  {
    TWorkerPool pool(1);
    pool.Submit([&](int) {
      started = true;
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      ++ran;
    });
    for (int i = 0; i < 10; ++i) pool.Submit([&](int) { ++ran; });
    while (!started) std::this_thread::yield();
  }
  EXPECT_EQ(1, ran.load());
}

}  // namespace
}  // namespace mirel
