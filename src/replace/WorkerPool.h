// TWorkerPool: a fixed set of threads that run jobs in the order they were
// given. A run converts its files on them while its own thread reads the next
// files and applies the finished ones in file order.
//
// Each job learns the index of the worker that runs it (0 .. Workers()-1),
// so it can use things that belong to that worker alone, such as a parser.
// A pool of no workers runs every job at once, inside Submit, as worker 0.
//
// Jobs must not throw. The destructor runs no job that has not started yet,
// waits for the running ones and joins the threads: whatever the jobs write
// into must outlive the pool.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace mirel {

class TWorkerPool {
 public:
  using TJob = std::function<void(int worker)>;

  /// workers threads; 0 runs jobs on the caller's thread.
  explicit TWorkerPool(int workers);
  ~TWorkerPool();
  TWorkerPool(const TWorkerPool&) = delete;
  TWorkerPool& operator=(const TWorkerPool&) = delete;

  /// How many workers the jobs are spread over (at least 1: the caller's
  /// thread when there are no threads).
  int Workers() const { return threads_.empty() ? 1 : static_cast<int>(threads_.size()); }

  /// Queues job and returns its number (0, 1, 2, ... in the order given).
  long long Submit(TJob job);
  /// Waits until job number ticket has run.
  void Wait(long long ticket);

  /// The number of threads a run uses when asked for `requested` (0: one per
  /// processor core): never more than 64, and 0 (no threads) when only one
  /// would run.
  static int ThreadsFor(int requested);

 private:
  void Work(int worker);

  std::mutex mutex_;
  std::condition_variable work_;  // a job was queued, or the pool is closing
  std::condition_variable done_;  // a job has finished
  std::deque<std::pair<long long, TJob>> queue_;
  std::vector<char> finished_;  // by ticket
  bool closing_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace mirel
