#include "dictionary/dictionary.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "common/codepage.h"

namespace kelmoa {
namespace {

std::u16string_view HeadOf(std::u16string_view line) {
  return line.substr(0, std::min(line.find(u'\t'), line.size()));
}

// Appends the TAB-separated pieces of s to out.
void SplitAtTabs(std::u16string_view s, StrList& out) {
  size_t start = 0;
  for (;;) {
    const size_t tab = s.find(u'\t', start);
    out.emplace_back(s.substr(start, tab == std::u16string_view::npos ? tab : tab - start));
    if (tab == std::u16string_view::npos)
      return;
    start = tab + 1;
  }
}

// Appends to joined (TAB-separated) the meanings of one entry line's text after its first TAB.
// A line holding several meanings may have empty or blank ones between its TABs; they are
// left out, since no entry may hold an empty meaning and a blank one would not load back.
void AppendMeanings(std::u16string_view text, std::u16string& joined) {
  if (text.find(u'\t') == std::u16string_view::npos) {  // the common case: one meaning
    if (!joined.empty())
      joined += u'\t';
    joined += text;
    return;
  }
  size_t start = 0;
  for (;;) {
    const size_t tab = text.find(u'\t', start);
    const std::u16string_view piece =
        text.substr(start, tab == std::u16string_view::npos ? tab : tab - start);
    if (piece.find_first_not_of(u' ') != std::u16string_view::npos) {
      if (!joined.empty())
        joined += u'\t';
      joined += piece;
    }
    if (tab == std::u16string_view::npos)
      return;
    start = tab + 1;
  }
}

}  // namespace

bool IsDicLine(std::u16string_view line) {
  const size_t first = line.find_first_not_of(u' ');
  if (first == std::u16string_view::npos)
    return false;
  const size_t last = line.find_last_not_of(u' ');
  const std::u16string_view t = line.substr(first, last - first + 1);
  const size_t tab = t.find(u'\t');
  if (tab == std::u16string_view::npos)
    return false;
  const size_t p = tab + 1;  // 1-based
  return p >= 3 && t.size() >= p + 1;
}

bool IsStorableEntry(std::u16string_view word, std::u16string_view meaning) {
  for (const std::u16string_view part : {word, meaning}) {
    if (part.find_first_of(u"\t\r\n") != std::u16string_view::npos)
      return false;
  }
  std::u16string line(word);
  line += u'\t';
  line += meaning;
  return IsDicLine(line);
}

bool DicLineLess(std::u16string_view a, std::u16string_view b) {
  const std::u16string_view wa = HeadOf(a), wb = HeadOf(b);
  if (wa != wb)
    return wa < wb;
  return a.substr(wa.size()) < b.substr(wb.size());
}

namespace {

// One entry line inside the decoded file text.
struct LineRef {
  uint64_t key1, key2;  // the head word's first eight code units, for quick comparisons
  uint32_t start;       // where the line starts in the text
  uint32_t headLen;     // characters before the first TAB
  uint32_t len;
};

// Code units from..from+3 of a head word packed high to low, shorter words padded with 0: two
// head words whose keys differ are in the order of their keys.
uint64_t HeadKey(std::u16string_view head, size_t from) {
  uint64_t key = 0;
  for (size_t i = from; i < from + 4; ++i)
    key = (key << 16) | (i < head.size() ? head[i] : 0);
  return key;
}

// The entry lines of a dictionary file, kept as places in its decoded text so that loading a
// large dictionary allocates per entry, not per line.
struct EntryLines {
  std::u16string text;
  std::vector<LineRef> lines;
  bool sorted = true;

  std::u16string_view Line(const LineRef& r) const {
    return std::u16string_view(text).substr(r.start, r.len);
  }
  std::u16string_view Head(const LineRef& r) const {
    return std::u16string_view(text).substr(r.start, r.headLen);
  }
  std::u16string_view Rest(const LineRef& r) const {
    return std::u16string_view(text).substr(r.start + r.headLen, r.len - r.headLen);
  }
  bool Less(const LineRef& a, const LineRef& b) const {
    if (a.key1 != b.key1)
      return a.key1 < b.key1;
    if (a.key2 != b.key2)
      return a.key2 < b.key2;
    const int c = Head(a).compare(Head(b));
    return c != 0 ? c < 0 : Rest(a) < Rest(b);
  }
};

Status ReadEntryLines(const std::string& path, FileOps& fs, EntryLines& out) {
  Status status;
  {
    std::string bytes;
    status = fs.ReadAll(path, bytes);  // on failure, bytes holds what was read
    // The places of the lines are 32-bit: a dictionary of 4 GB is no dictionary.
    if (bytes.size() >= UINT32_MAX)
      return Status::Error(path + ": too large for a dictionary");
    out.text = SjisToUtf16(bytes);
  }  // the file's bytes are not needed any more
  out.lines.clear();
  out.lines.reserve(out.text.size() / 16);
  out.sorted = true;
  const std::u16string_view text = out.text;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(u'\r', start);
    if (end == std::u16string_view::npos)
      end = text.size();
    const std::u16string_view line = text.substr(start, end - start);
    if (IsDicLine(line)) {
      const size_t headLen = line.find(u'\t');
      const std::u16string_view head = line.substr(0, headLen);
      const LineRef ref{HeadKey(head, 0), HeadKey(head, 4), static_cast<uint32_t>(start),
                        static_cast<uint32_t>(headLen), static_cast<uint32_t>(line.size())};
      // Lines that are not entry lines take no part in the order check.
      if (out.sorted && !out.lines.empty() && out.Less(ref, out.lines.back()))
        out.sorted = false;
      out.lines.push_back(ref);
    }
    start = end + 1;
    if (start < text.size() && text[start] == u'\n')
      ++start;
  }
  return status;
}

}  // namespace

