// Tests of the dictionary import on small excerpts of its sources.
#include "core/dictionary/dictionary_import.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/base/fixtures_test.h"
#include "core/base/helpers.h"
#include "core/dictionary/dictionary.h"
#include "core/dictionary/import_excerpt_test.h"
#include "core/dictionary/lookup.h"

namespace kelmoa {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
using Strings = std::vector<std::string>;

// The ranked meanings of a head word (UTF-8), empty when it is not a head word.
Strings MeaningsOf(const ImportedDictionary& dic, std::string_view word) {
  const auto it = std::find(dic.words.begin() + 1, dic.words.end(), Utf8ToUtf16(word));
  if (it == dic.words.end())
    return {};
  Strings out;
  for (const std::u16string& m : dic.meanings[it - dic.words.begin()])
    out.push_back(Utf16ToUtf8(m));
  return out;
}

// The meanings of the table's line for word, ranked ①.. as the dictionary holds them.
Strings EverydayMeaningsOf(std::string_view word) {
  const std::string table(CoreVocabularyTable());
  const std::string start = "\n" + std::string(word) + "\t";
  const size_t at = table.find(start);
  if (at == std::string::npos)
    return {};
  const size_t end = table.find('\n', at + 1);
  Strings out;
  std::string line = table.substr(at + start.size(), end - at - start.size());
  if (line.ends_with("\tonly"))
    line.resize(line.size() - 5);
  for (size_t from = 0, rank = 0;; ++rank) {
    const size_t tab = line.find('\t', from);
    out.push_back(Utf16ToUtf8(std::u16string(1, static_cast<char16_t>(0x2460 + rank))) +
                  line.substr(from, tab == std::string::npos ? tab : tab - from));
    if (tab == std::string::npos)
      break;
    from = tab + 1;
  }
  return out;
}

class ExcerptImport : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    sDic = std::make_unique<ImportedDictionary>(BuildDictionary(testing::ExcerptSources()));
  }
  static void TearDownTestSuite() { sDic.reset(); }
  static std::unique_ptr<ImportedDictionary> sDic;
};

std::unique_ptr<ImportedDictionary> ExcerptImport::sDic;

TEST_F(ExcerptImport, EveryRuleGivesItsMeanings) {
  const std::pair<const char*, Strings> kExpected[] = {
      // One reading or spelling once; an uncommon sense before a joking one; 狗 and 戌 repeat
      // 犬's reading.
      {"dog", {"①【名】犬(いぬ)", "②【名】ワンコ", "③【名】わん公(わんこう)"}},
      {"spy", {"①【名】犬(いぬ)"}},
      // The main class (verb) before a noun both sources know; a humble sense after an
      // unconfirmed one; 行く(ゆく) repeats the spelling 行く.
      {"go", {"①【自】行く(いく)", "②【名】碁(ご)", "③【名】合(ごう)", "④【自】参る(まいる)"}},
      {"lots", {"①【形】たくさん"}},  // usually written in kana: the reading alone
      // Capitals only: last; left off a word old reaches; kept where only its own plural does.
      {"ram", {"①【名】雄羊(おひつじ)", "②【名】ＲＡＭ(ラム)"}},
      {"ol", {}},
      {"dna", {"①【名】ＤＮＡ(ディーエヌエー)"}},
      {"office", {}},  // two words make no head word
      // Inflected head words: 建物 is common and confirmed, 伏せ長 neither.
      {"building", {"①【名】建物(たてもの)"}},
      {"going", {}},
      // Irregular forms name their base; the form's own common meaning that both sources
      // know stays first (left), an uncommon honorific goes (went).
      {"went", {"①【goの過去】行く(いく)"}},
      {"gone", {"①【goの過去分詞】行く(いく)"}},
      {"left", {"①【名】左(ひだり)", "②【leaveの過去】出る(でる)"}},
      {"children", {"①【childの複数】子供(こども)"}},
      {"firemen", {"①【firemanの複数】消防士(しょうぼうし)"}},
      {"humen", {}},    // human is no compound of man
      {"stopped", {}},  // the lookup reaches stop from stopped already
      {"flew", {}},     // fly is not in the dictionary
      // better stands for good (adjective) and well (adjective and adverb, so well's first
      // meaning, which the table of everyday words gives).
      {"better", {"①【goodの比較級】良い(よい)", "②【wellの比較級】よく、上手に"}},
      // FreeDict alone: words EDICT lacks, not capitals-only ones reached by accident.
      {"kitten", {"①【名】子猫", "②【名】仔猫"}},
  };
  for (const auto& [word, meanings] : kExpected)
    EXPECT_EQ(MeaningsOf(*sDic, word), meanings) << word;
  // The table of everyday words replaces what the sources say (ＩＴ, その).
  for (const char* word : {"it", "the", "would", "them"}) {
    EXPECT_EQ(MeaningsOf(*sDic, word), EverydayMeaningsOf(word)) << word;
    EXPECT_FALSE(MeaningsOf(*sDic, word).empty()) << word;
  }
  EXPECT_EQ(sDic->stats.inflectedDropped, 1);
  EXPECT_EQ(sDic->stats.fromFreedictOnly, 1);
}

