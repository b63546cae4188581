// The reading session as a window and kelmoa-tool use it: open, hit test, popup lines, phrases,
// dictionary changes written through with their observers told, failures that leave everything
// as it was; and what the open routine makes of files that come from anywhere.
#include "core/text/reading_session.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <random>

#include "core/base/codepage.h"
#include "core/base/fixtures_test.h"
#include "core/text/messages.h"
#include "core/text/open_text.h"
#include "core/text/phrase_match.h"

namespace kelmoa {
namespace {

using namespace testing;  // the shared fixtures

// Counts what the session tells a view.
struct CountingView : SessionObserver {
  int texts = 0;
  int dictionaries = 0;
  void TextChanged() override { ++texts; }
  void DictionaryChanged() override { ++dictionaries; }
};

class Session : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeDataFolders(dir.path());
    setting.HalfWidth = 7;
    setting.FullWidth = 14;
    WriteBytes(dir / "dic/Dic_EJ.txt", SjisLines({"dog\t犬", "dog\t【動】つけ回す", "run\t走る"}));
    ASSERT_TRUE(session.LoadDictionary().ok());
    session.AddObserver(view);
  }
  std::string Text(const std::string& bytes) {
    WriteBytes(dir / "t.txt", bytes);
    return dir / "t.txt";
  }
  // The word k's x in the middle of it.
  double Mid(int k) const {
    const WordTable& t = session.Document().words;
    return (t.mWordX1[static_cast<size_t>(k)] + t.mWordX2[static_cast<size_t>(k)]) / 2.0;
  }

  TempDir dir;
  ReadingSession session{dir.path()};
  CountingView view;
  SettingInfo setting;
};

TEST_F(Session, OpensATextAndFindsItsWordsAndMeanings) {
  const OpenResult opened = session.Open(Text("The dog runs.\r\nA cat.\r\n"), setting);
  ASSERT_TRUE(opened.ok());
  EXPECT_EQ(view.texts, 1);
  EXPECT_TRUE(session.HasText());
  const WordTable& t = session.Document().words;
  ASSERT_EQ(t.Count(), 5);                  // The dog runs A cat
  EXPECT_EQ(session.WordAt(1, Mid(2)), 2);  // the edges and the lines: the hit test's tests
  EXPECT_EQ(session.WordAt(3, Mid(2)), 0) << "past the last line";
  // The meanings in the order the dictionary keeps them.
  EXPECT_EQ(session.PopupLines(2), (std::vector<std::u16string>{u"【動】つけ回す", u"犬"}));
  // Found through its base form: the head word stands above its meaning.
  EXPECT_EQ(session.PopupLines(3), (std::vector<std::u16string>{u"run", u"走る"}));
  EXPECT_TRUE(session.PopupLines(5).empty()) << "cat is unknown";
  EXPECT_TRUE(session.PopupLines(99).empty());
  // The word list keeps what the popup shows, and where the word stood.
  WordCapture c;
  ASSERT_TRUE(session.Capture(3, "a.txt", 1796646896, c));
  EXPECT_EQ(c.word, u"runs");
  EXPECT_EQ(c.headWords, std::vector<std::u16string>{u"run"});
  EXPECT_EQ(c.meanings, session.PopupLines(3));
  EXPECT_EQ(c.context.line, u"The dog runs.");
  EXPECT_EQ(c.context.file, "a.txt");
  EXPECT_EQ(c.context.added, "2026-12-07T12:34:56Z");
  EXPECT_FALSE(session.Capture(5, "a.txt", 0, c)) << "cat is unknown";
  EXPECT_FALSE(session.Capture(99, "a.txt", 0, c));
}

