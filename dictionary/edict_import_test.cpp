#include "dictionary/edict_import.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <utility>

#include "common/fixtures_test.h"
#include "common/helpers.h"
#include "dictionary/dictionary.h"
#include "dictionary/lookup.h"

namespace kelmoa {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

// EUC-JP bytes of UTF-8 text, as EDICT is shipped.
std::string Euc(std::string_view utf8) {
  const std::unique_ptr<void, int (*)(iconv_t)> cd(iconv_open("EUC-JP-MS", "UTF-8"), iconv_close);
  std::string out(utf8.size() * 2 + 8, '\0');
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size();
  char* o = out.data();
  size_t outLeft = out.size();
  EXPECT_NE(iconv(cd.get(), &in, &inLeft, &o, &outLeft), static_cast<size_t>(-1)) << utf8;
  out.resize(out.size() - outLeft);
  return out;
}

EdictDictionary Build(std::string_view utf8Lines) {
  return BuildEdictDictionary(Euc(utf8Lines));
}

// The ranked meanings of a head word (UTF-8), empty when it is not a head word.
std::vector<std::string> MeaningsOf(const EdictDictionary& dic, std::string_view word) {
  const auto it = std::find(dic.words.begin() + 1, dic.words.end(), Utf8ToUtf16(word));
  if (it == dic.words.end())
    return {};
  std::vector<std::string> out;
  for (const std::u16string& m : dic.meanings[it - dic.words.begin()])
    out.push_back(Utf16ToUtf8(m));
  return out;
}

std::vector<std::string> HeadWords(const EdictDictionary& dic) {
  std::vector<std::string> out;
  for (size_t i = 1; i < dic.words.size(); ++i)
    out.push_back(Utf16ToUtf8(dic.words[i]));
  return out;
}

using Strings = std::vector<std::string>;

// ---- Which glosses become head words

TEST(EdictHeadWords, NotesTheToOfVerbsAndArticlesAreTakenOff) {
  const EdictDictionary dic = Build(
      "犬 [いぬ] /(n) (1) dog (Canis (lupus) familiaris)/(n) (2) (derog) (uk) squealer/(P)/\n"
      "食べる [たべる] /(v1,vt) (1) to eat/(v1,vt) (2) to live on (e.g. a salary)/\n"
      "今まで [いままで] /(adv,n) to date/\n"
      "まで /(prt) to/\n"
      "聾者 [ろうしゃ] /(n) the deaf/a deaf person/\n");
  // "to date" is no verb and "to live on" two words; the particle "to" is a word of its own.
  EXPECT_EQ(HeadWords(dic), (Strings{"deaf", "dog", "eat", "squealer", "to"}));
}

TEST(EdictHeadWords, OnlyWordsOfTwoLettersOrMoreAreLoweredAndKept) {
  const EdictDictionary dic = Build(
      "Ａ [エー] /(n) A/grade A/\n"
      "馬鹿 [ばか] /(n) dumb-ass/fool/mp3/'cause/\n"
      "括弧 [かっこ] /(n) bracket (unclosed/close) bracket)/\n"
      "時 [じ] /(suf,ctr) o'clock/\n"
      "水曜日 [すいようび] /(n-adv,n) Wednesday/(P)/\n");
  EXPECT_EQ(HeadWords(dic), (Strings{"fool", "o'clock", "wednesday"}));
}

// ---- What a meaning holds

TEST(EdictMeanings, TheJapaneseWordWithItsReadingUnderTheSensesTag) {
  const EdictDictionary dic = Build(
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
      {"or", {"【接】又は(または)"}},
      {"book", {"【名】本(ほん)"}},
      {"this", {"本(ほん)"}},  // a prefix or an interjection has no tag
      {"morning", {"おはよう"}},
  };
  for (const auto& [word, meanings] : kExpected)
    EXPECT_EQ(MeaningsOf(dic, word), meanings) << word;
}

TEST(EdictMeanings, AtMostFiftyBytesAreKeptWhole) {
  const std::string kana22 = "あいうえおかきくけこさしすせそたちつてとなに";
  const EdictDictionary dic =
      Build(kana22 + " /(n) long/\n" + kana22 + "ｱ /(n) long/\n" + kana22 + "ぬ /(n) longer/\n");
  // 【名】 (6 bytes) + 22 kana (44 bytes) is 50 bytes; one byte more is left out, not cut.
  EXPECT_EQ(MeaningsOf(dic, "long"), (Strings{"【名】" + kana22}));
  EXPECT_EQ(MeaningsOf(dic, "longer"), Strings{});
}

TEST(EdictMeanings, EntriesTheFileCannotHoldAreSkipped) {
  // 丂 exists in EUC-JP (JIS X 0212) but not in CP932; a TAB would split the entry line.
  const EdictDictionary dic = Build(
      "丂 [こう] /(n) dog/(P)/\n犬 [丂] /(n) hound/\n犬\t猫 [いぬ] /(n) dog/\n犬 [いぬ] /(n) "
      "dog/\n");
  EXPECT_EQ(HeadWords(dic), (Strings{"dog"}));
  EXPECT_EQ(MeaningsOf(dic, "dog"), (Strings{"【名】犬(いぬ)"}));
}

// ---- Which meanings come first and how many stay

TEST(EdictRanking, CommonFirstKatakanaOnlyLaterCapitalsOnlyLast) {
  const EdictDictionary dic = Build(
      "あああ /(n) dog/\nいいい /(n) (1) cat/(n) (2) dog/(P)/\nワンコ /(n) dog/(P)/\n"
      "ううう /(n) hound/dog/(P)/\nえええ /(n) dog/(P)/\nアイティー /(n) IT/(P)/\n"
      "それ /(pn) it/(P)/\n鬼 [おに] /(n) it (in the game of tag)/\n");
  EXPECT_EQ(MeaningsOf(dic, "dog"), (Strings{"【名】えええ", "【名】ううう", "【名】いいい",
                                             "【名】ワンコ", "【名】あああ"}));
  EXPECT_EQ(MeaningsOf(dic, "it"), (Strings{"それ", "【名】鬼(おに)", "【名】アイティー"}));
}

TEST(EdictRanking, ShorterWordsThenFewerGlossesThenFileOrder) {
  const EdictDictionary dic = Build(
      "火事 [かじ] /(n) fire/conflagration/(P)/\n火 [ひ] /(n,n-suf) fire/flame/blaze/(P)/\n"
      "家 [いえ] /(n) (1) house/residence/(P)/\n家 [うち] /(n) (1) (uk) house/(P)/\n"
      "河 [かわ] /(n) river/(P)/\n川 [かわ] /(n) river/(P)/\n");
  EXPECT_EQ(MeaningsOf(dic, "fire"), (Strings{"【名】火(ひ)", "【名】火事(かじ)"}));
  EXPECT_EQ(MeaningsOf(dic, "house"), (Strings{"【名】家(うち)", "【名】家(いえ)"}));
  EXPECT_EQ(MeaningsOf(dic, "river"), (Strings{"【名】河(かわ)", "【名】川(かわ)"}));
}

TEST(EdictRanking, FiveDistinctMeaningsAtMost) {
  const EdictDictionary dic = Build(
      "一 [いち] /(n) one/(P)/\n二 [に] /(n) (1) one/(n) (2) one/\n一 [いち] /(n) one/\n"
      "三 [さん] /(n) one/\n四 [し] /(n) one/\n五 [ご] /(n) one/\n六 [ろく] /(n) one/\n");
  // The second sense of 二 and the second line of 一 repeat a meaning: they take no place.
  EXPECT_EQ(MeaningsOf(dic, "one"), (Strings{"【名】一(いち)", "【名】二(に)", "【名】三(さん)",
                                             "【名】四(し)", "【名】五(ご)"}));
}

// ---- The text read and the file made

TEST(EdictInput, UndecodableLinesAreSkippedAndATextWithoutEntriesRefused) {
  const std::string text = Euc("犬 [いぬ] /(n) dog/\n") + "\xA4\xFF\xFF /(n) cat/\n" +
                           Euc("猫 [ねこ] /(n) cat/\r\nnot an entry\n");
  const EdictDictionary dic = BuildEdictDictionary(text);
  EXPECT_EQ(MeaningsOf(dic, "cat"), (Strings{"【名】猫(ねこ)"}));  // CR LF ends a line too
  EXPECT_EQ(dic.stats.lines, 4);
  EXPECT_EQ(dic.stats.undecodableLines, 1);

  std::string bytes = "left alone";
  const Status s = ImportEdict("This is a plain English text.\n", bytes);
  EXPECT_NE(s.message().find("no EDICT entry"), std::string::npos);
  EXPECT_TRUE(bytes.empty());
}

TEST(EdictFile, Cp932LinesWithCrLfThatLoadWithoutSorting) {
  const std::string edict =
      Euc("犬 [いぬ] /(n) dog/(P)/\nワンコ /(n) dog/\n猫 [ねこ] /(n) cat/Cat/\n"
          "アイティー /(n) IT/\nそれ /(pn) it/\n時 [じ] /(suf,ctr) o'clock/\n");
  std::string bytes, again;
  ASSERT_TRUE(ImportEdict(edict, bytes).ok());
  ASSERT_TRUE(ImportEdict(edict, again).ok());
  EXPECT_EQ(again, bytes);
  EXPECT_EQ(bytes,
            testing::Sjis("cat\t【名】猫(ねこ)\r\ndog\t【名】ワンコ\r\ndog\t【名】犬(いぬ)\r\n"
                          "it\t【名】アイティー\r\nit\tそれ\r\no'clock\t時(じ)\r\n"));
  TempDir dir;
  WriteBytes(dir / "Dic_EJ.txt", bytes);
  StrList lines;
  bool sorted = false;
  ASSERT_TRUE(ReadFileToAryWithSortChk(dir / "Dic_EJ.txt", lines, sorted).ok());
  EXPECT_TRUE(sorted);
}

// ---- The real EDICT of the system, when it is installed

constexpr const char* kSystemEdict = "/usr/share/edict/edict";

class SystemEdict : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (std::filesystem::exists(kSystemEdict)) {
      sEdict = std::make_unique<EdictDictionary>(BuildEdictDictionary(ReadBytes(kSystemEdict)));
    }
  }
  static void TearDownTestSuite() { sEdict.reset(); }
  void SetUp() override {
    if (!sEdict)
      GTEST_SKIP() << kSystemEdict << " is not installed";
  }
  static std::unique_ptr<EdictDictionary> sEdict;
};