TEST_F(ExcerptImport, TheFileLoadsInRankOrderBeforeWhatAUserAdds) {
  TempDir dir;
  WriteBytes(dir / "Dic_EJ.txt",
             MakeImportedDicFileBytes(*sDic) + testing::Sjis("dog\t犬ころ\r\ndog\tいぬっころ\r\n"));
  StrList lines;
  bool sorted = false;
  ASSERT_TRUE(ReadLinesAndCheckOrder(dir / "Dic_EJ.txt", lines, sorted).ok());
  EXPECT_FALSE(sorted);  // the user's lines came last
  Dictionary dic;
  ASSERT_TRUE(dic.LoadDicFile(dir / "Dic_EJ.txt").ok());
  int idx = 0;
  std::u16string form;
  StrList meanings;
  LookUpMeanings(dic, u"dog", idx, form, meanings);
  Strings shown;
  for (size_t i = 1; i < meanings.size(); ++i)
    shown.push_back(Utf16ToUtf8(meanings[i]));
  EXPECT_EQ(shown, (Strings{"①【名】犬(いぬ)", "②【名】ワンコ", "③【名】わん公(わんこう)",
                            "いぬっころ", "犬ころ"}));
  // Without the user's lines the file is in load order already.
  WriteBytes(dir / "Dic_EJ.txt", MakeImportedDicFileBytes(*sDic));
  ASSERT_TRUE(ReadLinesAndCheckOrder(dir / "Dic_EJ.txt", lines, sorted).ok());
  EXPECT_TRUE(sorted);
  EXPECT_EQ(UpperBound(lines), sDic->stats.meanings);
}

TEST(DictionaryImport, TheEverydayTableIsWellFormed) {
  DictionarySources sources;
  sources.edict = testing::Euc("犬 [いぬ] /(n) dog/(P)/\n");
  sources.everydayWords = std::string(CoreVocabularyTable());
  std::string bytes;
  DictionaryImportStats stats;
  ASSERT_TRUE(ImportDictionary(sources, bytes, &stats).ok());
  EXPECT_GE(stats.everydayWords, 200);
  EXPECT_EQ(stats.headWords, stats.everydayWords + 1);

  // A table line that is not word TAB meaning is refused, never half-used.
  const std::pair<std::string, int> kBadTables[] = {
      {"dog\n", 2},                                                        // no meaning
      {"Dog\t犬\n", 2},                                                    // not lower case
      {"d\t犬\n", 2},                                                      // one letter
      {"dog\t" + std::string(25, 'x') + "あいうえおかきくけこさし\n", 2},  // 49 bytes
      {"dog\t丂\n", 2},                                                    // not in CP932
      {"dog\t1\t2\t3\t4\t5\t6\n", 2},                                      // six meanings
      {"dog\t犬\ndog\t狗\n", 3},                                           // twice
  };
  for (const auto& [table, line] : kBadTables) {
    sources.everydayWords = "# comment\n" + table;
    bytes = "left alone";
    const Status s = ImportDictionary(sources, bytes);
    EXPECT_NE(s.message().find("line " + std::to_string(line) + " of the everyday-words table"),
              std::string::npos)
        << table;
    EXPECT_TRUE(bytes.empty());
  }
}

