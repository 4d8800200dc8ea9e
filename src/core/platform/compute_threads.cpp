#include "core/platform/compute_threads.h"

#include <omp.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>

#include <atomic>
#include <chrono>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

namespace orvendi {

namespace {

std::atomic<int> g_threads{0};

// Waiting for another thread: first give way, then, as the wait goes on, sleep a little so that
// a waiting thread does not keep a core from others.
void Wait(int& idle) {
  if (++idle < 64) {
    std::this_thread::yield();
  } else {
    std::this_thread::sleep_for(std::chrono::microseconds(50));
  }
}

}  // namespace

bool SetComputeThreads(int threads) {
  if (threads < 0 || threads > kMaxComputeThreads) return false;
  g_threads.store(threads, std::memory_order_relaxed);
  return true;
}

int ComputeThreadsSetting() { return g_threads.load(std::memory_order_relaxed); }

int ComputeThreads() {
  if (omp_in_parallel()) return 1;
  const int set = ComputeThreadsSetting();
  if (set > 0) return set;
  const int all = omp_get_max_threads();
  return all < 1 ? 1 : all > kMaxComputeThreads ? kMaxComputeThreads : all;
}

bool LowerThreadPriority(int steps) {
  // On Linux a nice value belongs to the thread, and threads started later inherit it.
  const id_t thread = static_cast<id_t>(gettid());
  errno = 0;
  const int now = getpriority(PRIO_PROCESS, thread);
  if (now == -1 && errno != 0) return false;
  return setpriority(PRIO_PROCESS, thread, now + steps) == 0;
}

bool RunInOrder(std::int64_t count, int slots,
                const std::function<void(std::int64_t item, int slot)>& compute,
                const std::function<bool(std::int64_t item, int slot)>& finish,
                const std::function<bool()>& waiting) {
  const int threads = ComputeThreads();
  if (threads == 1 || count <= 1 || slots <= 1) {
    for (std::int64_t item = 0; item < count; ++item) {
      const int slot = static_cast<int>(item % slots);
      compute(item, slot);
      if (!finish(item, slot)) return false;
    }
    return true;
  }

  // The threads claim items in order and never wait for one another at a barrier until the
  // end: a thread the system holds back delays only the items behind its own.
  std::atomic<std::int64_t> next{0};
  std::atomic<std::int64_t> finished{0};
  std::atomic<bool> stop{false};
  // ready[slot] == item + 1 once that item's computation is in the slot.
  const std::unique_ptr<std::atomic<std::int64_t>[]> ready(new std::atomic<std::int64_t>[slots]);
  for (int s = 0; s < slots; ++s) ready[s].store(0, std::memory_order_relaxed);
  bool finished_all = true;
  std::exception_ptr failure;
  std::mutex failure_lock;
  const auto fail = [&] {
    const std::lock_guard<std::mutex> hold(failure_lock);
    if (!failure) failure = std::current_exception();
    stop.store(true);
  };

#pragma omp parallel num_threads(threads)
  {
    const bool caller = omp_get_thread_num() == 0;
    int idle = 0;
    while (!stop.load(std::memory_order_acquire)) {
      if (caller) {
        std::int64_t item = finished.load(std::memory_order_relaxed);
        while (item < count && !stop.load() &&
               ready[item % slots].load(std::memory_order_acquire) == item + 1) {
          bool go_on = false;
          try {
            go_on = finish(item, static_cast<int>(item % slots));
          } catch (...) {
            fail();
          }
          if (!go_on) {
            finished_all = false;
            stop.store(true);
            break;
          }
          finished.store(++item, std::memory_order_release);
          idle = 0;
        }
        if (item == count) stop.store(true);
        if (stop.load()) break;
      }
      bool go_on = true;
      const auto wait = [&] {
        if (caller && waiting) {
          try {
            go_on = waiting();
          } catch (...) {
            fail();
          }
        }
        Wait(idle);
      };
      std::int64_t item = next.load();
      if (item >= count) {
        // All claimed: the other threads leave; this one stays to finish what is still computed.
        if (!caller) break;
        wait();
      } else if (item >= finished.load(std::memory_order_acquire) + slots) {
        wait();
      } else {
        if (!next.compare_exchange_weak(item, item + 1)) continue;
        idle = 0;
        const int slot = static_cast<int>(item % slots);
        try {
          compute(item, slot);
        } catch (...) {
          fail();
        }
        ready[slot].store(item + 1, std::memory_order_release);
        continue;
      }
      if (!go_on) {
        finished_all = false;
        stop.store(true);
      }
    }
  }
  if (failure) std::rethrow_exception(failure);
  return finished_all;
}

}  // namespace orvendi