std::unique_ptr<EdictDictionary> SystemEdict::sEdict;

TEST_F(SystemEdict, EverydayWordsRankTheirEverydayJapaneseFirst) {
  // English word, the Japanese word its best-ranked meaning holds.
  const std::pair<const char*, const char*> kTable[] = {
      {"dog", "犬"},      {"cat", "猫"},        {"water", "水"},        {"fire", "火"},
      {"tree", "木"},     {"book", "本"},       {"car", "車"},          {"school", "学校"},
      {"mountain", "山"}, {"sea", "海"},        {"moon", "月"},         {"rain", "雨"},
      {"snow", "雪"},     {"flower", "花"},     {"bird", "鳥"},         {"fish", "魚"},
      {"cow", "牛"},      {"pig", "豚"},        {"egg", "卵"},          {"rice", "米"},
      {"tea", "茶"},      {"red", "赤"},        {"blue", "青"},         {"white", "白"},
      {"black", "黒"},    {"bad", "悪い"},      {"hot", "熱い"},        {"cold", "寒い"},
      {"long", "長い"},   {"short", "短い"},    {"high", "高い"},       {"low", "低い"},
      {"money", "金"},    {"morning", "朝"},    {"year", "年"},         {"week", "週"},
      {"today", "今日"},  {"tomorrow", "明日"}, {"yesterday", "昨日"},  {"mother", "母"},
      {"father", "父"},   {"hand", "手"},       {"ear", "耳"},          {"mouth", "口"},
      {"head", "頭"},     {"english", "英語"},  {"japanese", "日本語"}, {"country", "国"},
      {"city", "市"},     {"town", "町"},       {"road", "道"},         {"window", "窓"},
      {"desk", "机"},     {"chair", "椅子"},    {"paper", "紙"},        {"read", "読む"},
      {"see", "見る"},    {"come", "来る"},     {"walk", "歩く"},       {"run", "走る"},
      {"buy", "買う"},    {"sell", "売る"},     {"think", "思う"},      {"teach", "教える"},
      {"swim", "泳ぐ"},
  };
  for (const auto& [english, japanese] : kTable) {
    const Strings meanings = MeaningsOf(*sEdict, english);
    ASSERT_FALSE(meanings.empty()) << english;
    EXPECT_NE(meanings[0].find(japanese), std::string::npos) << english << ": " << meanings[0];
  }
}