TEST(DictionaryImport, HostileFreedictAndWordnetFilesAreRefusedOrSkipped) {
  FreedictWords words;
  // An index that points past the entries, none at all, and garbage numbers.
  EXPECT_FALSE(ReadFreedict("dog\tA\tZZ\n", "dog <n>\n犬\n", words).ok());
  EXPECT_FALSE(ReadFreedict("", "", words).ok());
  EXPECT_FALSE(ReadFreedict("dog\t!\t?\ncat\tAAAAAAAAAAAA\tB\n", "x", words).ok());
  ASSERT_TRUE(ReadFreedict("dog\tA\tT\n", "dog <n>\n1. 犬, 2.\n", words).ok());
  ASSERT_EQ(words[u"dog"].size(), 1U);
  EXPECT_EQ(words[u"dog"][0].japanese, u"犬");

  std::string data;
  const std::string gz = testing::Gzip("entries");
  ASSERT_TRUE(Gunzip(gz, data).ok());
  EXPECT_EQ(data, "entries");
  ASSERT_TRUE(Gunzip(gz + testing::Gzip(" and more"), data).ok());  // two members
  EXPECT_EQ(data, "entries and more");
  for (const std::string& bad :
       {gz.substr(0, gz.size() / 2), std::string("entries"), std::string()}) {
    data = "left alone";
    EXPECT_FALSE(Gunzip(bad, data).ok());
    EXPECT_TRUE(data.empty());
  }

  WordnetFiles files;
  files.index[0] = "dog n 1\nDog n 1\nhot_dog n 1\nx n 1\n99 n\n";
  files.exceptions[1] = "went\nwent go\n go\n";
  files.senseCounts = "dog%1:05:00:: 1 42\ndog%9:0 1 1\ncat%2 1 99999999999999999999\n%\n";
  const Wordnet wn = ReadWordnet(files);
  EXPECT_EQ(wn.lemmas.size(), 1U);
  ASSERT_EQ(wn.irregularForms.size(), 1U);
  EXPECT_EQ(wn.irregularForms[0].base, u"go");
  EXPECT_EQ(wn.mainClass.size(), 1U);
}

// ---- The real sources of the system, when they are installed

class SystemSources : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    auto sources = std::make_unique<DictionarySources>();
    if (ReadDictionarySources(SourcePaths{}, *sources).ok()) {
      sDic = std::make_unique<ImportedDictionary>(BuildDictionary(*sources));
      sFile = std::make_unique<Dictionary>();
      TempDir dir;
      WriteBytes(dir / "Dic_EJ.txt", MakeImportedDicFileBytes(*sDic));
      if (!sFile->LoadDicFile(dir / "Dic_EJ.txt").ok())
        sFile.reset();
    }
  }
  static void TearDownTestSuite() {
    sDic.reset();
    sFile.reset();
  }
  void SetUp() override {
    if (!sDic || !sFile)
      GTEST_SKIP() << "edict, dict-freedict-eng-jpn or wordnet-base is not installed";
  }
  // The first two lines of the popup a word of a text shows: the meanings of the entries of
  // its index list, in order.
  // The entries a word of a text finds, in order.
  static std::vector<int> EntriesOf(std::string_view word) {
    std::vector<int> entries;
    const std::string list = Utf16ToUtf8(GetDicIdxListOfWord(sFile->Words(), U16(word)));
    for (size_t from = 0; from < list.size(); from = list.find(',', from) + 1) {
      entries.push_back(std::stoi(list.substr(from)));
      if (list.find(',', from) == std::string::npos)
        break;
    }
    return entries;
  }
  static Strings FirstTwoLines(std::string_view word) {
    Strings lines;
    for (const int idx : EntriesOf(word)) {
      const std::string all = Utf16ToUtf8(sFile->Meanings()[idx]);
      for (size_t at = 0; at <= all.size() && lines.size() < 2; at = all.find('\t', at) + 1) {
        lines.push_back(all.substr(at, all.find('\t', at) - at));
        if (all.find('\t', at) == std::string::npos)
          break;
      }
    }
    return lines;
  }
  static std::unique_ptr<ImportedDictionary> sDic;
  static std::unique_ptr<Dictionary> sFile;
};

std::unique_ptr<ImportedDictionary> SystemSources::sDic;
std::unique_ptr<Dictionary> SystemSources::sFile;

