#pragma once

#include <future>
#include <system_error>

namespace kelmoa {

// Runs first on this thread and second beside it on another when both is true (one after the
// other otherwise, or when no thread can be started), and returns once both are done. An
// exception of either is passed on. The two must not touch the same data.
template <typename First, typename Second>
void RunSideBySide(bool both, First first, Second second) {
  std::future<void> other;
  if (both) {
    try {
      other = std::async(std::launch::async, second);
    } catch (const std::system_error&) {
      both = false;
    }
  }
  first();
  if (both)
    other.get();
  else
    second();
}

}  // namespace kelmoa
