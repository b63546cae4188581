// What a capture keeps of where a word was met: the context lines its sentence runs across, and
// the sentence (what it keeps of the popup: reading_session_test.cpp).
#include "core/wordlist/word_capture.h"

#include <gtest/gtest.h>

#include <tuple>

#include "core/base/codepage.h"
#include "core/base/helpers.h"

namespace kelmoa {
namespace {

// Split on '|'; the word (hungry, in any case) is on the line marked '*', and the lines marked
// '+' are the ones its context keeps beside it.
TEST(WordCapture, ContextTakesTheLinesTheSentenceRunsAcross) {
  const std::pair<const char*, const char*> cases[] = {
      {"*He was very hungry.", "He was very hungry."},
      {"+The old man was|*hungry and tired.|Next.", "The old man was hungry and tired."},
      {"+It rained. The man|*was hungry|+and cold. Then he", "The man was hungry and cold."},
      // The line before ends a sentence, with or without a closing quote.
      {"I ate.|*Hungry again, he slept.", "Hungry again, he slept."},
      {"he said \"Stop.\"|*hungry men ran|+far away.", "hungry men ran far away."},
      // A blank line is a paragraph break.
      {"|*hungry men ran|  ", "hungry men ran"},
      // A sentence ends in the line before or after the word.
      {"tired|*man. He was hungry|+and so", "He was hungry and so"},
      {"+the|*hungry! Yes|more", "the hungry!"},
      // The first and the last line of the text.
      {"*hungry|+men", "hungry men"},
      {"+the|*hungry", "the hungry"},
      // Indentation and TABs stay within the sentence, not around it.
      {"+    Once the\tman|*  was hungry |+  indeed. Then", "Once the\tman was hungry indeed."},
  };
  for (const auto& [text, sentence] : cases) {
    SCOPED_TRACE(text);
    StrList lines = NewStrList();
    std::u16string before, after;
    int line = 0;
    const std::u16string all = U16(text);
    for (const std::u16string_view part : SplitAt(all, u'|')) {
      const char16_t mark = part.empty() ? u' ' : part[0];
      const std::u16string l(mark == u'*' || mark == u'+' ? part.substr(1) : part);
      if (mark == u'*')
        line = static_cast<int>(lines.size());
      else if (mark == u'+')
        (line == 0 ? before : after) = l;
      lines.push_back(l);
    }
    const std::u16string& wordLine = lines[static_cast<size_t>(line)];
    const int column = static_cast<int>(wordLine.find(u"ungry"));  // 1-based: at the h
    const WordContext ctx = ContextOfWord(lines, line, column, 6);
    EXPECT_EQ(std::tie(ctx.lineBefore, ctx.line, ctx.lineAfter), std::tie(before, wordLine, after));
    const ContextSentence s = SentenceOf(ctx);
    EXPECT_EQ(Utf16ToUtf8(s.text), sentence);
    EXPECT_EQ(LowerAscii(s.text.substr(s.wordStart, s.wordLength)), u"hungry");
  }
}

}  // namespace
}  // namespace kelmoa