TEST_F(SystemEdict, NineInTenWordsOfAnEnglishTextAreKnown) {
  const std::string text = testing::LicenceText();
  if (text.empty())
    GTEST_SKIP() << "no licence text to read";
  long long tokens = 0, known = 0;
  for (size_t i = 0, j = 0; i < text.size(); i = j) {
    for (j = i + 1; IsAlphabet(text[i]) && j < text.size() && IsWordChr(text[j]);)
      ++j;
    const std::string word = text.substr(i, j - i);
    if (!IsAlphabet(text[i]) || (word.size() == 1 && word != "I" && word != "A" && word != "a")) {
      continue;
    }
    ++tokens;
    if (!GetDicIdxListOfWord(sEdict->words, LowerAscii(U16(word))).empty())
      ++known;
  }
  ASSERT_GT(tokens, 1000);
  EXPECT_GE(known * 10, tokens * 9) << known << " of " << tokens << " words known";
}

TEST_F(SystemEdict, TheFileLoadsWithoutSorting) {
  TempDir dir;
  WriteBytes(dir / "Dic_EJ.txt", MakeEdictDicFileBytes(*sEdict));
  StrList lines;
  bool sorted = false;
  ASSERT_TRUE(ReadFileToAryWithSortChk(dir / "Dic_EJ.txt", lines, sorted).ok());
  EXPECT_TRUE(sorted);
  EXPECT_EQ(UpperBound(lines), sEdict->stats.meanings);
}

}  // namespace
}  // namespace kelmoa
