#include "common/codepage.h"

#include <gtest/gtest.h>

namespace kelmoa {
namespace {

TEST(Codepage, Cp932RoundTripsJapaneseAndUsesTheMicrosoftTable) {
  const std::u16string text = u"犬と猫～ｶﾀｶﾅ abc";
  const std::string bytes = Utf16ToSjis(text);
  EXPECT_EQ(SjisToUtf16(bytes), text);
  // The wave dash of CP932 (0x8160) is U+FF5E, where plain Shift_JIS has U+301C.
  EXPECT_EQ(Utf16ToSjis(u"～"), "\x81\x60");
  EXPECT_EQ(SjisToUtf16("\x81\x60"), u"～");
}

TEST(Codepage, ByteLengthCountsTwoForDoubleByteCharacters) {
  EXPECT_EQ(GetSjisByteLen(u""), 0);
  EXPECT_EQ(GetSjisByteLen(u"abc"), 3);
  EXPECT_EQ(GetSjisByteLen(u"あいう"), 6);
  EXPECT_EQ(GetSjisByteLen(u"ｱ"), 1) << "half-width katakana is single-byte";
  EXPECT_EQ(GetSjisByteLen(u"\t"), 1);
  EXPECT_EQ(GetSjisByteLen(u"é😀"), 3) << "unencodable characters count one each (written ?)";
  EXPECT_TRUE(IsDoubleByteChar(u'あ'));
  EXPECT_FALSE(IsDoubleByteChar(u'a'));
}

TEST(Codepage, UnencodableBecomesQuestionMarkAndInvalidBytesOneReplacementEach) {
  EXPECT_EQ(Utf16ToSjis(u"aéb"), "a?b");
  const std::u16string decoded = SjisToUtf16("a\x82z\x82");
  EXPECT_EQ(decoded.size(), 4u);
  EXPECT_EQ(decoded[0], u'a');
  EXPECT_EQ(decoded[1], u'\uFFFD');
  EXPECT_EQ(decoded[2], u'z');
  EXPECT_EQ(decoded[3], u'\uFFFD');
}

TEST(Codepage, Utf8Conversions) {
  EXPECT_EQ(Utf16ToUtf8(u"辞書"), "辞書");
  EXPECT_EQ(Utf8ToUtf16("辞書"), u"辞書");
}

}  // namespace
}  // namespace kelmoa
