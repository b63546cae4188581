// What the open routine makes of files that come from anywhere: each gets its defined
// rejection or a clear error, quickly and with bounded memory.
#include "core/text/open_text.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <random>

#include "core/base/fixtures_test.h"
#include "core/text/messages.h"

namespace kelmoa {
namespace {

using namespace testing;  // the shared fixtures

long PeakResidentKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0)
      return std::stol(line.substr(6));
  }
  return 0;
}

// Random bytes: whatever code they happen to look like, a rejection with its message and no
// lines. Rejections of each kind: the session's tests.
TEST(OpenText, RandomBytesAreRejectedWithAMessage) {
  TempDir dir;
  std::mt19937 rng(3);
  for (int round = 0; round < 20; ++round) {
    std::string binary(4096, '\0');
    for (char& ch : binary)
      ch = static_cast<char>(rng());
    WriteBytes(dir / "binary.bin", binary);
    StrList lines;
    const OpenResult c = CheckAndReadTextFile(dir / "binary.bin", lines);
    EXPECT_TRUE(c.outcome == OpenResult::Outcome::kWrongCode || c.TooLarge()) << round;
    EXPECT_FALSE(MsgTextRefusal(c, dir / "binary.bin").empty()) << round;
    EXPECT_EQ(UpperBound(lines), 0) << round;
  }
}

TEST(OpenText, ASparseMultiGigabyteFileIsJudgedWithBoundedMemory) {
  TempDir dir;
  const std::string path = dir / "sparse.txt";
  {
    std::ofstream f(path, std::ios::binary);
    f.seekp((3LL << 30) - 1);
    f.put('x');
  }
  const long before = PeakResidentKiB();
  StrList lines;
  const OpenResult c = CheckAndReadTextFile(path, lines);
  EXPECT_EQ(c.outcome, OpenResult::Outcome::kLineTooLong);
  EXPECT_NE(MsgTextRefusal(c, path).find(u"1行目：67108864バイト以上"), std::u16string::npos);
  EXPECT_LT(PeakResidentKiB() - before, 64 * 1024) << "KiB more at the peak";
}

// A fifo, a folder, a missing file and one the user may not read: an error, not a hang.
TEST(OpenText, WhatIsNoReadableFileIsAnErrorNotAHang) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "fifo.txt").c_str(), 0600), 0);
  ::chmod((dir / "fifo.txt").c_str(), 0666);
  std::filesystem::create_directory(dir / "folder.txt");
  WriteBytes(dir / "secret.txt", "hidden\r\n");
  ::chmod((dir / "secret.txt").c_str(), 0);
  ::chmod(dir.path().c_str(), 0755);
  for (const char* name : {"fifo.txt", "folder.txt", "removed.txt", "secret.txt"}) {
    // Permissions do not bind root: look as an ordinary user.
    EXPECT_TRUE(InUnprivilegedChild([&] {
      StrList lines;
      const OpenResult c = CheckAndReadTextFile(dir / name, lines);
      return c.outcome == OpenResult::Outcome::kUnreadable && !c.status.ok() &&
             c.status.message().find(name) != std::string::npos;
    })) << name;
  }
}

}  // namespace
}  // namespace kelmoa
