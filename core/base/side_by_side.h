// The side thread: runs two jobs side by side, the second one on a thread kept for the run.
#pragma once

#include <exception>
#include <future>
#include <system_error>

namespace kelmoa {

// The one thread that runs the second of two jobs side by side. It is started on first use and
// kept for the life of the process: starting a thread for every pair would cost some 40
// microseconds, several times in every text opened.
class SideThread {
 public:
  // The thread of this process, or nullptr when none can be started.
  static SideThread* Get();

  // Starts job(arg) on the thread; false when it is busy with another caller's job.
  bool TryStart(void (*job)(void*), void* arg);
  // Waits for the job started last and passes on its exception.
  void Wait();

  struct State;
  explicit SideThread(State* state) : mState(state) {}

 private:
  State* mState;
};

// Runs first on this thread and second beside it on another when both is true (one after the
// other otherwise, or when no thread can be started), and returns once both are done. An
// exception of either is passed on. The two must not touch the same data.
template <typename First, typename Second>
void RunSideBySide(bool both, First first, Second second) {
  if (!both) {
    first();
    second();
    return;
  }
  SideThread* const side = SideThread::Get();
  if (side != nullptr &&
      side->TryStart([](void* job) { (*static_cast<Second*>(job))(); }, &second)) {
    try {
      first();
    } catch (...) {
      try {
        side->Wait();
      } catch (...) {  // the first exception is the one passed on
      }
      throw;
    }
    side->Wait();
    return;
  }
  // The side thread is busy (a call from another thread) or cannot be started: a thread of
  // its own for this pair.
  std::future<void> other;
  try {
    other = std::async(std::launch::async, second);
  } catch (const std::system_error&) {
    first();
    second();
    return;
  }
  first();
  other.get();
}

}  // namespace kelmoa
