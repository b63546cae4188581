// The word list written out for Anki (tab-separated) or for a spreadsheet (CSV).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/base/file_ops.h"
#include "core/base/status.h"
#include "core/wordlist/word_list.h"

namespace kelmoa {

enum class WordListFormat {
  kAnkiTsv,  // tab-separated, for Anki's text import
  kCsv,      // comma-separated (RFC 4180), for spreadsheets
};

// The entries as Anki's text import reads them, in UTF-8 with LF line ends: the header lines
// "#separator:tab", "#html:true" and "#columns:Front<TAB>Back<TAB>Context<TAB>Source", then one
// line an entry. Front is the word; Back its meanings, one a line; Context the sentence of the
// newest context with the word in <b>; Source the file's name, ":" and the line number. Fields
// are HTML: "&", "<", ">", quotes are escaped, a line break becomes <br> and a TAB "&#9;", so
// no field holds a TAB or a line break of the file.
std::string WordListToAnkiTsv(const std::vector<WordEntry>& entries);

// How a CSV export writes a field that a spreadsheet would take for a formula, one that
// begins with "=", "+", "-" or "@".
enum class CsvFormulas {
  kDefuse,  // with "'" in front: spreadsheets show it as the text it is and hide the "'"
  kKeep,    // as it is
};

// The entries as CSV (RFC 4180) in UTF-8: a header record, then one record an entry with the
// word, its head words (joined by ", "), its meanings (one a line), the sentence of the newest
// context, its file's path and line number, the count, the first and the last time it was
// added. A field holding a comma, a quote or a line break is quoted, quotes doubled; records
// end in CR LF. A file's path is written as its bytes read as UTF-8, a byte that is not
// replaced by U+FFFD, so that the whole file is UTF-8.
std::string WordListToCsv(const std::vector<WordEntry>& entries,
                          CsvFormulas formulas = CsvFormulas::kDefuse);

std::string ExportWordList(const std::vector<WordEntry>& entries, WordListFormat format,
                           CsvFormulas formulas = CsvFormulas::kDefuse);

// The sentence of a context (SentenceOf) as HTML, the word in <b>; line breaks as <br>.
std::string SentenceHtml(const WordContext& context);

// HTML text of s (UTF-8): "&", "<", ">", '"' and "'" escaped.
std::string HtmlEscape(std::u16string_view s);

// Writes an export to path, all or nothing: a half-written file never stands under the name.
// Unless replace is set, an existing path is an error and stays as it is.
Status WriteExportFile(const std::string& path, std::string_view bytes, bool replace,
                       FileOps& fs = DefaultFileOps());

}  // namespace kelmoa