Status ReadFileToAryWithSortChk(const std::string& path, StrList& oLines, bool& oSorted,
                                FileOps& fs) {
  EntryLines entries;
  Status status = ReadEntryLines(path, fs, entries);
  oLines = NewStrList();
  for (const LineRef& r : entries.lines)
    oLines.emplace_back(entries.Line(r));
  oSorted = entries.sorted;
  return status;
}

namespace {

// Calls line(word, meaning) for every line of the dictionary file in order: one per meaning.
template <typename Line>
void ForEachDicFileLine(const StrList& words, const StrList& meanings, Line line) {
  for (size_t i = 1; i < words.size(); ++i) {
    const std::u16string_view mn = meanings[i];
    size_t start = 0;
    for (;;) {
      const size_t tab = mn.find(u'\t', start);
      line(std::u16string_view(words[i]),
           mn.substr(start, tab == std::u16string_view::npos ? tab : tab - start));
      if (tab == std::u16string_view::npos)
        break;
      start = tab + 1;
    }
  }
}

size_t DicTextSize(const StrList& words, const StrList& meanings) {
  size_t size = 0;
  for (size_t i = 1; i < words.size(); ++i)
    size += words[i].size() * 2 + meanings[i].size() + 8;
  return size;
}

}  // namespace

std::u16string MakeDicFileLines(const StrList& words, const StrList& meanings) {
  std::u16string text;
  text.reserve(DicTextSize(words, meanings));
  ForEachDicFileLine(words, meanings, [&](std::u16string_view w, std::u16string_view mn) {
    text += w;
    text += u'\t';
    text += mn;
    text += u"\r\n";
  });
  return text;
}

std::string MakeDicFileBytes(const StrList& words, const StrList& meanings) {
  std::string bytes;
  bytes.reserve(DicTextSize(words, meanings) * 2);
  ForEachDicFileLine(words, meanings, [&](std::u16string_view w, std::u16string_view mn) {
    AppendSjis(w, bytes);
    bytes += '\t';
    AppendSjis(mn, bytes);
    bytes += "\r\n";
  });
  return bytes;
}

Status Dictionary::LoadDicFile(const std::string& path, FileOps& fs) {
  EntryLines entries;
  Status status = ReadEntryLines(path, fs, entries);
  if (!entries.sorted) {
    std::sort(entries.lines.begin(), entries.lines.end(),
              [&](const LineRef& a, const LineRef& b) { return entries.Less(a, b); });
  }
  // Lines of one head word are adjacent now: one entry each, meanings joined by TAB.
  mDicWord = NewStrList();
  mDicMeaning = NewStrList();
  mDicWord.reserve(entries.lines.size() + 1);
  mDicMeaning.reserve(entries.lines.size() + 1);
  for (const LineRef& r : entries.lines) {
    const std::u16string_view word = entries.Head(r);
    const std::u16string_view rest = entries.Rest(r).substr(1);
    if (mDicWord.size() > 1 && mDicWord.back() == word) {
      AppendMeanings(rest, mDicMeaning.back());
      continue;
    }
    std::u16string meanings;
    AppendMeanings(rest, meanings);
    if (meanings.empty())
      continue;
    mDicWord.emplace_back(word);
    mDicMeaning.push_back(std::move(meanings));
  }
  return status;
}

void Dictionary::GetAddEntryToMemoryDic(const std::u16string& pWord,
                                        const std::u16string& pMeaning) {
  Add(pWord, pMeaning);
}

void Dictionary::GetDelEntryFromMemoryDic(int pIdx, const std::u16string& pEntry) {
  Delete(pIdx, pEntry);
}

Dictionary::Undo Dictionary::Add(const std::u16string& word, const std::u16string& meaning) {
  const auto it = std::lower_bound(mDicWord.begin() + 1, mDicWord.end(), word);
  const int pos = static_cast<int>(it - mDicWord.begin());
  if (it != mDicWord.end() && *it == word) {
    Undo undo{Undo::kRestoreMeaning, pos, {}, mDicMeaning[pos]};
    mDicMeaning[pos] += u'\t';
    mDicMeaning[pos] += meaning;
    return undo;
  }
  mDicWord.insert(it, word);
  mDicMeaning.insert(mDicMeaning.begin() + pos, meaning);
  return Undo{Undo::kErase, pos, {}, {}};
}

