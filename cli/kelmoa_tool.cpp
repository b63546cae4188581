// kelmoa-tool: the command-line companion. It runs the program's own reading, detection,
// dictionary and lookup code on files, so that they can be scripted and checked. Output is
// UTF-8 with LF line ends. Exit status: 0 success, 1 a file could not be read or written
// (message on stderr), 2 usage error, 3 a text rejected by the reader (message on stdout).
#include <charconv>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "core/base/char_code.h"
#include "core/base/codepage.h"
#include "core/base/helpers.h"
#include "core/base/paths.h"
#include "core/dictionary/dictionary.h"
#include "core/dictionary/dictionary_import.h"
#include "core/dictionary/dictionary_messages.h"
#include "core/dictionary/lookup.h"
#include "core/dictionary/phrases.h"
#include "core/settings/settings.h"
#include "core/text/layout.h"
#include "core/text/messages.h"
#include "core/text/open_text.h"
#include "core/text/prepare_text.h"
#include "core/text/reading_session.h"
#include "core/text/text_reader.h"
#include "core/text/word_info.h"
#include "core/wordlist/word_capture.h"
#include "core/wordlist/word_list.h"
#include "core/wordlist/word_list_export.h"
#include "core/wordlist/word_list_messages.h"

namespace kelmoa {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitIo = 1;
constexpr int kExitUsage = 2;
constexpr int kExitRejected = 3;

using Args = std::vector<std::string>;

std::string Out(std::u16string_view s) {
  return Utf16ToUtf8(s);
}

// A message as the tool shows it: CR LF becomes LF.
std::string ShownMessage(std::u16string_view msg) {
  std::string s = Out(msg);
  std::string r;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n')
      continue;
    r += s[i];
  }
  return r;
}

int IoError(const Status& s) {
  std::cerr << "kelmoa-tool: " << Out(StatusInWords(s)) << "\n";
  return kExitIo;
}

int Usage() {
  std::cerr << "usage:\n"
               "  kelmoa-tool detect FILE...\n"
               "  kelmoa-tool read FILE\n"
               "  kelmoa-tool entries DIC\n"
               "  kelmoa-tool lookup DIC WORD...\n"
               "  kelmoa-tool meaning DIC WORD...\n"
               "  kelmoa-tool add BASE WORD MEANING\n"
               "  kelmoa-tool delete BASE INDEX MEANING\n"
               "  kelmoa-tool import-dictionary OUT [--edict PATH] [--freedict PREFIX] "
               "[--wordnet DIR]\n"
               "  kelmoa-tool annotate DIC TEXT\n"
               "  kelmoa-tool popup DIC TEXT LINE COLUMN\n"
               "  kelmoa-tool phrases DIC TEXT\n"
               "  kelmoa-tool settings INI [--screen-width PX]\n"
               "  kelmoa-tool prepare IN OUT [--width N]\n"
               "  kelmoa-tool wordlist BASE\n"
               "  kelmoa-tool wordlist-export BASE tsv|csv OUT [--filter TEXT] [--keep-formulas]\n"
               "  kelmoa-tool wordlist-add BASE TEXT LINE WORD\n";
  return kExitUsage;
}

std::string JoinTabs(std::u16string_view meanings) {
  return Out(meanings);
}

// Entry indexes as the tool prints them: joined by ",", nothing for none.
std::string HitsText(const std::vector<int>& hits) {
  std::string text;
  for (const int hit : hits)
    text += (text.empty() ? "" : ",") + std::to_string(hit);
  return text;
}

int Detect(const Args& a) {
  if (a.empty())
    return Usage();
  for (const std::string& path : a) {
    CharCode code = CharCode::kNone;
    if (Status s = GetFileCharCode(path, code); !s.ok())
      return IoError(s);
    std::cout << GetCharCodeName(code) << '\t' << path << '\n';
  }
  return kExitOk;
}

