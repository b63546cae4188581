// The reading session as a window uses it: open, hit test, popup lines, dictionary changes
// written through with their observers told, failures that leave everything as it was.
#include "core/text/reading_session.h"

#include <gtest/gtest.h>

#include "core/base/fixtures_test.h"
#include "core/text/messages.h"

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
  SettingInfo setting = [] {
    SettingInfo s;
    s.HalfWidth = 7;
    s.FullWidth = 14;
    return s;
  }();
};

TEST_F(Session, OpensATextAndFindsItsWordsAndMeanings) {
  const OpenResult opened = session.Open(Text("The dog runs.\r\nA cat.\r\n"), setting);
  ASSERT_TRUE(opened.ok());
  EXPECT_EQ(view.texts, 1);
  EXPECT_TRUE(session.HasText());
  const WordTable& t = session.Document().words;
  ASSERT_EQ(t.Count(), 5);  // The dog runs A cat
  EXPECT_EQ(session.WordAt(1, Mid(2)), 2);
  EXPECT_EQ(session.WordAt(1, t.mWordX1[2]), 0) << "the left edge is outside the word";
  EXPECT_EQ(session.WordAt(2, Mid(2)), 0) << "only the words of the given line count";
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

}  // namespace
}  // namespace kelmoa