// Each file the reader refuses gets its kind and a message saying why, and the open text
// stays as it was.
TEST_F(Session, ARejectedTextLeavesTheOpenOneAlone) {
  ASSERT_TRUE(session.Open(Text("the dog\r\n"), setting).ok());
  std::string nineThousand, fiftyOneWide;
  for (int i = 0; i < 9000; ++i)
    nineThousand += "line\r\n";
  for (int i = 0; i < 51; ++i)
    fiftyOneWide += Sjis("あ");
  using Kind = OpenResult::Outcome;
  struct Case {
    const char* name;
    std::string bytes;
    Kind kind;
    std::u16string says;  // a part of the message
  } const cases[] = {
      {"UTF-8", "caf\xc3\xa9\r\n", Kind::kWrongCode, u"ファイル名＝"},
      {"broken double-byte character", "text \x82\x20 broken\r\n", Kind::kWrongCode,
       u"ファイル名＝"},
      {"NUL bytes", std::string(4096, '\0'), Kind::kLineTooLong, u"1行目：4096バイト"},
      {"double-byte characters count twice",
       "short\r\n" + fiftyOneWide + "\r\n" + std::string(300, 'y'), Kind::kLineTooLong,
       MsgLineTooLong(2, 102)},
      {"9001 lines", nineThousand + "\r\n", Kind::kTooManyLines,
       u"読込むテキストファイルの行数は9000行までです。"},
      {"line 9001 too long", nineThousand + std::string(101, 'z'), Kind::kLineTooLong,
       u"9001行目：101バイト"},
  };
  for (const Case& c : cases) {
    const OpenResult opened = session.Open(Text(c.bytes), setting);
    ASSERT_FALSE(opened.ok()) << c.name;
    EXPECT_EQ(opened.outcome, c.kind) << c.name;
    EXPECT_NE(MsgTextRefusal(opened, dir / "t.txt").find(c.says), std::u16string::npos) << c.name;
  }
  const OpenResult missing = session.Open(dir / "none.txt", setting);
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.outcome, OpenResult::Outcome::kUnreadable);
  EXPECT_FALSE(missing.status.ok());
  EXPECT_EQ(session.Document().mTxt, (StrList{u"", u"the dog"}));
  EXPECT_EQ(view.texts, 1);
}

// A change written through marks the words again and tells the views; a failed one changes
// nothing and tells no one.
TEST_F(Session, ChangesMarkTheWordsAgainOnlyWhenWritten) {
  ASSERT_TRUE(session.Open(Text("the cat\r\n"), setting).ok());
  ASSERT_TRUE(session.PopupLines(2).empty());

  FailingOps full;
  full.failOp = "write";
  session.SetFileOps(full);
  const DicChange failed = session.AddMeaning(u"cat", u"猫");
  EXPECT_EQ(failed.outcome, DicChange::Outcome::kFailed);
  EXPECT_TRUE(session.PopupLines(2).empty());
  EXPECT_EQ(view.dictionaries, 0);

  session.SetFileOps(DefaultFileOps());
  ASSERT_TRUE(session.AddMeaning(u"cat", u"猫").ok());
  EXPECT_EQ(session.PopupLines(2), (std::vector<std::u16string>{u"猫"}));
  EXPECT_EQ(view.dictionaries, 1);

  const DicChange refused = session.DeleteMeaning(99, u"cat 猫");
  EXPECT_EQ(refused.outcome, DicChange::Outcome::kRefused);
  EXPECT_EQ(view.dictionaries, 1);

  ASSERT_EQ(session.Dic().Words()[1], u"cat");
  ASSERT_TRUE(session.DeleteMeaning(1, u"cat 猫").ok());
  EXPECT_TRUE(session.PopupLines(2).empty());
  EXPECT_EQ(view.dictionaries, 2);

  session.RemoveObserver(view);
  ASSERT_TRUE(session.AddMeaning(u"cat", u"猫").ok());
  EXPECT_EQ(view.dictionaries, 2) << "a removed view hears nothing";
}