int Read(const Args& a) {
  if (a.size() != 1)
    return Usage();
  StrList lines;
  Status status;
  const TextLimitBreach breach = ReadTextLines(a[0], lines, status);
  if (!status.ok())
    return IoError(status);
  if (breach.broken()) {
    std::cout << ShownMessage(MsgTextLimit(breach)) << '\n';
    return kExitRejected;
  }
  std::cout << UpperBound(lines) << '\n';
  return kExitOk;
}

bool LoadDic(const std::string& path, Dictionary& dic, int& exitCode) {
  if (Status s = dic.LoadDicFile(path); !s.ok()) {
    exitCode = IoError(s);
    return false;
  }
  return true;
}

bool LoadDic(ReadingSession& session, const std::string& path, int& exitCode) {
  if (Status s = session.LoadDictionary(path); !s.ok()) {
    exitCode = IoError(s);
    return false;
  }
  return true;
}

// Opens the text at path in the session, laid out in the window's default character widths.
// A rejection is printed as the window shows it (exit 3), an unreadable file as an error.
bool OpenText(ReadingSession& session, const std::string& path, int& exitCode) {
  SettingInfo setting;
  setting.HalfWidth = 7;
  setting.FullWidth = 14;
  const OpenResult opened = session.Open(path, setting);
  if (opened.ok())
    return true;
  if (opened.outcome == OpenResult::Outcome::kUnreadable) {
    exitCode = IoError(opened.status);
  } else {
    std::cout << ShownMessage(MsgTextRefusal(opened, path)) << '\n';
    exitCode = kExitRejected;
  }
  return false;
}

int Entries(const Args& a) {
  if (a.size() != 1)
    return Usage();
  Dictionary dic;
  int rc = kExitOk;
  if (!LoadDic(a[0], dic, rc))
    return rc;
  for (int i = 1; i <= dic.Count(); ++i) {
    std::cout << i << '\t' << Out(dic.Words()[i]) << '\t' << JoinTabs(dic.Meanings()[i]) << '\n';
  }
  return kExitOk;
}

// DIC WORD...: loads DIC and prints each WORD (as given) with what print makes of it, looked up
// in lower case.
int ForEachWordLookedUp(const Args& a,
                        const std::function<void(const Dictionary&, std::u16string_view)>& print) {
  if (a.size() < 2)
    return Usage();
  Dictionary dic;
  int rc = kExitOk;
  if (!LoadDic(a[0], dic, rc))
    return rc;
  for (size_t w = 1; w < a.size(); ++w) {
    std::cout << a[w] << '\t';
    print(dic, LowerAscii(Utf8ToUtf16(a[w])));
  }
  return kExitOk;
}

int Lookup(const Args& a) {
  return ForEachWordLookedUp(a, [](const Dictionary& dic, std::u16string_view word) {
    const std::vector<int> hits = DicHitsOfWord(dic.Words(), word);
    std::cout << HitsText(hits) << '\n';
    for (const int idx : hits) {
      std::cout << '\t' << idx << '\t' << Out(dic.Words()[idx]) << '\t'
                << JoinTabs(dic.Meanings()[idx]) << '\n';
    }
  });
}

int Meaning(const Args& a) {
  return ForEachWordLookedUp(a, [](const Dictionary& dic, std::u16string_view word) {
    int idx = 0;
    std::u16string form;
    StrList meanings;
    LookUpMeanings(dic, word, idx, form, meanings);
    std::cout << idx << '\t' << Out(form) << '\n';
    for (size_t m = 1; m < meanings.size(); ++m)
      std::cout << '\t' << Out(meanings[m]) << '\n';
  });
}

// What the user learns of a change: a reload in one line, a refusal with its reasons, a
// failure with the system's; all on stderr. Exit status 2 for a word, meaning or index that
// cannot be, 1 for a dictionary that cannot take the change or could not be written.
int ReportChange(const DicChange& change) {
  if (const std::u16string reloaded = MsgDicReloaded(change); !reloaded.empty())
    std::cerr << "kelmoa-tool: " << ShownMessage(reloaded) << '\n';
  switch (change.outcome) {
    case DicChange::Outcome::kWritten:
    case DicChange::Outcome::kUnchanged:
      return kExitOk;
    case DicChange::Outcome::kRefused:
      std::cerr << "kelmoa-tool: " << ShownMessage(MsgChangeRefused(change)) << '\n';
      switch (change.refusal) {
        case DicChange::Refusal::kNotAnEntry:
        case DicChange::Refusal::kNoSuchEntry:
        case DicChange::Refusal::kNonSjisCharacter:
          return kExitUsage;
        default:
          return kExitIo;
      }
    case DicChange::Outcome::kFailed:
      break;
  }
  return IoError(change.status);
}

