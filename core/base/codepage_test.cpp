// Tests of the CP932 conversions, broken files included.
#include "core/base/codepage.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdint>

namespace kelmoa {
namespace {

TEST(Codepage, EveryCodeUnitEncodesAsIconvEncodesIt) {
  iconv_t cd = iconv_open("CP932", "UTF-16LE");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  std::u16string all;
  std::string allExpected;
  for (uint32_t u = 0; u < 65536; ++u) {
    char16_t unit = static_cast<char16_t>(u);
    char out[8], *in = reinterpret_cast<char*>(&unit), *pout = out;
    size_t inLeft = 2, outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    const bool ok = iconv(cd, &in, &inLeft, &pout, &outLeft) != static_cast<size_t>(-1);
    const std::string expected = ok ? std::string(out, sizeof out - outLeft) : "?";
    ASSERT_EQ(Utf16ToSjis(std::u16string(1, unit)), expected) << "U+" << std::hex << u;
    ASSERT_EQ(GetSjisByteLen(std::u16string(1, unit)),
              ok ? static_cast<long long>(expected.size()) : 1);
    all += unit;
    allExpected += expected;
  }
  iconv_close(cd);
  // One- and two-byte characters side by side, in one string and appended after a prefix.
  EXPECT_EQ(Utf16ToSjis(all), allExpected);
  std::string appended = "x";
  AppendSjis(std::u16string(all.rbegin(), all.rend()), appended);
  EXPECT_EQ(appended.size(), allExpected.size() + 1);
}

TEST(Codepage, FirstBadByteAndFirstCharacterCp932CannotHold) {
  const size_t kNone = std::string::npos;
  const std::pair<std::string, size_t> cases[] = {
      {"plain", kNone},   {Utf16ToSjis(u"日本語"), kNone},
      {"ab\x85\x40x", 2}, {Utf16ToSjis(u"日本") + "\xff", 4},
      {"ok\x82", 2},      {"\xa1\xdf", kNone}};
  for (const auto& [bytes, firstBad] : cases) {
    SjisDecoder decoder;
    decoder.Decode(bytes);
    EXPECT_EQ(decoder.FirstBadByte(), firstBad) << bytes;
  }
  EXPECT_EQ(FindNonSjis(u"犬～—ｱ"), std::u16string::npos);
  EXPECT_EQ(FindNonSjis(u"ab😀"), 2u);
  EXPECT_EQ(FindNonSjis(u"Köln"), 1u);
  EXPECT_EQ(FindNonSjis(std::u16string(1, u'\xD800')), 0u) << "half a surrogate pair";
}

}  // namespace
}  // namespace kelmoa
