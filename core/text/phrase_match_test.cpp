// Phrases in a text: the phrase dictionary's file, matching, and the popup and word list that
// show them, through the reading session as the window and kelmoa-tool use it.
#include "core/text/phrase_match.h"

#include <gtest/gtest.h>

#include "core/base/codepage.h"
#include "core/base/fixtures_test.h"
#include "core/text/reading_session.h"

namespace kelmoa {
namespace {

using namespace testing;  // the shared fixtures

class Phrases : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeDataFolders(dir.path());
    // The irregular forms name their base, as the import writes them; a user registered
    // "look forward to" under forward, as the dictionary editor tells.
    WriteBytes(
        dir / "dic/Dic_EJ.txt",
        SjisLines({"as\t①【接】～のように", "forward\t①【副】前へ",
                   "forward\tlook forward to ～(名詞) ～を待ち望む", "gave\t①【giveの過去】与えた",
                   "give\t①【他】与える", "given\t①【giveの過去分詞】与えられた",
                   "is\t①【beの三単現】～である", "up\t①【副】上へ"}));
    WriteBytes(dir / "dic/Phrase_EJ.txt",
               SjisLines({"as well\t①【副】～もまた", "as well as\t①【前】～だけでなく",
                          "be going to\t①【助動】～するつもりだ", "give up\t①【他】諦める",
                          "in spite of\t①【前】～にもかかわらず", "of course\t①【副】もちろん",
                          "out of\t①【前】～から外へ", "pick up\t①【他】拾い上げる",
                          "turn down\t①【他】断る", "turn out\t①【自】～だとわかる",
                          // no phrases: one word, seven words, a digit, two spaces
                          "alone\t①x", "a b c d e f g\t①x", "b2 c\t①x", "d  e\t①x"}));
    ASSERT_TRUE(session.LoadDictionary().ok());
  }

  // Opens a text of the given lines (Shift_JIS, CR LF).
  void Open(const std::vector<std::string>& lines) {
    WriteBytes(dir / "t.txt", SjisLines(lines));
    SettingInfo setting;
    setting.HalfWidth = 7;
    setting.FullWidth = 14;
    ASSERT_TRUE(session.Open(dir / "t.txt", setting).ok());
  }
  // The word of the text at line:n-th word (both from 1).
  int WordAt(int line, int n) const {
    return session.Document().words.mLineFirstWord[static_cast<size_t>(line)] + n - 1;
  }
  // The phrase the popup of that word shows, as its dictionary writes it, or "".
  std::string PhraseOf(int line, int n) const {
    const PhraseSpan* span = session.PhraseAt(WordAt(line, n));
    return span == nullptr ? "" : Utf16ToUtf8(session.Phrases()[span->phrase].text);
  }

  TempDir dir;
  ReadingSession session{dir.path()};
};

// The phrase dictionary's file: phrases of 2 to 6 words only, a user's phrase registered
// under a word, and none at all when the file is missing or is no dictionary file.
TEST_F(Phrases, ThePhraseFileKeepsPhrasesAndAMissingOneMeansNone) {
  const PhraseDictionary& phrases = session.Phrases();
  std::vector<std::string> texts;
  for (int i = 0; i < phrases.Count(); ++i)
    texts.push_back(Utf16ToUtf8(phrases[i].text));
  EXPECT_EQ(texts, (std::vector<std::string>{"as well", "as well as", "be going to", "give up",
                                             "in spite of", "of course", "out of", "pick up",
                                             "turn down", "turn out", "look forward to"}));
  EXPECT_TRUE(phrases[phrases.Count() - 1].verb == false);  // the user's meaning has no tag
  EXPECT_TRUE(phrases[7].separable);                        // pick up 【他】
  EXPECT_FALSE(phrases[9].separable);                       // turn out 【自】

  for (const std::string& bytes : {std::string("\xff\xfe\x00\x01 binary"), std::string()}) {
    WriteBytes(dir / "dic/Phrase_EJ.txt", bytes);
    EXPECT_TRUE(session.LoadDictionary().ok()) << "the words load without the phrases";
    EXPECT_EQ(session.Phrases().Count(), 1) << bytes;  // the registered one
  }
  std::filesystem::remove(dir / "dic/Phrase_EJ.txt");
  EXPECT_TRUE(session.LoadDictionary().ok());
  EXPECT_EQ(session.Phrases().Count(), 1);
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
// then the word's own lines; the word list takes the phrase with its meanings.
TEST_F(Phrases, ThePopupAndTheWordListShowThePhraseFirst) {
  Open({"Then he gave up the fight."});
  const int gave = WordAt(1, 3);
  EXPECT_EQ(session.PopupLines(gave),
            (std::vector<std::u16string>{u"give up", u"①【他】諦める", u"①【giveの過去】与えた"}));
  EXPECT_EQ(session.PopupLines(WordAt(1, 2)), std::vector<std::u16string>());  // he: none
  WordCapture capture;
  ASSERT_TRUE(session.Capture(WordAt(1, 4), "t.txt", 0, capture));
  EXPECT_EQ(capture.word, u"give up");
  EXPECT_EQ(capture.meanings, std::vector<std::u16string>{u"①【他】諦める"});
  const ContextSentence sentence = SentenceOf(capture.context);
  EXPECT_EQ(sentence.text.substr(sentence.wordStart, sentence.wordLength), u"gave up");
}

}  // namespace
}  // namespace kelmoa