int Add(const Args& a) {
  if (a.size() != 3)
    return Usage();
  ReadingSession session(a[0]);
  int rc = kExitOk;
  if (!LoadDic(session, {}, rc))
    return rc;
  return ReportChange(session.AddMeaning(Utf8ToUtf16(a[1]), Utf8ToUtf16(a[2])));
}

int Delete(const Args& a) {
  if (a.size() != 3)
    return Usage();
  int idx = 0;
  const auto [end, ec] = std::from_chars(a[1].data(), a[1].data() + a[1].size(), idx);
  if (ec != std::errc() || end != a[1].data() + a[1].size())
    return Usage();
  ReadingSession session(a[0]);
  int rc = kExitOk;
  if (!LoadDic(session, {}, rc))
    return rc;
  // An index outside the dictionary is refused by the change itself.
  const Dictionary& dic = session.Dic();
  const std::u16string entry =
      idx >= 1 && idx <= dic.Count() ? dic.Words()[idx] + u' ' + Utf8ToUtf16(a[2]) : u"";
  return ReportChange(session.DeleteMeaning(idx, entry));
}

int Annotate(const Args& a) {
  if (a.size() != 2)
    return Usage();
  // The text is judged before the dictionary is read, so that a rejection is what is reported.
  ReadingSession session({});
  int rc = kExitOk;
  if (!OpenText(session, a[1], rc) || !LoadDic(session, a[0], rc))
    return rc;
  const WordTable& t = session.Document().words;
  for (int k = 1; k <= t.Count(); ++k) {
    std::cout << t.mWordLine[k] << '\t' << t.mWordCol[k] << '\t' << Out(t.Word(k)) << '\t'
              << Out(t.Joined(k)) << '\t' << HitsText(t.DicHits(k)) << '\t' << t.mWordX1[k] << '\t'
              << t.mWordX2[k] << '\n';
  }
  return kExitOk;
}

// The lines the window's popup shows for the pointer on character COLUMN of line LINE (both
// from 1) of TEXT, one a line; nothing when no popup would show.
int PopupCmd(const Args& a) {
  if (a.size() != 4)
    return Usage();
  int line = 0, column = 0;
  for (const auto& [text, number] : {std::pair{&a[2], &line}, std::pair{&a[3], &column}}) {
    const auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), *number);
    if (ec != std::errc() || end != text->data() + text->size() || *number < 1)
      return Usage();
  }
  ReadingSession session({});
  int rc = kExitOk;
  if (!OpenText(session, a[1], rc) || !LoadDic(session, a[0], rc))
    return rc;
  for (const std::u16string& popupLine :
       session.PopupLines(session.WordAtCharacter(line, column))) {
    std::cout << Out(popupLine) << '\n';
  }
  return kExitOk;
}

// Every phrase of TEXT that the popup shows, in reading order: its first word's line and
// column (from 1), the phrase as the phrase dictionary writes it, and its words as the text
// has them.
int PhrasesCmd(const Args& a) {
  if (a.size() != 2)
    return Usage();
  ReadingSession session({});
  int rc = kExitOk;
  if (!OpenText(session, a[1], rc) || !LoadDic(session, a[0], rc))
    return rc;
  const WordTable& t = session.Document().words;
  for (const PhraseSpan& span : session.AllPhrases()) {
    std::u16string found;
    for (int k = span.firstWord; k <= span.lastWord; ++k)
      found += (found.empty() ? u"" : u" ") + std::u16string(t.Word(k));
    const auto first = static_cast<size_t>(span.firstWord);
    std::cout << t.mWordLine[first] << '\t' << t.mWordCol[first] << '\t'
              << Out(session.Phrases()[span.phrase].Text()) << '\t' << Out(found) << '\n';
  }
  return kExitOk;
}

