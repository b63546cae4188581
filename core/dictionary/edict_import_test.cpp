// Tests of the EDICT reader.
#include "core/dictionary/edict_import.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/dictionary/import_excerpt_test.h"

namespace kelmoa {
namespace {

using testing::Euc;

std::vector<EdictCandidate> Read(std::string_view utf8Lines) {
  EdictImportStats stats;
  return ReadEdictCandidates(Euc(utf8Lines), stats);
}

// The meanings a head word's candidates give (UTF-8), in file order.
std::vector<std::string> MeaningsOf(const std::vector<EdictCandidate>& cands,
                                    std::string_view word) {
  std::vector<std::string> out;
  for (const EdictCandidate& c : cands) {
    if (c.head == Utf8ToUtf16(word))
      out.push_back(Utf16ToUtf8(c.Meaning()));
  }
  return out;
}

std::vector<std::string> HeadWords(const std::vector<EdictCandidate>& cands) {
  std::vector<std::string> out;
  for (const EdictCandidate& c : cands)
    out.push_back(Utf16ToUtf8(c.head));
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

using Strings = std::vector<std::string>;

// ---- Which glosses become head words

TEST(EdictHeadWords, GlossesOfOneWordOfTwoLettersOrMoreAreKeptLowered) {
  const std::pair<const char*, Strings> cases[] = {
      // Notes, the to of verbs and articles are taken off; "to date" is no verb and "to live
      // on" two words; the particle "to" is a word of its own.
      {"犬 [いぬ] /(n) (1) dog (Canis (lupus) familiaris)/(n) (2) (derog) (uk) squealer/(P)/\n"
       "食べる [たべる] /(v1,vt) (1) to eat/(v1,vt) (2) to live on (e.g. a salary)/\n"
       "今まで [いままで] /(adv,n) to date/\nまで /(prt) to/\n聾者 [ろうしゃ] /(n) the deaf/a deaf "
       "person/\n",
       {"deaf", "dog", "eat", "squealer", "to"}},
      {"Ａ [エー] /(n) A/grade A/\n馬鹿 [ばか] /(n) dumb-ass/fool/mp3/'cause/\n"
       "括弧 [かっこ] /(n) bracket (unclosed/close) bracket)/\n時 [じ] /(suf,ctr) o'clock/\n"
       "水曜日 [すいようび] /(n-adv,n) Wednesday/(P)/\n",
       {"fool", "o'clock", "wednesday"}},
  };
  for (const auto& [text, heads] : cases)
    EXPECT_EQ(HeadWords(Read(text)), heads) << text;
}

// ---- What a meaning holds

TEST(EdictMeanings, TheJapaneseWordWithItsReadingUnderTheSensesTag) {
  const std::vector<EdictCandidate> dic = Read(
      "犬 [いぬ] /(n) dog/(P)/\nワンコ /(n) dog/\n赤い [あかい] /(adj-i) red/\n"
      "静か [しずか] /(adj-na) quiet/\n速く [はやく] /(adv) quickly/\n"
      "冷やす [ひやす] /(v5s,vt) (1) to chill/(2) to calm/(n) (3) chill/\n"
      "走る [はしる] /(v5r,vi) to run/\nの /(prt) of/\n又は [または] /(conj) (uk) or/\n"
      "本 [ほん] /(n) (1) book/(pref) (2) this/\nおはよう /(int) morning/\n");
  const std::pair<const char*, Strings> kExpected[] = {
      {"dog", {"【名】犬(いぬ)", "【名】ワンコ"}},
      {"red", {"【形】赤い(あかい)"}},
      {"quiet", {"【形】静か(しずか)"}},
      {"quickly", {"【副】速く(はやく)"}},
      // The first code that names a tag decides; codes hold until a sense brings new ones.
      {"chill", {"【他】冷やす(ひやす)", "【名】冷やす(ひやす)"}},
      {"calm", {"【他】冷やす(ひやす)"}},
      {"run", {"【自】走る(はしる)"}},
      {"of", {"【助】の"}},
      {"or", {"【接】または"}},  // usually written in kana: the reading alone
      {"book", {"【名】本(ほん)"}},
      {"this", {"本(ほん)"}},  // a prefix or an interjection has no tag
      {"morning", {"おはよう"}},
  };
  for (const auto& [word, meanings] : kExpected)
    EXPECT_EQ(MeaningsOf(dic, word), meanings) << word;
}

TEST(EdictMeanings, AtMostFortyEightBytesAreKeptWhole) {
  const std::string kana21 = "あいうえおかきくけこさしすせそたちつてとな";
  const std::vector<EdictCandidate> dic =
      Read(kana21 + " /(n) long/\n" + kana21 + "ｱ /(n) long/\n" + kana21 + "ぬ /(n) longer/\n");
  // 【名】 (6 bytes) + 21 kana (42 bytes) is 48 bytes; one byte more is left out, not cut.
  EXPECT_EQ(MeaningsOf(dic, "long"), (Strings{"【名】" + kana21}));
  EXPECT_EQ(MeaningsOf(dic, "longer"), Strings{});
}

TEST(EdictMeanings, EntriesTheFileCannotHoldAreSkipped) {
  // 丂 exists in EUC-JP (JIS X 0212) but not in CP932; a TAB would split the entry line.
  const std::vector<EdictCandidate> dic = Read(
      "丂 [こう] /(n) dog/(P)/\n犬 [丂] /(n) hound/\n犬\t猫 [いぬ] /(n) dog/\n犬 [いぬ] /(n) "
      "dog/\n");
  EXPECT_EQ(HeadWords(dic), (Strings{"dog"}));
  EXPECT_EQ(MeaningsOf(dic, "dog"), (Strings{"【名】犬(いぬ)"}));
}

// ---- What the notes of a sense say

TEST(EdictNotes, UsuallyKanaOffbeatAndSpecialistSensesAreMarked) {
  const std::vector<EdictCandidate> dic = Read(
      "其れ [それ] /(pn) (1) (uk) that/(pn) (2) (arch) there/(P)/\n"
      "御飯 [ごはん] /(n) (1) (hon) rice/(2) meal/\n"
      "いさぎ良い [いさぎよい] /(iK) (adj-i) (1) manly/(2) pure/\n"
      "演算子 [えんざんし] /(n) (comp) (math) operator/\n");
  struct Expected {
    const char* head;
    const char* meaning;
    bool offbeat, specialist;
    WordClass wordClass;
  };
  const Expected kExpected[] = {
      {"that", "それ", false, false, WordClass::kOther},        // (uk): the reading alone
      {"there", "其れ(それ)", true, false, WordClass::kOther},  // a note holds for its sense
      {"rice", "【名】御飯(ごはん)", false, true, WordClass::kNoun},
      {"meal", "【名】御飯(ごはん)", false, false, WordClass::kNoun},
      {"manly", "【形】いさぎ良い(いさぎよい)", true, false, WordClass::kAdjective},
      {"pure", "【形】いさぎ良い(いさぎよい)", true, false, WordClass::kAdjective},  // the spelling
      {"operator", "【名】演算子(えんざんし)", false, true, WordClass::kNoun},
  };
  for (const Expected& e : kExpected) {
    const auto it = std::find_if(dic.begin(), dic.end(), [&](const EdictCandidate& c) {
      return c.head == Utf8ToUtf16(e.head);
    });
    ASSERT_NE(it, dic.end()) << e.head;
    EXPECT_EQ(Utf16ToUtf8(it->Meaning()), e.meaning) << e.head;
    EXPECT_EQ(it->offbeat, e.offbeat) << e.head;
    EXPECT_EQ(it->specialist, e.specialist) << e.head;
    EXPECT_EQ(it->wordClass, e.wordClass) << e.head;
  }
}

// ---- The text read

TEST(EdictInput, UndecodableLinesAreSkippedAndCounted) {
  const std::string text = Euc("犬 [いぬ] /(n) dog/\n") + "\xA4\xFF\xFF /(n) cat/\n" +
                           Euc("猫 [ねこ] /(n) cat/\r\nnot an entry\n");
  EdictImportStats stats;
  const std::vector<EdictCandidate> dic = ReadEdictCandidates(text, stats);
  EXPECT_EQ(MeaningsOf(dic, "cat"), (Strings{"【名】猫(ねこ)"}));  // CR LF ends a line too
  EXPECT_EQ(stats.lines, 4);
  EXPECT_EQ(stats.undecodableLines, 1);
}

}  // namespace
}  // namespace kelmoa