// Phrases in a text: the phrase dictionary's file, matching, and the popup and word list that
// show them.
class Phrases : public Session {
 protected:
  void SetUp() override {
    Session::SetUp();
    // The irregular forms name their base, as the import writes them; a user registered
    // "look forward to" under forward, as the dictionary editor tells.
    WriteBytes(
        dir / "dic/Dic_EJ.txt",
        SjisLines({"as\t①【接】～のように", "forward\t①【副】前へ",
                   "forward\tlook forward to ～(名詞) ～を待ち望む", "gave\t①【giveの過去】与えた",
                   "give\t①【他】与える", "given\t①【giveの過去分詞】与えられた",
                   "is\t①【beの三単現】～である", "up\t①【副】上へ"}));
    WriteBytes(
        dir / "dic/Phrase_EJ.txt",
        SjisLines({"as well\t①【副】～もまた", "as well as\t①【前】～だけでなく",
                   "be going to\t①【助動】～するつもりだ", "give up\t①【他】諦める",
                   "give up\t②【自】降参する", "give up\t③【他】譲る", "give up\t④【他】引き渡す",
                   "in spite of\t①【前】～にもかかわらず", "of course\t①【副】もちろん",
                   "out of\t①【前】～から外へ", "pick up\t①【他】拾い上げる",
                   "turn down\t①【他】断る", "turn out\t①【自】～だとわかる",
                   // no phrases: one word, seven words, a digit, two spaces
                   "alone\t①x", "a b c d e f g\t①x", "b2 c\t①x", "d  e\t①x"}));
    ASSERT_TRUE(session.LoadDictionary().ok());
  }

  // Opens a text of the given lines (Shift_JIS, CR LF).
  void Open(const std::vector<std::string>& lines) {
    ASSERT_TRUE(session.Open(Text(SjisLines(lines)), setting).ok());
  }
  // The word of the text at line:n-th word (both from 1).
  int WordAt(int line, int n) const {
    return session.Document().words.mLineFirstWord[static_cast<size_t>(line)] + n - 1;
  }
  // The phrase the popup of that word shows, as its dictionary writes it, or "".
  std::string PhraseOf(int line, int n) const {
    const PhraseSpan* span = session.PhraseAt(WordAt(line, n));
    return span == nullptr ? "" : Utf16ToUtf8(session.Phrases()[span->phrase].Text());
  }
};

// The phrase dictionary's file: phrases of 2 to 6 words only, a user's phrase registered
// under a word, and none at all when the file is missing or is no dictionary file.
TEST_F(Phrases, ThePhraseFileKeepsPhrasesAndAMissingOneMeansNone) {
  const PhraseDictionary& phrases = session.Phrases();
  std::vector<std::string> texts;
  for (int i = 0; i < phrases.Count(); ++i)
    texts.push_back(Utf16ToUtf8(phrases[i].Text()));
  EXPECT_EQ(texts, (std::vector<std::string>{"as well", "as well as", "be going to", "give up",
                                             "in spite of", "of course", "out of", "pick up",
                                             "turn down", "turn out", "look forward to"}));
  EXPECT_TRUE(phrases[phrases.Count() - 1].verb == false);  // the user's meaning has no tag
  EXPECT_TRUE(phrases[7].separable);                        // pick up 【他】
  EXPECT_FALSE(phrases[9].separable);                       // turn out 【自】
  EXPECT_EQ(phrases.StartingWith(u"give"), std::vector<int>{3});

  // A second meaning of a registered phrase joins its lines; a phrase in capitals is found by
  // its lower case. Taken again with every change, the registered phrases never pile up.
  ASSERT_TRUE(session.AddMeaning(u"look", u"look forward to ～ ～を楽しみにする").ok());
  ASSERT_TRUE(session.AddMeaning(u"Rome", u"When in Rome ～ 郷に入っては郷に従え").ok());
  ASSERT_EQ(phrases.Count(), 12);
  const std::vector<int> look = phrases.StartingWith(u"look");
  const std::vector<int> when = phrases.StartingWith(u"when");
  ASSERT_EQ(look.size() + when.size(), 2u);
  EXPECT_EQ(phrases[look[0]].Lines().size(), 2u);
  EXPECT_EQ(phrases[when[0]].Text(), u"When in Rome");
  EXPECT_EQ(phrases[when[0]].Words()[2], u"rome");

  for (const std::string& bytes : {std::string("\xff\xfe\x00\x01 binary"), std::string()}) {
    WriteBytes(dir / "dic/Phrase_EJ.txt", bytes);
    EXPECT_TRUE(session.LoadDictionary().ok()) << "the words load without the phrases";
    EXPECT_EQ(session.Phrases().Count(), 2) << bytes;  // the registered ones
  }
  std::filesystem::remove(dir / "dic/Phrase_EJ.txt");
  EXPECT_TRUE(session.LoadDictionary().ok());
  EXPECT_EQ(session.Phrases().Count(), 2);
}