int Settings(const Args& a) {
  int screenWidth = 1920;
  if (a.size() == 3 && a[1] == "--screen-width") {
    const auto [end, ec] = std::from_chars(a[2].data(), a[2].data() + a[2].size(), screenWidth);
    if (ec != std::errc() || end != a[2].data() + a[2].size() || screenWidth <= 0)
      return Usage();
  } else if (a.size() != 1) {
    return Usage();
  }
  SettingInfo def, max, setting;
  SetDefaultSettings(screenWidth, def, max);
  setting = def;
  // The program reads the file only when it exists.
  if (IsFileExist(a[0])) {
    ReadIniSettings(a[0], def, max, setting, [](const std::u16string& msg) {
      std::string line;
      const std::string s = Out(msg);
      for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') {
          line += " / ";
          ++i;
        } else {
          line += s[i];
        }
      }
      std::cerr << line << '\n';
    });
  }
  std::cout << "FontSize=" << Out(FormatFontSize(setting.FontSize)) << '\n'
            << "LineSpace=" << setting.LineSpace << '\n'
            << "FormLeft=" << setting.FormLeft << '\n'
            << "TextEditor=" << Out(setting.TextEditor) << '\n';
  return kExitOk;
}

// Builds the default dictionary from EDICT, FreeDict and WordNet (Debian's paths unless
// given) and puts it at OUT atomically, and the phrase dictionary beside it; both are left as
// they were when a source cannot be read or gives no entry.
int ImportDictionaryCmd(const Args& a) {
  if (a.empty() || a.size() % 2 != 1)
    return Usage();
  SourcePaths paths;
  for (size_t i = 1; i < a.size(); i += 2) {
    if (a[i] == "--edict")
      paths.edict = a[i + 1];
    else if (a[i] == "--freedict")
      paths.freedict = a[i + 1];
    else if (a[i] == "--wordnet")
      paths.wordnet = a[i + 1];
    else
      return Usage();
  }
  DictionarySources sources;
  if (Status s = ReadDictionarySources(paths, sources); !s.ok())
    return IoError(s);
  std::string dicBytes, phraseBytes;
  if (Status s = ImportDictionary(sources, dicBytes, nullptr, &phraseBytes); !s.ok())
    return IoError(s.context().empty() ? s.WithContext(paths.edict) : s);
  // The phrases first: a dictionary written without them would show no phrase.
  for (const auto& [path, bytes] :
       {std::pair{PhraseDicPathBeside(a[0]), &phraseBytes}, std::pair{a[0], &dicBytes}}) {
    if (Status s = ReplaceFileAtomically(DefaultFileOps(), path, *bytes); !s.ok())
      return IoError(s);
  }
  return kExitOk;
}

