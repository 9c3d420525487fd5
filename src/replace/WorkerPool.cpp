#include "replace/WorkerPool.h"

#include <algorithm>

#include "rtl/SysUtils.h"

namespace mirel {

TWorkerPool::TWorkerPool(int workers) {
  try {
    for (int i = 0; i < workers; ++i) threads_.emplace_back([this, i] { Work(i); });
  } catch (...) {
    // No more threads to be had: the ones started do the work.
    if (threads_.empty()) throw;
  }
}

TWorkerPool::~TWorkerPool() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
    queue_.clear();
  }
  work_.notify_all();
  for (std::thread& t : threads_) t.join();
}

long long TWorkerPool::Submit(TJob job) {
  std::unique_lock<std::mutex> lock(mutex_);
  const long long ticket = static_cast<long long>(finished_.size());
  finished_.push_back(0);
  if (threads_.empty()) {
    lock.unlock();
    job(0);
    lock.lock();
    finished_[static_cast<size_t>(ticket)] = 1;
    return ticket;
  }
  queue_.emplace_back(ticket, std::move(job));
  lock.unlock();
  work_.notify_one();
  return ticket;
}

void TWorkerPool::Wait(long long ticket) {
  std::unique_lock<std::mutex> lock(mutex_);
  MIREL_ASSERT(ticket >= 0 && ticket < static_cast<long long>(finished_.size()));
  done_.wait(lock, [&] { return finished_[static_cast<size_t>(ticket)] != 0; });
}

void TWorkerPool::Work(int worker) {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    work_.wait(lock, [&] { return closing_ || !queue_.empty(); });
    if (closing_) return;
    auto [ticket, job] = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    job(worker);
    lock.lock();
    finished_[static_cast<size_t>(ticket)] = 1;
    done_.notify_all();
  }
}

int TWorkerPool::ThreadsFor(int requested) {
  int n = requested > 0 ? requested : static_cast<int>(std::thread::hardware_concurrency());
  n = std::min(n, 64);
  return n > 1 ? n : 0;
}

}  // namespace mirel