// Which phrase a word of a sentence stands in: inflected and irregular first words (gave,
// Giving, gives, given), the object between a verb and its particle (picked it up), across a
// line break, the longest phrase (as well as), and never across punctuation (turned, out), two
// or more words between, or the halves of a broken word (up-date).
TEST_F(Phrases, APhraseIsFoundFromAnyOfItsWords) {
  Open({"He gave up. Giving up, he gives up and has given up.",    // 1
        "She picked it up and turned the offer down; Of Course.",  // 2
        "We will give",                                            // 3
        "up soon, as well as they. He turned, out of breath.",     // 4
        "Give it back up. Give up-",                               // 5
        "date the list. He is going to look forward to it.",       // 6
        "In spite of it all. Turned the very old offer down."});   // 7
  // Each phrase, and the words (line, n-th word) that stand in it.
  const std::pair<const char*, std::vector<std::pair<int, int>>> kCases[] = {
      {"give up", {{1, 2}, {1, 3}, {1, 4}, {1, 7}, {1, 11}, {1, 12}, {3, 3}, {4, 1}}},
      {"pick up", {{2, 2}, {2, 4}}},
      {"turn down", {{2, 6}, {2, 9}}},
      {"of course", {{2, 10}}},
      {"as well as", {{4, 3}, {4, 5}}},
      {"out of", {{4, 9}}},
      {"be going to", {{6, 5}, {6, 7}}},
      {"look forward to", {{6, 8}, {6, 10}}},
      {"in spite of", {{7, 1}, {7, 3}}},
      {"", {{1, 1}, {2, 3}, {4, 8}, {5, 1}, {5, 4}, {5, 5}, {5, 6}, {6, 1}, {7, 6}, {7, 10}}},
  };
  for (const auto& [phrase, words] : kCases) {
    for (const auto& [line, n] : words)
      EXPECT_EQ(PhraseOf(line, n), phrase) << line << ":" << n;
  }
}

// The popup shows the phrase first, under a line with the phrase as its dictionary writes it,
// with its first three meanings, then the word's own lines; the word list takes the phrase
// with all its meanings.
TEST_F(Phrases, ThePopupAndTheWordListShowThePhraseFirst) {
  Open({"Then he gave up the fight."});
  const int gave = WordAt(1, 3);
  EXPECT_EQ(session.PopupLines(gave),
            (std::vector<std::u16string>{u"give up", u"①【他】諦める", u"②【自】降参する",
                                         u"③【他】譲る", u"①【giveの過去】与えた"}));
  EXPECT_EQ(session.PopupLines(WordAt(1, 2)), std::vector<std::u16string>());  // he: none
  WordCapture capture;
  ASSERT_TRUE(session.Capture(WordAt(1, 4), "t.txt", 0, capture));
  EXPECT_EQ(capture.word, u"give up");
  EXPECT_EQ(capture.meanings.size(), 4u);
  const ContextSentence sentence = SentenceOf(capture.context);
  EXPECT_EQ(sentence.text.substr(sentence.wordStart, sentence.wordLength), u"gave up");
}

long PeakResidentKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0)
      return std::stol(line.substr(6));
  }
  return 0;
}

// Random bytes: whatever code they happen to look like, a rejection with its message and no
// lines.
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