// Writes a copy of IN that the reader accepts to OUT (or OUT's parts), never over an existing
// file, and reports what changed.
int Prepare(const Args& a) {
  int width = kDefaultPrepareWidth;
  if (a.size() == 4 && a[2] == "--width") {
    const auto [end, ec] = std::from_chars(a[3].data(), a[3].data() + a[3].size(), width);
    if (ec != std::errc() || end != a[3].data() + a[3].size() || width < kMinPrepareWidth ||
        width > kMaxPrepareWidth)
      return Usage();
  } else if (a.size() != 2) {
    return Usage();
  }
  std::unique_ptr<TextPreparer> preparer;
  if (Status s = TextPreparer::Create(preparer); !s.ok())
    return IoError(s);
  PreparedText prepared;
  if (Status s = PrepareTextFile(DefaultFileOps(), *preparer, a[0], width, prepared); !s.ok())
    return IoError(s);
  if (prepared.outcome == PrepareOutcome::kUnknownCode) {
    std::cout << a[0] << ": the character code is " << GetCharCodeName(prepared.code)
              << ", which cannot be read; nothing was written\n";
    return kExitRejected;
  }
  if (prepared.outcome == PrepareOutcome::kTooManyParts) {
    std::cout << ShownMessage(MsgTooManyPreparedParts(Utf8ToUtf16(a[0]))) << '\n';
    return kExitRejected;
  }
  std::vector<std::string> written;
  if (Status s = WritePreparedParts(DefaultFileOps(), a[1], prepared.parts, written); !s.ok())
    return IoError(s);
  std::cout << "lines wrapped: " << prepared.counts.linesWrapped << '\n'
            << "characters transliterated: " << prepared.counts.charsTransliterated << '\n'
            << "characters replaced: " << prepared.counts.charsReplaced << '\n'
            << "parts written: " << written.size() << '\n';
  // A damaged UTF-8 text read as UTF-8: the bytes that became "?" and their lines.
  if (const Utf8Damage& damage = prepared.damage; damage.badBytes > 0) {
    std::cout << "bytes not UTF-8: " << damage.badBytes << " (line";
    for (size_t i = 0; i < damage.lines.size(); ++i)
      std::cout << (i == 0 ? (damage.lineCount > 1 ? "s " : " ") : ", ") << damage.lines[i];
    if (damage.lineCount > static_cast<long long>(damage.lines.size()))
      std::cout << " and " << damage.lineCount - static_cast<long long>(damage.lines.size())
                << " more";
    std::cout << ")\n";
  }
  return kExitOk;
}

// A field of the word list's lines: backslash, TAB, CR and LF written as \\, \t, \r and \n,
// so that every field stays on its line and between its TABs.
std::string ListField(std::string_view s) {
  std::string out;
  for (const char ch : s) {
    switch (ch) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      default:
        out += ch;
    }
  }
  return out;
}

std::string ListField(std::u16string_view s) {
  return ListField(std::string_view(Out(s)));
}

bool OpenWordList(const std::string& base, std::unique_ptr<WordList>& list, int& exitCode) {
  if (Status s = WordList::Open(base, list); !s.ok()) {
    exitCode = IoError(s);
    return false;
  }
  return true;
}

// The entries of base's word list, read only: nothing is made or changed. An installed folder
// without one has an empty list.
bool ReadWordList(const std::string& base, std::vector<WordEntry>& entries, int& exitCode) {
  entries.clear();
  std::error_code ec;
  if (IsFolderExist(base) && !std::filesystem::exists(WordListPath(base), ec) && !ec)
    return true;
  std::unique_ptr<WordList> list;
  if (Status s = WordList::OpenForReading(base, list); !s.ok()) {
    exitCode = IoError(s);
    return false;
  }
  if (Status s = list->Entries(entries); !s.ok()) {
    exitCode = IoError(s);
    return false;
  }
  return true;
}

// Prints the word list: per word, the word, count, first and last time added and head words
// (joined by ", "), TAB-separated; then per meaning a line TAB "meaning" TAB meaning; then per
// context, newest first, TAB "context" TAB time TAB file TAB line number TAB sentence.
int WordListCmd(const Args& a) {
  if (a.size() != 1)
    return Usage();
  std::vector<WordEntry> entries;
  int rc = kExitOk;
  if (!ReadWordList(a[0], entries, rc))
    return rc;
  for (const WordEntry& e : entries) {
    std::u16string heads;
    for (const std::u16string& h : e.headWords)
      heads += (heads.empty() ? u"" : u", ") + h;
    std::cout << ListField(e.word) << '\t' << e.count << '\t' << e.firstAdded << '\t' << e.lastAdded
              << '\t' << ListField(heads) << '\n';
    for (const std::u16string& m : e.meanings)
      std::cout << "\tmeaning\t" << ListField(m) << '\n';
    for (const WordContext& c : e.contexts) {
      std::cout << "\tcontext\t" << c.added << '\t' << ListField(std::string_view(c.file)) << '\t'
                << c.lineNumber << '\t' << ListField(SentenceOf(c).text) << '\n';
    }
  }
  return kExitOk;
}

