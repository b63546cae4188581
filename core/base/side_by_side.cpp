// The side thread that runs the second of two jobs while the caller runs the first.
#include "core/base/side_by_side.h"

#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kelmoa {

namespace {

void Pause() {
#if defined(__SSE2__)
  _mm_pause();
#endif
}

}  // namespace

struct SideThread::State {
  std::mutex mutex;
  std::condition_variable wake;      // a job was posted, or the thread must end
  std::condition_variable finished;  // the job is done
  std::atomic<bool> busy{false};     // a caller owns the thread
  std::atomic<int> phase{0};         // 0 idle, 1 job posted, 2 job done
  bool stop = false;
  void (*job)(void*) = nullptr;
  void* arg = nullptr;
  std::exception_ptr error;
  std::thread thread;

  void Loop() {
    for (;;) {
      if (!AwaitJob())
        return;
      try {
        job(arg);
      } catch (...) {
        error = std::current_exception();
      }
      {
        const std::lock_guard<std::mutex> lock(mutex);
        phase.store(2, std::memory_order_release);
      }
      finished.notify_one();
    }
  }

  // A text is opened in several steps run side by side in quick succession: the thread looks
  // for the next job for a short while before it sleeps.
  bool AwaitJob() {
    for (int i = 0; i < 20000; ++i) {
      if (phase.load(std::memory_order_acquire) == 1)
        return true;
      Pause();
    }
    std::unique_lock<std::mutex> lock(mutex);
    wake.wait(lock, [&] { return stop || phase.load(std::memory_order_relaxed) == 1; });
    return !stop;
  }
};

SideThread* SideThread::Get() {
  // The thread does not follow the process into a child made by fork: a child starts one of
  // its own.
  struct Holder {
    pid_t pid = 0;
    std::unique_ptr<State> state;
    std::unique_ptr<SideThread> side;
    ~Holder() {
      if (state == nullptr || pid != ::getpid())
        return;
      {
        const std::lock_guard<std::mutex> lock(state->mutex);
        state->stop = true;
      }
      state->wake.notify_one();
      state->thread.join();
    }
  };
  static Holder holder;
  static std::mutex startMutex;
  const std::lock_guard<std::mutex> lock(startMutex);
  const pid_t pid = ::getpid();
  if (holder.state != nullptr && holder.pid == pid)
    return holder.side.get();
  if (holder.state != nullptr) {
    // Left over from the parent: its thread does not exist here, so it is not joined.
    (void)holder.state.release();
  }
  auto state = std::make_unique<State>();
  try {
    state->thread = std::thread([s = state.get()] { s->Loop(); });
  } catch (const std::system_error&) {
    holder.state.reset();
    return nullptr;
  }
  holder.pid = pid;
  holder.state = std::move(state);
  holder.side = std::make_unique<SideThread>(holder.state.get());
  return holder.side.get();
}

bool SideThread::TryStart(void (*job)(void*), void* arg) {
  if (mState->busy.exchange(true, std::memory_order_acquire))
    return false;
  {
    const std::lock_guard<std::mutex> lock(mState->mutex);
    mState->job = job;
    mState->arg = arg;
    mState->error = nullptr;
    mState->phase.store(1, std::memory_order_release);
  }
  mState->wake.notify_one();
  return true;
}

void SideThread::Wait() {
  State& s = *mState;
  bool done = false;
  for (int i = 0; i < 20000 && !done; ++i) {
    done = s.phase.load(std::memory_order_acquire) == 2;
    if (!done)
      Pause();
  }
  if (!done) {
    std::unique_lock<std::mutex> lock(s.mutex);
    s.finished.wait(lock, [&] { return s.phase.load(std::memory_order_relaxed) == 2; });
  }
  s.phase.store(0, std::memory_order_relaxed);
  const std::exception_ptr error = std::exchange(s.error, nullptr);
  s.busy.store(false, std::memory_order_release);
  if (error)
    std::rethrow_exception(error);
}

}  // namespace kelmoa