Dictionary::Undo Dictionary::Delete(int idx, const std::u16string& entry) {
  if (idx < 1 || idx > Count())
    return {};
  const size_t sp = entry.find(u' ');
  const std::u16string_view target = sp == std::u16string::npos
                                         ? std::u16string_view(entry)
                                         : std::u16string_view(entry).substr(sp + 1);
  StrList pieces;
  SplitAtTabs(mDicMeaning[idx], pieces);
  std::u16string kept;
  bool any = false;
  if (pieces.size() > 1) {
    for (const std::u16string& mn : pieces) {
      if (mn == target)
        continue;
      if (any)
        kept += u'\t';
      kept += mn;
      any = true;
    }
  }
  if (any) {
    Undo undo{Undo::kRestoreMeaning, idx, {}, mDicMeaning[idx]};
    mDicMeaning[idx] = std::move(kept);
    return undo;
  }
  // The only meaning, or every meaning equal to the deleted one: the entry goes, so that no
  // entry is ever left without a meaning.
  Undo undo{Undo::kInsert, idx, std::move(mDicWord[idx]), std::move(mDicMeaning[idx])};
  mDicWord.erase(mDicWord.begin() + idx);
  mDicMeaning.erase(mDicMeaning.begin() + idx);
  return undo;
}

void Dictionary::Revert(const Undo& undo) {
  switch (undo.kind) {
    case Undo::kNothing:
      break;
    case Undo::kRestoreMeaning:
      mDicMeaning[undo.idx] = undo.meaning;
      break;
    case Undo::kErase:
      mDicWord.erase(mDicWord.begin() + undo.idx);
      mDicMeaning.erase(mDicMeaning.begin() + undo.idx);
      break;
    case Undo::kInsert:
      mDicWord.insert(mDicWord.begin() + undo.idx, undo.word);
      mDicMeaning.insert(mDicMeaning.begin() + undo.idx, undo.meaning);
      break;
  }
}

DictionaryFiles::DictionaryFiles(std::string baseFolder, FileOps& fs)
    : mBase(std::move(baseFolder)), mFs(fs) {}

std::string DictionaryFiles::DicPath() const {
  return mBase + "/dic/" + kDicDefault;
}

std::string DictionaryFiles::BackupFolder() const {
  return mBase + "/dic_backup";
}

std::string DictionaryFiles::BackupName(const std::tm& t) {
  const std::string name = kDicDefault;
  char stamp[80];
  std::snprintf(stamp, sizeof stamp, "_%04d_%02d%02d_%02d%02d_%02d", t.tm_year + 1900, t.tm_mon + 1,
                t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
  return name.substr(0, name.size() - 4) + stamp + ".txt";
}

Status DictionaryFiles::WriteFileRenameCurDic(const std::tm& t, std::string* oName) {
  if (oName)
    oName->clear();
  if (!mFs.Exists(DicPath()))
    return Status::Ok();
  const std::string name = BackupName(t);
  const std::string stem = name.substr(0, name.size() - 4);
  return KeepBackupCopy(mFs, DicPath(), BackupFolder(), stem, ".txt", oName);
}

Status DictionaryFiles::WriteFileMemoryDic(const Dictionary& dic) {
  return ReplaceFileAtomically(mFs, DicPath(), MakeDicFileBytes(dic.Words(), dic.Meanings()));
}

Status DictionaryFiles::AddEntry(Dictionary& dic, const std::u16string& word,
                                 const std::u16string& meaning, const std::tm& t) {
  if (!IsStorableEntry(word, meaning)) {
    return Status::Error(
        "not a dictionary entry: the word needs two characters or more, the "
        "meaning a visible character, and neither may hold a TAB or a line end");
  }
  return WriteThrough(dic, dic.Add(word, meaning), t);
}

Status DictionaryFiles::DeleteEntry(Dictionary& dic, int idx, const std::u16string& entry,
                                    const std::tm& t) {
  if (idx < 1 || idx > dic.Count()) {
    return Status::Error("no dictionary entry " + std::to_string(idx));
  }
  return WriteThrough(dic, dic.Delete(idx, entry), t);
}

Status DictionaryFiles::WriteThrough(Dictionary& dic, const Dictionary::Undo& undo,
                                     const std::tm& t) {
  std::string backup;
  Status s = WriteFileRenameCurDic(t, &backup);
  if (s.ok()) {
    s = WriteFileMemoryDic(dic);
    // The dictionary file is unchanged, so the backup made for this change is a second copy
    // of it: remove it, so that every backup stands for a change that happened.
    if (!s.ok() && !backup.empty())
      mFs.Remove(BackupFolder() + "/" + backup);
  }
  if (!s.ok())
    dic.Revert(undo);
  return s;
}

}  // namespace kelmoa
