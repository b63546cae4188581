// Exports read back: a reference reader of Anki's tab-separated HTML fields and of RFC 4180
// CSV takes every field back to what the word list holds.
#include "core/wordlist/word_list_export.h"

#include <gtest/gtest.h>

#include <map>

#include "core/base/codepage.h"

namespace kelmoa {
namespace {

std::vector<std::string> SplitOn(const std::string& s, char sep) {
  std::vector<std::string> parts(1);
  for (const char ch : s) {
    if (ch == sep)
      parts.emplace_back();
    else
      parts.back() += ch;
  }
  return parts;
}

std::string ReplaceAll(std::string s, const std::string& from, const std::string& to) {
  for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
    s.replace(at, from.size(), to);
  return s;
}

// An HTML field back to text: <br> a line break, the character references decoded.
std::string FromHtml(std::string s) {
  s = ReplaceAll(s, "<br>", "\n");
  for (const auto& [ref, ch] : std::map<std::string, std::string>{
           {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&#9;", "\t"}})
    s = ReplaceAll(s, ref, ch);
  return ReplaceAll(s, "&amp;", "&");
}

// RFC 4180 records: fields separated by commas, records by CR LF; a quoted field may hold
// commas, line breaks and doubled quotes.
std::vector<std::vector<std::string>> ParseCsv(const std::string& s) {
  std::vector<std::vector<std::string>> records{{""}};
  bool quoted = false;
  for (size_t i = 0; i < s.size(); ++i) {
    std::string& field = records.back().back();
    const char ch = s[i], next = i + 1 < s.size() ? s[i + 1] : '\0';
    if (quoted && ch == '"' && next == '"') {
      field += '"';
      ++i;
    } else if (ch == '"' && (quoted || field.empty())) {
      quoted = !quoted;
    } else if (quoted) {
      field += ch;
    } else if (ch == ',') {
      records.back().emplace_back();
    } else if (ch == '\r' && next == '\n') {
      records.push_back({""});
      ++i;
    } else {
      EXPECT_NE(ch, '"') << "a quote inside an unquoted field";
      EXPECT_NE(ch, '\n') << "a bare line break";
      field += ch;
    }
  }
  EXPECT_FALSE(quoted);
  EXPECT_EQ(records.back(), std::vector<std::string>{""}) << "the last record has no CR LF";
  records.pop_back();
  return records;
}

std::vector<WordEntry> HostileEntries() {
  const char* meanings[][3] = {
      {"空腹の", "飢えた", "eager, \"hungry\" for"},
      {"a\tb", "line one\nline two", "x, y; <b>z</b> & 'q'"},
      {"\"quoted\"", "end\r\nwith CR LF", ""},
  };
  const char* lines[][3] = {
      {"", "He was \"hungry\", and\ttired.", ""},
      {"Before, the", "tab\there <tag> & \"q\"", "goes on. More"},
      {"", "'single' quotes, commas, \"doubles\"", "   "},
  };
  const char* words[] = {"hungry", "tab", "single"};
  std::vector<WordEntry> entries;
  for (size_t i = 0; i < 3; ++i) {
    WordEntry e;
    e.word = U16(words[i]);
    e.headWords = {e.word, u"a, b"};
    for (const char* m : meanings[i])
      e.meanings.push_back(U16(m));
    e.count = static_cast<int>(i) + 1;
    e.firstAdded = "2026-01-02T03:04:05Z";
    e.lastAdded = "2026-12-07T12:34:56Z";
    WordContext c;
    c.lineBefore = U16(lines[i][0]);
    c.line = U16(lines[i][1]);
    c.lineAfter = U16(lines[i][2]);
    c.column = static_cast<int>(c.line.find(e.word)) + 1;
    c.length = static_cast<int>(e.word.size());
    c.file = "/home/r/texts/my, \"story\".txt";
    c.lineNumber = 10 + static_cast<int>(i);
    c.added = e.lastAdded;
    e.contexts.push_back(c);
    e.contexts.push_back(WordContext{});  // an earlier one: not exported
    entries.push_back(std::move(e));
  }
  return entries;
}

std::string Joined(const std::vector<std::u16string>& items, const std::string& sep) {
  std::string out;
  for (size_t i = 0; i < items.size(); ++i)
    out += (i ? sep : "") + Utf16ToUtf8(items[i]);
  return out;
}

TEST(WordListExport, AnkiTsvReadsBackToTheEntries) {
  const auto entries = HostileEntries();
  const std::string tsv = WordListToAnkiTsv(entries);
  const std::vector<std::string> lines = SplitOn(tsv, '\n');
  ASSERT_EQ(lines.size(), 4 + entries.size());  // three header lines; an end on the last
  ASSERT_EQ(lines.back(), "");
  // The three header lines are pinned by kelmoa-tool's export test.
  EXPECT_EQ(tsv.find('\r'), std::string::npos);
  for (size_t i = 0; i < entries.size(); ++i) {
    const WordEntry& e = entries[i];
    SCOPED_TRACE(Utf16ToUtf8(e.word));
    std::vector<std::string> fields = SplitOn(lines[3 + i], '\t');
    // The context: the sentence, with the word (and nothing else) in <b>.
    std::string& context = fields.at(2);
    const size_t open = context.find("<b>"), close = context.find("</b>");
    ASSERT_TRUE(open < close && close != std::string::npos) << context;
    EXPECT_EQ(context.find("<b>", open + 1), std::string::npos);
    EXPECT_EQ(FromHtml(context.substr(open + 3, close - open - 3)), Utf16ToUtf8(e.word));
    context.erase(close, 4).erase(open, 3);
    for (std::string& field : fields)
      field = FromHtml(field);
    EXPECT_EQ(fields, (std::vector<std::string>{
                          Utf16ToUtf8(e.word), ReplaceAll(Joined(e.meanings, "\n"), "\r\n", "\n"),
                          Utf16ToUtf8(SentenceOf(e.contexts[0]).text),
                          "my, \"story\".txt:" + std::to_string(e.contexts[0].lineNumber)}));
  }
  // The sentence runs into the line after, up to its end.
  EXPECT_NE(tsv.find("<b>tab</b>&#9;here &lt;tag&gt; &amp; &quot;q&quot; goes on.\t"),
            std::string::npos);
}

TEST(WordListExport, CsvReadsBackToTheEntries) {
  const auto entries = HostileEntries();
  std::vector<std::vector<std::string>> expected = {{"Word", "Head words", "Meanings", "Sentence",
                                                     "File", "Line", "Count", "First added",
                                                     "Last added"}};
  for (const WordEntry& e : entries) {
    const WordContext& c = e.contexts[0];
    expected.push_back({Utf16ToUtf8(e.word), Joined(e.headWords, ", "), Joined(e.meanings, "\n"),
                        Utf16ToUtf8(SentenceOf(c).text), c.file, std::to_string(c.lineNumber),
                        std::to_string(e.count), e.firstAdded, e.lastAdded});
  }
  EXPECT_EQ(ParseCsv(WordListToCsv(entries)), expected);
}

// Cells a spreadsheet would take for formulas get a "'" in front unless asked to stay as they
// are; a file name that is not UTF-8 is written as UTF-8 all the same, its bad byte as U+FFFD.
TEST(WordListExport, CsvDefusesFormulasAndIsUtf8Throughout) {
  WordEntry e;
  e.word = u"sum";
  e.headWords = {u"+cmd|' /C calc'!A0"};
  e.meanings = {u"=HYPERLINK(\"http://x\")", u"plain"};
  e.count = 1;
  e.firstAdded = "@now";
  WordContext c;
  c.line = u"-2+3 is the sum";
  c.column = 13;
  c.length = 3;
  c.file = "/texts/caf\xE9.txt";  // Latin-1
  e.contexts.push_back(c);
  for (const CsvFormulas formulas : {CsvFormulas::kDefuse, CsvFormulas::kKeep}) {
    const std::string csv = WordListToCsv({e}, formulas);
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(csv)), csv) << "valid UTF-8";
    const std::string q = formulas == CsvFormulas::kDefuse ? "'" : "";
    EXPECT_EQ(ParseCsv(csv).at(1),
              (std::vector<std::string>{
                  "sum", q + "+cmd|' /C calc'!A0", q + "=HYPERLINK(\"http://x\")\nplain",
                  q + "-2+3 is the sum", "/texts/caf\uFFFD.txt", "0", "1", q + "@now", ""}));
  }
}

}  // namespace
}  // namespace kelmoa
