// Tests of the dictionary import on small excerpts of its sources, and of its EDICT reader.
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
#include "core/dictionary/edict_import.h"
#include "core/dictionary/import_excerpt_test.h"
#include "core/dictionary/lookup.h"
#include "core/dictionary/meaning_tags.h"
#include "core/text/popup_text.h"

namespace kelmoa {
namespace {

using namespace testing;  // the shared fixtures
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

// The excerpt imported, once for all its tests.
const ImportedDictionary& Excerpt() {
  static const ImportedDictionary dic = BuildDictionary(ExcerptSources());
  return dic;
}

TEST(ExcerptImport, EveryRuleGivesItsMeanings) {
  const std::pair<const char*, Strings> kExpected[] = {
      // One reading or spelling once; an uncommon sense before a joking one; 狗 and 戌 repeat
      // 犬's reading.
      {"dog", {"①【名】犬(いぬ)", "②【名】ワンコ", "③【名】わん公(わんこう)"}},
      {"spy", {"①【名】犬(いぬ)"}},
      // The core vocabulary's senses first; then those of the sources' meanings both sources
      // agree on that do not repeat them: 碁, not 行く(いく) again, nor the unconfirmed 合
      // and 参る.
      {"go", {"①【自】行く", "②【自】(～に)なる", "③【名】碁(ご)"}},
      // Written in full: the sources add nothing (ＩＴ, 前記).
      {"it", {"①【代】それは、それを"}},
      {"said", {"①【sayの過去・過去分詞】言った"}},
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
      {"went", {"①【goの過去】行く"}},
      {"gone", {"①【goの過去分詞】行く"}},
      {"left", {"①【名】左(ひだり)", "②【leaveの過去】出る(でる)"}},
      {"children", {"①【childの複数】子供(こども)"}},
      {"firemen", {"①【firemanの複数】消防士(しょうぼうし)"}},
      {"humen", {}},    // human is no compound of man
      {"stopped", {}},  // the lookup reaches stop from stopped already
      {"flew", {}},     // fly is not in the dictionary
      // better stands for good (adjective) and well (adjective and adverb, so well's first
      // meaning, which the core vocabulary gives).
      {"better", {"①【goodの比較級】良い(よい)", "②【wellの比較級】よく、上手に"}},
      // FreeDict alone: words EDICT lacks, not capitals-only ones reached by accident.
      {"kitten", {"①【名】子猫", "②【名】仔猫"}},
  };
  for (const auto& [word, meanings] : kExpected)
    EXPECT_EQ(MeaningsOf(Excerpt(), word), meanings) << word;
  EXPECT_EQ(Excerpt().stats.inflectedDropped, 1);
  EXPECT_EQ(Excerpt().stats.fromFreedictOnly, 1);
}

TEST(ExcerptImport, TheFileLoadsInRankOrderBeforeWhatAUserAdds) {
  TempDir dir;
  WriteBytes(dir / "Dic_EJ.txt",
             MakeImportedDicFileBytes(Excerpt()) + Sjis("dog\t犬ころ\r\ndog\tいぬっころ\r\n"));
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
  EXPECT_EQ(meanings, (StrList{u"", u"①【名】犬(いぬ)", u"②【名】ワンコ",
                               u"③【名】わん公(わんこう)", u"いぬっころ", u"犬ころ"}));
  // Without the user's lines the file is in load order already.
  WriteBytes(dir / "Dic_EJ.txt", MakeImportedDicFileBytes(Excerpt()));
  ASSERT_TRUE(ReadLinesAndCheckOrder(dir / "Dic_EJ.txt", lines, sorted).ok());
  EXPECT_TRUE(sorted);
  EXPECT_EQ(UpperBound(lines), Excerpt().stats.meanings);
}

TEST(DictionaryImport, TheCoreVocabularyIsWellFormed) {
  DictionarySources sources;
  sources.edict = Euc("犬 [いぬ] /(n) dog/(P)/\n");
  sources.coreVocabulary = std::string(CoreVocabularyTable());
  std::string bytes;
  DictionaryImportStats stats;
  const Status imported = ImportDictionary(sources, bytes, &stats);
  ASSERT_TRUE(imported.ok()) << imported.message();
  EXPECT_GE(stats.coreWords, 5000);
  EXPECT_GE(stats.headWords, stats.coreWords);

  // A table line that is not word TAB sense... is refused, never half-used; the message quotes
  // it.
  const std::pair<std::string, std::string> kBadTables[] = {
      {"dog\n", "dog"},                                               // no meaning
      {"dog\tonly\n", "dog\tonly"},                                   // only "only"
      {"Dog\t犬\n", "Dog\t犬"},                                       // not lower case
      {"d\t犬\n", "d\t犬"},                                           // one letter
      {"dog\t" + std::string(49, 'x') + "\n", std::string(49, 'x')},  // 49 bytes
      {"dog\t丂\n", "dog\t丂"},                                       // not in CP932
      {"dog\t1\t2\t3\t4\t5\t6\n", "dog\t1\t2"},                       // six meanings
      {"dog\t犬\ndog\t狗\n", "dog\t狗"},                              // twice
  };
  for (const auto& [table, quoted] : kBadTables) {
    sources.coreVocabulary = "# comment\n" + table;
    bytes = "left alone";
    const Status s = ImportDictionary(sources, bytes);
    EXPECT_NE(s.message().find(quoted), std::string::npos) << table;
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
  const std::string gz = Gzip("entries");
  ASSERT_TRUE(Gunzip(gz, data).ok());
  EXPECT_EQ(data, "entries");
  ASSERT_TRUE(Gunzip(gz + Gzip(" and more"), data).ok());  // two members
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

std::vector<EdictCandidate> Read(std::string_view utf8Lines) {
  EdictImportStats stats;
  return ReadEdictCandidates(Euc(utf8Lines), stats);
}

// The meanings a head word's candidates give (UTF-8), in file order.
Strings MeaningsOf(const std::vector<EdictCandidate>& cands, std::string_view word) {
  Strings out;
  for (const EdictCandidate& c : cands) {
    if (c.head == Utf8ToUtf16(word))
      out.push_back(Utf16ToUtf8(c.Meaning()));
  }
  return out;
}

Strings HeadWords(const std::vector<EdictCandidate>& cands) {
  Strings out;
  for (const EdictCandidate& c : cands)
    out.push_back(Utf16ToUtf8(c.head));
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

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

TEST(EdictInput, UndecodableLinesAreSkippedAndCounted) {
  const std::string text = Euc("犬 [いぬ] /(n) dog/\n") + "\xA4\xFF\xFF /(n) cat/\n" +
                           Euc("猫 [ねこ] /(n) cat/\r\nnot an entry\n");
  EdictImportStats stats;
  const std::vector<EdictCandidate> dic = ReadEdictCandidates(text, stats);
  EXPECT_EQ(MeaningsOf(dic, "cat"), (Strings{"【名】猫(ねこ)"}));  // CR LF ends a line too
  EXPECT_EQ(stats.lines, 4);
  EXPECT_EQ(stats.undecodableLines, 1);
}

// ---- The real sources of the system, when they are installed

class SystemSources : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    auto sources = std::make_unique<DictionarySources>();
    if (ReadDictionarySources(SourcePaths{}, *sources).ok()) {
      TempDir dir;
      WriteBytes(dir / "Dic_EJ.txt", MakeImportedDicFileBytes(BuildDictionary(*sources)));
      sFile = std::make_unique<Dictionary>();
      if (!sFile->LoadDicFile(dir / "Dic_EJ.txt").ok())
        sFile.reset();
    }
  }
  static void TearDownTestSuite() { sFile.reset(); }
  void SetUp() override {
    if (!sFile)
      GTEST_SKIP() << "edict, dict-freedict-eng-jpn or wordnet-base is not installed";
  }
  // The popup a word of a text shows: its entries found as the text view finds them.
  static Popup PopupOf(std::string_view word) {
    const StrList& words = sFile->Words();
    const StrList& meanings = sFile->Meanings();
    std::vector<int> hits = DicHitsOfWord(words, U16(word));
    if (hits.empty())
      hits = NegatedWordHits(words, meanings, U16(word));
    return BuildPopup(U16(word), hits, words, meanings);
  }
  static inline std::unique_ptr<Dictionary> sFile;
};

// Words whose popup misled readers, and the Japanese its first line must now hold: frequent
// words with a rare sense first, forms whose own entry hid their base, look-alikes the suffix
// rules reach, words of real texts, a negated word.
const std::pair<const char*, const char*> kFirstLines[] = {
    {"said", "言った"},        {"get", "手に入れる"}, {"home", "家"},       {"keep", "持"},
    {"lot", "たくさん"},       {"ready", "準備"},     {"mean", "意味する"}, {"right", "正しい"},
    {"second", "2番目"},       {"wrong", "間違"},     {"doctor", "医者"},   {"word", "言葉"},
    {"story", "話"},           {"true", "本当"},      {"deal", "取引"},     {"sister", "姉妹"},
    {"sick", "病気"},          {"alive", "生きて"},   {"won", "勝った"},    {"minutes", "分"},
    {"used", "使った"},        {"looks", "見える"},   {"saw", "見た"},      {"being", "beの"},
    {"doing", "doの"},         {"has", "haveの"},     {"did", "doの"},      {"died", "死ぬ"},
    {"naked", "裸"},           {"shining", "輝"},     {"publish", "出版"},  {"released", "解放"},
    {"executed", "executeの"}, {"banker", "銀行"},    {"fellow", "男"},     {"water", "水"},
    {"hot", "暑い"},           {"ate", "食べた"},     {"children", "子供"}, {"unsmiling", "否定"},
};

TEST_F(SystemSources, ThePopupsFirstLineGivesTheEverydaySense) {
  for (const auto& [english, japanese] : kFirstLines) {
    // The first line a reader takes for a meaning: a base form's head word stands above it.
    const Popup popup = PopupOf(english);
    const auto meaning = std::find_if(popup.lines.begin(), popup.lines.end(), [&](const auto& l) {
      return std::find(popup.headWords.begin(), popup.headWords.end(), l) == popup.headWords.end();
    });
    const std::string first = meaning == popup.lines.end() ? "" : Utf16ToUtf8(*meaning);
    EXPECT_NE(first.find(japanese), std::string::npos)
        << english << " should show " << japanese << " first: " << first;
  }
}

// What the suffix rules reach by accident (roa from road, ol from old, com from coming) is
// neither shown in the popup nor an acronym.
TEST_F(SystemSources, ThePopupShowsNothingOrdinaryWordsReachByAccident) {
  for (const char* word :
       {"road", "old", "coming", "has", "was", "its", "being", "doing", "said"}) {
    const Popup popup = PopupOf(word);
    EXPECT_EQ(popup.headWords, std::vector<std::u16string>{U16(word)}) << word;
    for (const std::u16string& line : popup.lines)
      EXPECT_EQ(line.find(u"ホームオートメーション"), std::u16string::npos) << word;
  }
}

// Every line of the core vocabulary that opens with a form (said: 【sayの過去・過去分詞】) names a
// word of the dictionary, and its popup leads the reader to it: the form's own entry names the
// base, the base itself is shown, or its meanings are; and every sense carries a word class or
// a form label.
TEST_F(SystemSources, EveryFormOfTheCoreVocabularyReachesItsLemma) {
  int forms = 0;
  ForEachPiece(Utf8ToUtf16(CoreVocabularyTable()), u'\n', [&](std::u16string_view line) {
    if (line.empty() || line.starts_with(u'#'))
      return;
    const std::vector<std::u16string_view> fields = SplitAt(line, u'\t');
    const bool only = fields.back() == u"only";
    for (size_t f = 1; f + (only ? 1 : 0) < fields.size(); ++f) {
      EXPECT_TRUE(only || ClassesOfMeanings(fields[f]) != 0) << Utf16ToUtf8(line);
    }
    const std::vector<std::u16string_view> bases = BasesNamed(fields[1]);
    if (bases.empty() || bases.front().find(u' ') != std::u16string_view::npos)
      return;  // no form, or a contraction (don't: 【do notの短縮】)
    ++forms;
    const std::u16string base(bases.front());
    int idx = 0;
    EXPECT_TRUE(FindInSortedList(sFile->Words(), base, idx))
        << Utf16ToUtf8(fields[0]) << " names " << Utf16ToUtf8(base) << ", no head word";
    const Popup popup = PopupOf(Utf16ToUtf8(fields[0]));
    EXPECT_FALSE(popup.empty()) << Utf16ToUtf8(fields[0]);
  });
  EXPECT_GT(forms, 1000);
}

TEST_F(SystemSources, NineteenInTwentyWordsOfTheGplAreKnown) {
  const std::string text = LicenceText();
  if (text.empty())
    GTEST_SKIP() << "no licence text to read";
  long long tokens = 0, known = 0;
  for (size_t i = 0, j = 0; i < text.size(); i = j) {
    for (j = i + 1; IsAlphabet(text[i]) && j < text.size() && IsWordChr(text[j]);)
      ++j;
    if (!IsAlphabet(text[i]) || j - i < 2)
      continue;
    ++tokens;
    if (!DicHitsOfWord(sFile->Words(), LowerAscii(U16(text.substr(i, j - i)))).empty())
      ++known;
  }
  ASSERT_GT(tokens, 1000);
  EXPECT_GE(known * 1000, tokens * 955) << known << " of " << tokens << " words known";
}

}  // namespace
}  // namespace kelmoa
