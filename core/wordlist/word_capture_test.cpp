// What a capture keeps of a word: the context lines its sentence runs across, the sentence, and
// the popup's lines and head words.
#include "core/wordlist/word_capture.h"

#include <gtest/gtest.h>

#include <memory>

#include "core/base/codepage.h"
#include "core/settings/settings.h"
#include "core/text/word_info.h"

namespace kelmoa {
namespace {

StrList Lines(std::initializer_list<const char*> lines) {
  StrList list = NewStrList();
  for (const char* l : lines)
    list.push_back(U16(l));
  return list;
}

TEST(WordCapture, ContextTakesTheLinesTheSentenceRunsAcross) {
  struct Case {
    std::initializer_list<const char*> lines;
    int line;
    const char* word;
    bool before, after;
    const char* sentence;
  };
  const Case cases[] = {
      {{"He was very hungry."}, 1, "hungry", false, false, "He was very hungry."},
      {{"The old man was", "hungry and tired.", "Next."},
       2,
       "hungry",
       true,
       false,
       "The old man was hungry and tired."},
      {{"It rained. The man", "was hungry", "and cold. Then he"},
       2,
       "hungry",
       true,
       true,
       "The man was hungry and cold."},
      // The line before ends a sentence, with or without a closing quote.
      {{"I ate.", "Hungry again, he slept."}, 2, "Hungry", false, false, "Hungry again, he slept."},
      {{"he said \"Stop.\"", "hungry men ran", "far away."},
       2,
       "hungry",
       false,
       true,
       "hungry men ran far away."},
      // A blank line is a paragraph break.
      {{"", "hungry men ran", "  "}, 2, "hungry", false, false, "hungry men ran"},
      // A sentence ends in the line before or after the word.
      {{"tired", "man. He was hungry", "and so"}, 2, "hungry", false, true, "He was hungry and so"},
      {{"the", "hungry! Yes", "more"}, 2, "hungry", true, false, "the hungry!"},
      // The first and the last line of the text.
      {{"hungry", "men"}, 1, "hungry", false, true, "hungry men"},
      {{"the", "hungry"}, 2, "hungry", true, false, "the hungry"},
      // Indentation and TABs stay within the sentence, not around it.
      {{"    Once the\tman", "  was hungry ", "  indeed. Then"},
       2,
       "hungry",
       true,
       true,
       "Once the\tman was hungry indeed."},
  };
  for (const Case& c : cases) {
    const StrList lines = Lines(c.lines);
    const std::u16string word = U16(c.word);
    const int column = static_cast<int>(lines[static_cast<size_t>(c.line)].find(word)) + 1;
    const WordContext ctx = ContextOfWord(lines, c.line, column, static_cast<int>(word.size()));
    SCOPED_TRACE(c.sentence);
    EXPECT_EQ(ctx.line, lines[static_cast<size_t>(c.line)]);
    EXPECT_EQ(ctx.lineBefore.empty(), !c.before);
    EXPECT_EQ(ctx.lineAfter.empty(), !c.after);
    if (c.before) {
      EXPECT_EQ(ctx.lineBefore, lines[static_cast<size_t>(c.line - 1)]);
    }
    if (c.after) {
      EXPECT_EQ(ctx.lineAfter, lines[static_cast<size_t>(c.line + 1)]);
    }
    const ContextSentence s = SentenceOf(ctx);
    EXPECT_EQ(Utf16ToUtf8(s.text), c.sentence);
    EXPECT_EQ(s.text.substr(s.wordStart, s.wordLength), word);
  }
}

// The word's own entry gives its meanings; one found through a base form gives its head word
// on a line of its own above them, as in the popup. Words without an entry are not captured.
TEST(WordCapture, CaptureKeepsWhatThePopupShows) {
  const StrList dicWord = Lines({"hungry", "run"});
  const StrList dicMeaning = Lines({"空腹の", "走る\t経営する"});
  auto doc = std::make_unique<TextDocument>();
  SettingInfo setting;
  int maxRight = 0, longest = 0;
  SetNewTextLines(*doc, Lines({"The Hungry dogs were", "running home. Zzzz"}), setting, maxRight,
                  longest);
  MarkKnownWords(*doc, dicWord);
  using Strings = std::vector<std::u16string>;

  WordCapture c;
  ASSERT_TRUE(CaptureWord(*doc, FindWordOnLine(doc->words, 1, u"hungry"), dicWord, dicMeaning,
                          "a.txt", 0, c));
  EXPECT_EQ(c.word, u"Hungry");
  EXPECT_EQ(c.headWords, Strings{u"hungry"});
  EXPECT_EQ(c.meanings, Strings{u"空腹の"});
  EXPECT_EQ(c.context.added, "1970-01-01T00:00:00Z");
  ASSERT_TRUE(CaptureWord(*doc, FindWordOnLine(doc->words, 2, u"running"), dicWord, dicMeaning,
                          "a.txt", 1796646896, c));
  EXPECT_EQ(c.headWords, Strings{u"run"});
  EXPECT_EQ(c.meanings, (Strings{u"run", u"走る", u"経営する"}));
  EXPECT_EQ(c.context.lineBefore, u"The Hungry dogs were");
  EXPECT_EQ(c.context.added, "2026-12-07T12:34:56Z");
  EXPECT_FALSE(CaptureWord(*doc, FindWordOnLine(doc->words, 2, u"Zzzz"), dicWord, dicMeaning,
                           "a.txt", 0, c));
}

}  // namespace
}  // namespace kelmoa
