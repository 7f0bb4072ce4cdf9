// parallelFor(tasks, f): f(0) ... f(tasks - 1), spread over the machine's cores.
#include "model/tomo/Parallel.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace lumo::tomo {

namespace {

class Pool {
 public:
  explicit Pool(int lanes) : lanes_(lanes) {
    for (int i = 1; i < lanes_; ++i) workers_.emplace_back([this] { work(); });
  }
  ~Pool() {
    {
      std::lock_guard<std::mutex> lock(m_);
      stop_ = true;
    }
    wake_.notify_all();
    for (auto& t : workers_) t.join();
  }
  int lanes() const { return lanes_; }

  void run(int tasks, const std::function<void(int)>& f) {
    // A task that calls parallelFor itself runs the inner tasks on its own thread (the pool is
    // busy with the outer job, whose lock this thread may hold).
    if (insideJob() || workers_.empty() || tasks <= 1) {
      for (int i = 0; i < tasks; ++i) f(i);
      return;
    }
    std::unique_lock<std::mutex> busy(busy_, std::try_to_lock);
    if (!busy.owns_lock()) {
      for (int i = 0; i < tasks; ++i) f(i);
      return;
    }
    {
      std::lock_guard<std::mutex> lock(m_);
      job_ = &f;
      tasks_ = tasks;
      next_.store(0);
      finished_ = 0;
      ++generation_;
    }
    wake_.notify_all();
    take(f, tasks);
    std::unique_lock<std::mutex> lock(m_);
    done_.wait(lock, [this] { return finished_ == static_cast<int>(workers_.size()); });
    job_ = nullptr;
  }

 private:
  static bool& insideJob() {
    thread_local bool inside = false;
    return inside;
  }
  void take(const std::function<void(int)>& f, int tasks) {
    insideJob() = true;
    for (int i = next_.fetch_add(1); i < tasks; i = next_.fetch_add(1)) f(i);
    insideJob() = false;
  }
  void work() {
    std::uint64_t seen = 0;
    for (;;) {
      const std::function<void(int)>* f;
      int tasks;
      {
        std::unique_lock<std::mutex> lock(m_);
        wake_.wait(lock, [&] { return stop_ || generation_ != seen; });
        if (stop_) return;
        seen = generation_;
        f = job_;
        tasks = tasks_;
      }
      take(*f, tasks);
      {
        std::lock_guard<std::mutex> lock(m_);
        ++finished_;
      }
      done_.notify_one();
    }
  }

  int lanes_;
  std::vector<std::thread> workers_;
  std::mutex busy_, m_;
  std::condition_variable wake_, done_;
  const std::function<void(int)>* job_ = nullptr;
  int tasks_ = 0, finished_ = 0;
  std::atomic<int> next_{0};
  std::uint64_t generation_ = 0;
  bool stop_ = false;
};

int machineLanes() {
  const unsigned hw = std::thread::hardware_concurrency();
  return std::clamp(static_cast<int>(hw == 0 ? 1 : hw), 1, 8);
}

Pool& pool() {
  static Pool p(machineLanes());
  return p;
}

}  // namespace

int parallelLanes() { return pool().lanes(); }

void parallelFor(int tasks, const std::function<void(int)>& f) {
  if (tasks <= 0) return;
  pool().run(tasks, f);
}

}  // namespace lumo::tomo
