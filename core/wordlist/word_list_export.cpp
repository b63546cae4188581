// The word list written out for Anki (tab-separated) or for a spreadsheet (CSV).
#include "core/wordlist/word_list_export.h"

#include "core/base/codepage.h"
#include "core/base/helpers.h"

namespace kelmoa {
namespace {

// HTML with the line breaks of s as <br> and its TABs as character references.
std::string HtmlField(std::u16string_view s) {
  std::string out;
  const std::string escaped = HtmlEscape(s);
  for (size_t i = 0; i < escaped.size(); ++i) {
    const char ch = escaped[i];
    if (ch == '\r') {
      if (i + 1 < escaped.size() && escaped[i + 1] == '\n')
        ++i;
      out += "<br>";
    } else if (ch == '\n') {
      out += "<br>";
    } else if (ch == '\t') {
      out += "&#9;";
    } else {
      out += ch;
    }
  }
  return out;
}

std::string CsvField(const std::string& field, CsvFormulas formulas) {
  const bool formula = formulas == CsvFormulas::kDefuse && !field.empty() &&
                       std::string_view("=+-@").find(field.front()) != std::string_view::npos;
  std::string s = formula ? "'" + field : field;
  if (s.find_first_of(",\"\r\n") == std::string::npos)
    return s;
  std::string out = "\"";
  for (const char ch : s) {
    if (ch == '"')
      out += '"';
    out += ch;
  }
  return out + '"';
}

std::u16string Join(const std::vector<std::u16string>& items, std::u16string_view separator) {
  std::u16string out;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0)
      out += separator;
    out += items[i];
  }
  return out;
}

}  // namespace

std::string HtmlEscape(std::u16string_view s) {
  std::string out;
  for (const char ch : Utf16ToUtf8(s)) {
    switch (ch) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += ch;
    }
  }
  return out;
}

std::string SentenceHtml(const WordContext& context) {
  const ContextSentence s = SentenceOf(context);
  const std::u16string_view text = s.text;
  return HtmlField(text.substr(0, s.wordStart)) + "<b>" +
         HtmlField(text.substr(s.wordStart, s.wordLength)) + "</b>" +
         HtmlField(text.substr(s.wordStart + s.wordLength));
}

std::string WordListToAnkiTsv(const std::vector<WordEntry>& entries) {
  std::string out = "#separator:tab\n#html:true\n#columns:Front\tBack\tContext\tSource\n";
  for (const WordEntry& e : entries) {
    out += HtmlField(e.word);
    out += '\t';
    for (size_t i = 0; i < e.meanings.size(); ++i) {
      if (i > 0)
        out += "<br>";
      out += HtmlField(e.meanings[i]);
    }
    out += '\t';
    if (!e.contexts.empty()) {
      const WordContext& c = e.contexts.front();
      out += SentenceHtml(c);
      out += '\t';
      out += HtmlField(Utf8ToUtf16(NameOf(c.file) + ":" + std::to_string(c.lineNumber)));
    } else {
      out += '\t';
    }
    out += '\n';
  }
  return out;
}

std::string WordListToCsv(const std::vector<WordEntry>& entries, CsvFormulas formulas) {
  std::string out = "Word,Head words,Meanings,Sentence,File,Line,Count,First added,Last added\r\n";
  for (const WordEntry& e : entries) {
    std::string sentence, file, line;
    if (!e.contexts.empty()) {
      const WordContext& c = e.contexts.front();
      sentence = Utf16ToUtf8(SentenceOf(c).text);
      file = Utf16ToUtf8(Utf8ToUtf16(c.file));  // a path is bytes: any of them may not be UTF-8
      line = std::to_string(c.lineNumber);
    }
    const std::string fields[] = {Utf16ToUtf8(e.word),
                                  Utf16ToUtf8(Join(e.headWords, u", ")),
                                  Utf16ToUtf8(Join(e.meanings, u"\n")),
                                  sentence,
                                  file,
                                  line,
                                  std::to_string(e.count),
                                  e.firstAdded,
                                  e.lastAdded};
    for (size_t i = 0; i < std::size(fields); ++i) {
      if (i > 0)
        out += ',';
      out += CsvField(fields[i], formulas);
    }
    out += "\r\n";
  }
  return out;
}

std::string ExportWordList(const std::vector<WordEntry>& entries, WordListFormat format,
                           CsvFormulas formulas) {
  return format == WordListFormat::kAnkiTsv ? WordListToAnkiTsv(entries)
                                            : WordListToCsv(entries, formulas);
}

Status WriteExportFile(const std::string& path, std::string_view bytes, bool replace, FileOps& fs) {
  const auto exists = [&path] {
    return Status::Found(StatusCode::kAlreadyExists, Finding::kExportExists, path,
                         "the file is there already");
  };
  if (replace)
    return ReplaceFileAtomically(fs, path, bytes);
  if (fs.Exists(path) || IsFolderExist(path))
    return exists();
  // Written in full under a name of its own first, then given its name by a link, which
  // fails rather than replace a file made meanwhile.
  const std::string dir = DirOf(path);
  std::string temp;
  if (Status s = fs.WriteTemporary(dir, NameOf(path), bytes, temp); !s.ok())
    return s;
  if (Status s = PutInPlace(fs, temp, path); !s.ok())
    return s.IsAlreadyExists() ? exists() : s;
  return fs.SyncDir(dir);
}

}  // namespace kelmoa
