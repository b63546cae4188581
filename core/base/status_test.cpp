// Tests of Status: kinds from errno values, and the message composed from context and reason.
#include "core/base/status.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "core/base/codepage.h"

namespace kelmoa {
namespace {

TEST(Status, KindFollowsErrnoAndTheMessageReadsAsBefore) {
  const struct {
    int err;
    StatusCode code;
  } cases[] = {
      {ENOENT, StatusCode::kNotFound},
      {ENOTDIR, StatusCode::kNotFound},
      {EACCES, StatusCode::kPermissionDenied},
      {EROFS, StatusCode::kPermissionDenied},
      {EEXIST, StatusCode::kAlreadyExists},
      {EISDIR, StatusCode::kInvalidArgument},
      {EFBIG, StatusCode::kTooLarge},
      {ENOMEM, StatusCode::kOutOfMemory},
      {EBUSY, StatusCode::kBusy},
      {ENOSPC, StatusCode::kNoSpace},
      {EIO, StatusCode::kIoError},
  };
  for (const auto& c : cases) {
    const Status s = Status::FromErrno("write", "/tmp/a: b.dic", c.err);
    EXPECT_EQ(s.code(), c.code) << c.err;
    EXPECT_EQ(s.context(), "write /tmp/a: b.dic");
    // A path holding ": " does not confuse the reason with the context.
    EXPECT_EQ(s.reason(), std::strerror(c.err));
    EXPECT_EQ(s.message(), std::string("write /tmp/a: b.dic: ") + std::strerror(c.err));
  }
}

TEST(Status, AnEncodingIconvLacksFailsWithoutThrowing) {
  const IconvConverter none("UTF-16LE", {"NO-SUCH-ENCODING", "NOR-THIS-ONE"});
  EXPECT_FALSE(none.valid());
  std::u16string out;
  EXPECT_FALSE(DecodeToUtf16("abc", "NO-SUCH-ENCODING", 1, out));
  EXPECT_TRUE(out.empty());
  IconvConverter second("UTF-16LE", {"NO-SUCH-ENCODING", "UTF-8"});
  ASSERT_TRUE(second.valid()) << "the first encoding iconv knows is taken";
  EXPECT_TRUE(second.ConvertWhole(std::string_view("ab"), out, 2));
  EXPECT_EQ(out, u"ab");
}

}  // namespace
}  // namespace kelmoa
