// Preparing texts the reader refuses: whatever comes in, what goes out is accepted by the
// reader, holds the same words in the same order, and prepares to itself.
#include "core/text/prepare_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "core/base/char_code.h"
#include "core/base/fixtures_test.h"
#include "core/text/layout.h"
#include "core/text/messages.h"
#include "core/text/text_reader.h"

namespace kelmoa {
namespace {

using namespace testing;  // the shared fixtures
using Lines = std::vector<std::u16string>;

// One preparer for the whole test program: making the transliterator takes a while.
TextPreparer& Preparer() {
  static std::unique_ptr<TextPreparer> preparer = [] {
    std::unique_ptr<TextPreparer> p;
    const Status s = TextPreparer::Create(p);
    EXPECT_TRUE(s.ok()) << s.message();
    return p;
  }();
  return *preparer;
}

// The words of lines as the reader's word splitter finds them, in order.
Lines Words(const Lines& lines) {
  Lines words;
  StrList lineWords;
  std::vector<int> cols;
  for (const std::u16string& line : lines) {
    GetWordsInLine(line, lineWords, cols);
    words.insert(words.end(), lineWords.begin() + 1, lineWords.end());
  }
  return words;
}

// The words of a text's bytes after its characters are mapped, before any wrapping.
Lines MappedWords(std::string_view bytes) {
  const CharCode code = DetectCharCode(bytes);
  Lines lines;
  PrepareCounts counts;
  for (const std::u16string& line : SplitAnyLines(DecodeText(bytes, code)))
    lines.push_back(Preparer().MapLine(line, counts));
  return Words(lines);
}

// The lines of prepared parts as the reader reads them; every part must be accepted.
Lines ReadParts(const PreparedText& p, int width) {
  Lines lines;
  for (const std::string& part : p.parts) {
    const std::string code = GetCharCodeName(DetectCharCode(part));
    EXPECT_TRUE(code == "ASCII" || code == "SJIS") << code;
    StrList read;
    EXPECT_FALSE(DecodeText(part, read).broken());
    EXPECT_LE(UpperBound(read), kMaxLines);
    for (size_t i = 1; i < read.size(); ++i) {
      EXPECT_LE(GetSjisByteLen(read[i]), width) << Utf16ToUtf8(read[i]);
      lines.push_back(read[i]);
    }
    // Preparing a part gives the same bytes.
    const PreparedText again = Preparer().Prepare(part, width);
    EXPECT_EQ(again.parts, std::vector<std::string>{part});
    EXPECT_EQ(
        again.counts.linesWrapped + again.counts.charsTransliterated + again.counts.charsReplaced,
        0);
  }
  return lines;
}

// Prepares bytes at each width and checks what every prepared text must hold.
void CheckPrepared(const std::string& name, const std::string& bytes,
                   std::initializer_list<int> widths = {kMinPrepareWidth, kDefaultPrepareWidth,
                                                        kMaxPrepareWidth}) {
  SCOPED_TRACE(name);
  const Lines expected = MappedWords(bytes);
  for (const int width : widths) {
    SCOPED_TRACE(width);
    const PreparedText p = Preparer().Prepare(bytes, width);
    ASSERT_EQ(p.outcome, PrepareOutcome::kPrepared) << GetCharCodeName(p.code);
    EXPECT_EQ(Words(ReadParts(p, width)), expected);
  }
}

std::string Repeat(std::string_view s, int n) {
  std::string r;
  for (int i = 0; i < n; ++i)
    r += s;
  return r;
}

std::string Utf16Bytes(std::string_view utf8, bool littleEndian) {
  return (littleEndian ? "\xFF\xFE" : "\xFE\xFF") +
         Encode(utf8, littleEndian ? "UTF-16LE" : "UTF-16BE");
}

TEST(PrepareText, EachCharacterIsKeptMappedDroppedOrReplaced) {
  struct Case {
    const char* in;
    const char* out;
    long long transliterated, replaced;
  };
  const Case cases[] = {
      {"don’t won’t I’m", "don't won't I'm", 3, 0},
      {"dogs’ bones, ’tis", "dogs’ bones, ’tis", 0, 0},  // not between letters: CP932 has it
      // Between the letters of the result: what was dropped or transliterated beside it counts
      // as what it became, so that the result prepares to itself.
      {"Straß\u200B’s café’s", "Strass's cafe's", 4, 0},
      {"Zoë, Renée, François, café", "Zoe, Renee, Francois, cafe", 4, 0},
      {"a—b – c", "a--b - c", 2, 0},
      {"no\u00A0break\u2009thin", "no break thin", 2, 0},
      {"smile 😀!", "smile ?!", 0, 1},
      {"e\u0301te\u0301", "ete", 2, 0},  // accents as separate marks
      {"zero\u200Bwidth\u00ADsoft\uFEFF", "zerowidthsoft", 0, 0},
      {"bell\u0007\ttab\u001B", "bell\ttab", 0, 0},  // TAB stays, controls go
      {"日本語 ｶﾀｶﾅ １２３ Ωμ …", "日本語 ｶﾀｶﾅ １２３ Ωμ …", 0, 0},
      {"• item € 5 ™", "* item EUR 5 (TM)", 3, 0},
      {"这 한국 中文", "zhe hangug 中文", 3, 0},  // Chinese outside CP932, Korean
  };
  for (const Case& c : cases) {
    PrepareCounts counts;
    EXPECT_EQ(Utf16ToUtf8(Preparer().MapLine(Utf8ToUtf16(c.in), counts)), c.out) << c.in;
    EXPECT_EQ(counts.charsTransliterated, c.transliterated) << c.in;
    EXPECT_EQ(counts.charsReplaced, c.replaced) << c.in;
    EXPECT_EQ(counts.linesWrapped, 0);
  }
}

TEST(PrepareText, LongLinesWrapAtTheLastSpaceWithinTheWidth) {
  struct Case {
    std::u16string in;
    int width;
    Lines out;
  };
  const std::u16string word40(40, u'w');
  const std::u16string kana(30, u'あ');  // 60 bytes
  const Case cases[] = {
      {u"short line", 40, {u"short line"}},
      {u"  indented " + word40, 40, {u"  indented", word40}},
      {u"aaaa bbbb cccc", 9, {u"aaaa bbbb", u"cccc"}},
      {u"aaaa    bbbb", 9, {u"aaaa", u"bbbb"}},  // the spaces at the break go
      {u"    " + word40 + u"x", 40, {u"    " + word40.substr(4), u"wwwwx"}},  // cut
      {std::u16string(100, u'x'),
       40,
       {std::u16string(40, u'x'), std::u16string(40, u'x'), std::u16string(20, u'x')}},
      {kana, 40, {kana.substr(0, 20), kana.substr(20)}},
      {kana, 41, {kana.substr(0, 20), kana.substr(20)}},  // a character is never split
      {u"日本語の　文章です", 10, {u"日本語の", u"文章です"}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(WrapLine(c.in, c.width), c.out) << Utf16ToUtf8(c.in) << " at " << c.width;
}

TEST(PrepareText, TypographicTextsInEveryCodeAndLineEnd) {
  // Paragraphs of typographic English: curly quotes and apostrophes, accented names, dashes,
  // no-break spaces and an emoji.
  std::string paragraphs;
  for (int i = 1; i <= 30; ++i)
    paragraphs += "“Don’t go,” said Zoë to Renée — it was the " + std::to_string(i) +
                  "th time — and François’ café, on the Straße near Łódź, was closing\u00A0soon. "
                  "It’s fine 😀 … she’d said, ‘quietly’." +
                  (i % 3 == 0   ? "\r\n"
                   : i % 3 == 1 ? "\n"
                                : "\r") +
                  (i % 5 == 0 ? "\n" : "") + (i % 7 == 0 ? "    indented line\r\n" : "");
  CheckPrepared("UTF-8", paragraphs);
  CheckPrepared("UTF-8 with BOM", "\xEF\xBB\xBF" + paragraphs);
  CheckPrepared("UTF-16LE", Utf16Bytes(paragraphs, true));
  CheckPrepared("UTF-16BE", Utf16Bytes(paragraphs, false));

  // Japanese and English in the Japanese codes: every character is CP932's, only the lines
  // are wrapped. "a珱" rules Shift_JIS out for the detector, so that the EUC-JP text is named EUC.
  const std::string japanese = "a珱 " +
                               Repeat("日本語の文章と English words, ～ “mixed” ｶﾀｶﾅ too. ", 8) +
                               "\n\n" + Repeat("短い行\r\n", 3);
  for (const char* code : {"CP932", "EUC-JP-MS", "ISO-2022-JP-2"}) {
    const std::string bytes = Encode(japanese, code);
    CheckPrepared(code, bytes);
    const PreparedText p = Preparer().Prepare(bytes, kDefaultPrepareWidth);
    ASSERT_EQ(p.parts.size(), 1U);
    EXPECT_EQ(p.counts.charsTransliterated + p.counts.charsReplaced, 0) << code;
    EXPECT_NE(p.parts[0].find(Sjis("日本語の文章と English words, ～ “mixed” ｶﾀｶﾅ too.")),
              std::string::npos)
        << code;
  }
}

TEST(PrepareText, ALongTextIsSplitAtABlankLineIntoPartsTheReaderTakes) {
  // 20,000 lines of paragraphs three lines long, each followed by a blank line.
  std::string text;
  for (int i = 0; i < 5000; ++i)
    text += "Line one of paragraph " + std::to_string(i) + "\nline two\nline three\n\n";
  const PreparedText p = Preparer().Prepare(text, kDefaultPrepareWidth);
  ASSERT_EQ(p.parts.size(), 3U);
  for (size_t k = 0; k < 2; ++k) {  // 9000 lines, a multiple of 4: each ends blank
    EXPECT_EQ(std::count(p.parts[k].begin(), p.parts[k].end(), '\n'), kMaxLines);
    EXPECT_TRUE(p.parts[k].ends_with("\r\n\r\n"));
  }
  EXPECT_EQ(ReadParts(p, kDefaultPrepareWidth).size(), 20000U);
  CheckPrepared("20,000 lines", text);

  // Without blank lines the text is cut at the limit.
  std::string dense;
  for (int i = 0; i < 20000; ++i)
    dense += "line " + std::to_string(i) + "\r\n";
  const PreparedText d = Preparer().Prepare(dense, kDefaultPrepareWidth);
  ASSERT_EQ(d.parts.size(), 3U);
  EXPECT_EQ(d.parts[0].substr(d.parts[0].size() - 11), "line 8999\r\n");
}

TEST(PrepareText, AnUnknownCodeIsRefusedAndEmptyTextsStayEmpty) {
  for (const std::string& bytes : {std::string("ab\xE3"), std::string("a+AGE-b+AGE-")}) {
    const PreparedText p = Preparer().Prepare(bytes, kDefaultPrepareWidth);
    EXPECT_EQ(p.outcome, PrepareOutcome::kUnknownCode);
    EXPECT_TRUE(p.parts.empty());
  }
  for (const std::string& bytes :
       {std::string(), std::string("\xEF\xBB\xBF"), std::string("\xFF\xFE")}) {
    const PreparedText p = Preparer().Prepare(bytes, kDefaultPrepareWidth);
    EXPECT_EQ(p.parts, std::vector<std::string>{""});
  }
}

TEST(PrepareText, RandomTextsComeOutReadableWholeAndStable) {
  // Letters, spaces, line ends of every kind and the characters that need care, in random
  // order and runs: each prepared text is accepted, prepares to itself, and keeps its words.
  const std::vector<std::string> pieces = {
      "a",      "b",  "Z", "e", "'",      " ", " ",      " ",      "\t",     "\r\n",   "\n",
      "\r",     "’",  "“", "”", "é",      "ß", "—",      "\u00A0", "\u200B", "\u0301", "😀",
      "\u0007", "日", "ｶ", "…", "\uFEFF", "Ł", "\u2028", "?",      ".",      "-"};
  std::mt19937 rng(16);
  for (int round = 0; round < 300; ++round) {
    std::string text;
    const int length = static_cast<int>(rng() % 3000);
    while (static_cast<int>(text.size()) < length)
      text += pieces[rng() % pieces.size()];
    SCOPED_TRACE(round);
    // Runs without a space longer than the width are cut, so the words are compared at the
    // widest width only.
    const PreparedText widest = Preparer().Prepare(text, kMaxPrepareWidth);
    ASSERT_EQ(widest.outcome, PrepareOutcome::kPrepared) << GetCharCodeName(widest.code);
    EXPECT_EQ(Words(ReadParts(widest, kMaxPrepareWidth)), MappedWords(text));
    ReadParts(Preparer().Prepare(text, kMinPrepareWidth), kMinPrepareWidth);
    ReadParts(Preparer().Prepare(Utf16Bytes(text, round % 2 == 0), kMinPrepareWidth),
              kMinPrepareWidth);
  }
}

TEST(PrepareText, PartsAreWrittenBesideTheNameAndNothingIsOverwritten) {
  TempDir dir;
  std::vector<std::string> written;
  ASSERT_TRUE(
      WritePreparedParts(DefaultFileOps(), dir / "book.txt", {"one\r\n", "two\r\n"}, written).ok());
  EXPECT_EQ(written, PartPaths(dir / "book.txt", 2));
  EXPECT_EQ(ReadBytes(dir / "book-2.txt"), "two\r\n");

  // A taken name: nothing is written, the file there keeps its bytes.
  WriteBytes(dir / "taken.txt", "mine");
  const Status s = WritePreparedParts(DefaultFileOps(), dir / "taken.txt", {"new"}, written);
  EXPECT_FALSE(s.ok());
  EXPECT_NE(s.message().find("File exists"), std::string::npos) << s.message();
  EXPECT_EQ(ReadBytes(dir / "taken.txt"), "mine");

  // A failing write takes back the parts already written and leaves no temporary file.
  for (int failAt = 1; failAt <= 3; ++failAt) {
    TempDir out;
    FailingOps fs;
    fs.failOp = "write";
    fs.failAt = failAt;
    EXPECT_FALSE(WritePreparedParts(fs, out / "t.txt", {"1", "2", "3"}, written).ok());
    EXPECT_TRUE(written.empty());
    EXPECT_TRUE(FileNames(out.path()).empty()) << failAt;
  }
}

// Preparation takes one pass: a line of 2 MiB is wrapped as fast as short ones (the time of
// 64 MiB is the benchmark's), and a text needing more than a hundred parts is refused.
TEST(PrepareText, ALongLineIsWrappedAndTooManyLinesAreRefused) {
  const PreparedText wide = Preparer().Prepare(Repeat("abcdefghi ", 200000), kDefaultPrepareWidth);
  EXPECT_EQ(wide.counts.linesWrapped, 1);
  EXPECT_EQ(ReadParts(wide, kDefaultPrepareWidth).size(), 25000u);  // eight words a line

  const std::string most(static_cast<size_t>(kMaxLines) * kMaxPreparedParts, '\n');
  EXPECT_EQ(Preparer().Prepare(most, kDefaultPrepareWidth).parts.size(), kMaxPreparedParts);
  const PreparedText over = Preparer().Prepare(most + "\n", kDefaultPrepareWidth);
  EXPECT_EQ(over.outcome, PrepareOutcome::kTooManyParts);
  EXPECT_TRUE(over.parts.empty());
}

// UTF-8 with a few stray bytes that Shift_JIS can read: the detector takes it for Shift_JIS,
// and read so every "é" would become "ﾃｩ". It is read as UTF-8, and the stray bytes are
// replaced and named with their lines.
TEST(PrepareText, UTF8WithAFewBadBytesIsReadAsUTF8AndTheBadBytesNamed) {
  std::string text;
  for (int line = 1; line <= 40; ++line) {
    text += Repeat("café ", 50);
    if (line == 5 || line == 17 || line == 30)
      text += "\xB1";  // half-width katakana in Shift_JIS, no character in UTF-8
    text += "\n";
  }
  ASSERT_EQ(DetectCharCode(text), CharCode::kSjis);
  const PreparedText p = Preparer().Prepare(text, kDefaultPrepareWidth);
  EXPECT_EQ(p.code, CharCode::kUtf8);
  EXPECT_EQ(p.damage.badBytes, 3);
  EXPECT_EQ(p.damage.lines, (std::vector<long long>{5, 17, 30}));
  EXPECT_EQ(p.counts.charsReplaced, 3);
  ASSERT_EQ(p.parts.size(), 1u);
  EXPECT_NE(p.parts[0].find("cafe cafe"), std::string::npos);
  EXPECT_NE(MsgDamagedUtf8(u"t.txt", p.damage).find(u"行＝5，17，30"), std::u16string::npos);
}

TEST(PrepareText, ACancelLeavesNoPart) {
  PrepareProgress progress;
  progress.Cancel();
  const PreparedText p =
      Preparer().Prepare(std::string(5000, '\n'), kDefaultPrepareWidth, &progress);
  EXPECT_EQ(p.outcome, PrepareOutcome::kCancelled);
  EXPECT_TRUE(p.parts.empty());

  // The user cancels while the second part is written.
  struct CancellingOps : FileOps {
    PrepareProgress progress;
    int writes = 0;
    Status WriteTemporary(const std::string& dir, const std::string& name, std::string_view bytes,
                          const std::optional<KeptMode>& mode, std::string& tmp) override {
      if (++writes == 2)
        progress.Cancel();
      return FileOps::WriteTemporary(dir, name, bytes, mode, tmp);
    }
  } fs;
  TempDir dir;
  std::vector<std::string> written;
  EXPECT_TRUE(
      WritePreparedParts(fs, dir / "t.txt", {"1", "2", "3"}, written, &fs.progress).IsCancelled());
  EXPECT_TRUE(written.empty());
  EXPECT_TRUE(FileNames(dir.path()).empty());
}

}  // namespace
}  // namespace kelmoa