// Everyday English words and the Japanese a learner expects among the first two lines of
// their popup.
const std::pair<const char*, const char*> kFrequentWords[] = {
    {"water", "水"},        {"fire", "火"},      {"tree", "木"},       {"book", "本"},
    {"car", "車"},          {"school", "学校"},  {"mountain", "山"},   {"sea", "海"},
    {"moon", "月"},         {"rain", "雨"},      {"snow", "雪"},       {"flower", "花"},
    {"bird", "鳥"},         {"fish", "魚"},      {"horse", "馬"},      {"egg", "卵"},
    {"rice", "米"},         {"tea", "茶"},       {"red", "赤"},        {"white", "白"},
    {"black", "黒"},        {"bad", "悪い"},     {"hot", "あつい"},    {"cold", "寒い"},
    {"long", "長い"},       {"short", "短い"},   {"high", "高い"},     {"new", "新しい"},
    {"money", "金"},        {"morning", "朝"},   {"night", "夜"},      {"year", "年"},
    {"week", "週"},         {"today", "今日"},   {"tomorrow", "明日"}, {"yesterday", "昨日"},
    {"mother", "母"},       {"father", "父"},    {"friend", "友"},     {"hand", "手"},
    {"eye", "目"},          {"head", "頭"},      {"heart", "心"},      {"country", "国"},
    {"town", "町"},         {"house", "家"},     {"door", "戸"},       {"window", "窓"},
    {"paper", "紙"},        {"word", "言葉"},    {"name", "名"},       {"time", "時"},
    {"people", "人々"},     {"child", "子"},     {"woman", "女"},      {"man", "男"},
    {"see", "見る"},        {"come", "来る"},    {"walk", "歩く"},     {"run", "走る"},
    {"buy", "買う"},        {"sell", "売る"},    {"think", "思う"},    {"teach", "教える"},
    {"swim", "泳ぐ"},       {"write", "書く"},   {"speak", "話す"},    {"listen", "聞く"},
    {"sleep", "眠る"},      {"drink", "飲む"},   {"open", "開"},       {"close", "閉"},
    {"give", "与える"},     {"take", "取る"},    {"make", "作る"},     {"live", "住む"},
    {"die", "死ぬ"},        {"wait", "待つ"},    {"begin", "始"},      {"forget", "忘れる"},
    {"learn", "学ぶ"},      {"help", "助け"},    {"love", "愛"},       {"answer", "答"},
    {"ate", "食べる"},      {"took", "取る"},    {"saw", "見る"},      {"thought", "thinkの過去"},
    {"told", "tellの過去"}, {"bought", "買う"},  {"children", "子"},   {"feet", "足"},
    {"could", "できる"},    {"their", "彼らの"}, {"whose", "誰の"},    {"an", "一つの"},
};

TEST_F(SystemSources, FrequentWordsShowTheirEverydayJapaneseInTheFirstTwoLines) {
  int found = 0;
  for (const auto& [english, japanese] : kFrequentWords) {
    const Strings lines = FirstTwoLines(english);
    const bool ok = std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
      return l.find(japanese) != std::string::npos;
    });
    found += ok ? 1 : 0;
    EXPECT_TRUE(ok) << english << " should show " << japanese
                    << " early: " << (lines.empty() ? "" : lines[0]) << " / "
                    << (lines.size() < 2 ? "" : lines[1]);
  }
  EXPECT_GE(std::size(kFrequentWords), 80U);
}

TEST_F(SystemSources, NothingOrdinaryWordsReachByAccidentIsAnAcronym) {
  for (const char* word : {"road", "old", "coming", "has", "was", "its"}) {
    for (const int idx : EntriesOf(word)) {
      const std::u16string& head = sFile->Words()[idx];
      const std::string meanings = Utf16ToUtf8(sFile->Meanings()[idx]);
      // Only the word itself or its real base; ha is an interjection (ほらね), not HA.
      EXPECT_TRUE(head == U16(word) || head == u"come" || head == u"it" || head == u"ha")
          << word << " reaches " << Utf16ToUtf8(head) << ": " << meanings;
      EXPECT_EQ(meanings.find("ホームオートメーション"), std::string::npos) << word;
    }
  }
}

TEST_F(SystemSources, NineteenInTwentyWordsOfTheGplAreKnown) {
  const std::string text = testing::LicenceText();
  if (text.empty())
    GTEST_SKIP() << "no licence text to read";
  long long tokens = 0, known = 0;
  for (size_t i = 0, j = 0; i < text.size(); i = j) {
    for (j = i + 1; IsAlphabet(text[i]) && j < text.size() && IsWordChr(text[j]);)
      ++j;
    if (!IsAlphabet(text[i]) || j - i < 2)
      continue;
    ++tokens;
    if (!GetDicIdxListOfWord(sFile->Words(), LowerAscii(U16(text.substr(i, j - i)))).empty())
      ++known;
  }
  ASSERT_GT(tokens, 1000);
  EXPECT_GE(known * 1000, tokens * 955) << known << " of " << tokens << " words known";
}

}  // namespace
}  // namespace kelmoa
