// Tests of the side thread: both jobs run, exceptions come back, a forked child gets its own.
#include "core/base/side_by_side.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <tuple>

#include "core/base/fixtures_test.h"

namespace kelmoa {
namespace {

TEST(RunSideBySideTest, BothRunOnTwoThreadsAndEitherExceptionIsPassedOn) {
  for (int round = 0; round < 200; ++round) {
    std::thread::id firstOn, secondOn;
    int a = 0, b = 0;
    RunSideBySide(
        true, [&] { a = round, firstOn = std::this_thread::get_id(); },
        [&] { b = round + 1, secondOn = std::this_thread::get_id(); });
    ASSERT_EQ(std::tuple(a, b, firstOn), std::tuple(round, round + 1, std::this_thread::get_id()));
    ASSERT_NE(secondOn, firstOn);
  }
  // The second is done before an exception of the first leaves: it may use the caller's data.
  std::atomic<bool> secondDone{false};
  EXPECT_THROW(RunSideBySide(
                   true, [] { throw std::runtime_error("first"); },
                   [&] {
                     std::this_thread::sleep_for(std::chrono::milliseconds(20));
                     secondDone = true;
                   }),
               std::runtime_error);
  EXPECT_TRUE(secondDone);
  EXPECT_THROW(RunSideBySide(
                   true, [] {}, [] { throw std::logic_error("second"); }),
               std::logic_error);
  // Both throw: the first one's exception is the one passed on.
  EXPECT_THROW(RunSideBySide(
                   true, [] { throw std::runtime_error("first"); },
                   [] { throw std::logic_error("second"); }),
               std::runtime_error);
}

TEST(RunSideBySideTest, AChildMadeByForkStartsAThreadOfItsOwn) {
#if defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "ThreadSanitizer cannot start threads in a child of a threaded process";
#endif
  RunSideBySide(
      true, [] {}, [] {});  // the side thread runs before the fork
  EXPECT_TRUE(testing::InChild([] {
    int b = 0;
    RunSideBySide(
        true, [] {}, [&] { b = 1; });
    return b == 1;
  }));
}

}  // namespace
}  // namespace kelmoa