// Writes the word list (or the words matching --filter) to OUT, a file that must not exist yet.
// A CSV field that a spreadsheet would take for a formula gets a "'" in front, unless
// --keep-formulas is given.
int WordListExport(const Args& a) {
  std::u16string filter;
  CsvFormulas formulas = CsvFormulas::kDefuse;
  if (a.size() < 3)
    return Usage();
  for (size_t i = 3; i < a.size(); ++i) {
    if (a[i] == "--filter" && i + 1 < a.size())
      filter = Utf8ToUtf16(a[++i]);
    else if (a[i] == "--keep-formulas")
      formulas = CsvFormulas::kKeep;
    else
      return Usage();
  }
  WordListFormat format;
  if (a[1] == "tsv")
    format = WordListFormat::kAnkiTsv;
  else if (a[1] == "csv")
    format = WordListFormat::kCsv;
  else
    return Usage();
  std::vector<WordEntry> entries;
  int rc = kExitOk;
  if (!ReadWordList(a[0], entries, rc))
    return rc;
  const std::string bytes = ExportWordList(FilterWordEntries(entries, filter), format, formulas);
  if (Status s = WriteExportFile(a[2], bytes, false); !s.ok())
    return IoError(s);
  return kExitOk;
}

// Adds WORD of line LINE of TEXT to BASE's word list with what its popup shows, looked up in
// BASE/dic/Dic_EJ.txt; prints the word and its count.
int WordListAdd(const Args& a) {
  if (a.size() != 4)
    return Usage();
  int lineNumber = 0;
  const auto [end, ec] = std::from_chars(a[2].data(), a[2].data() + a[2].size(), lineNumber);
  if (ec != std::errc() || end != a[2].data() + a[2].size() || lineNumber < 1)
    return Usage();
  ReadingSession session(a[0]);
  int rc = kExitOk;
  if (!OpenText(session, a[1], rc) || !LoadDic(session, {}, rc))
    return rc;
  const TextDocument& doc = session.Document();
  const std::u16string word = Utf8ToUtf16(a[3]);
  const int k = FindWordOnLine(doc.words, lineNumber, word);
  if (k == 0) {
    std::cerr << "kelmoa-tool: " << lineNumber << "行目に単語「" << a[3] << "」がありません。\n";
    return kExitUsage;
  }
  std::error_code fsError;
  const std::filesystem::path absolute = std::filesystem::absolute(a[1], fsError);
  const std::string file = fsError ? a[1] : absolute.string();
  WordCapture capture;
  if (!session.Capture(k, file, std::time(nullptr), capture)) {
    std::cerr << "kelmoa-tool: " << Out(MsgWordNotInDictionary(doc.words.Word(k))) << "\n";
    return kExitUsage;
  }
  std::unique_ptr<WordList> list;
  if (!OpenWordList(a[0], list, rc))
    return rc;
  int count = 0;
  if (Status s = list->Add(capture, &count); !s.ok())
    return IoError(s);
  std::cout << ListField(capture.word) << '\t' << count << '\n';
  return kExitOk;
}

}  // namespace
}  // namespace kelmoa

int main(int argc, char** argv) {
  using namespace kelmoa;
  if (argc < 2)
    return Usage();
  const std::map<std::string, std::function<int(const Args&)>> commands = {
      {"detect", Detect},
      {"read", Read},
      {"entries", Entries},
      {"lookup", Lookup},
      {"meaning", Meaning},
      {"add", Add},
      {"delete", Delete},
      {"import-dictionary", ImportDictionaryCmd},
      {"annotate", Annotate},
      {"popup", PopupCmd},
      {"phrases", PhrasesCmd},
      {"settings", Settings},
      {"prepare", Prepare},
      {"wordlist", WordListCmd},
      {"wordlist-export", WordListExport},
      {"wordlist-add", WordListAdd},
  };
  const auto it = commands.find(argv[1]);
  if (it == commands.end())
    return Usage();
  const Args args(argv + 2, argv + argc);
  int rc = kExitIo;
  try {
    rc = it->second(args);
  } catch (const std::bad_alloc&) {
    std::cerr << "kelmoa-tool: メモリが足りないため，処理を続けられませんでした。\n";
  }
  std::cout.flush();
  return rc;
}
