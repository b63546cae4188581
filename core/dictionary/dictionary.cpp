// The dictionary store: loading, lookup tables, changes in memory and the written-through file.
#include "core/dictionary/dictionary.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "core/base/char_code.h"
#include "core/base/codepage.h"
#include "core/base/helpers.h"
#include "core/base/paths.h"
#include "core/base/side_by_side.h"

namespace kelmoa {
namespace {

std::u16string_view HeadOf(std::u16string_view line) {
  return line.substr(0, std::min(line.find(u'\t'), line.size()));
}

// Appends the TAB-separated pieces of s to out.
void SplitAtTabs(std::u16string_view s, StrList& out) {
  ForEachPiece(s, u'\t', [&](std::u16string_view piece) { out.emplace_back(piece); });
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

// One entry line inside the decoded file text, with the first code units of its head word and
// of its meanings packed into numbers, so that sorting seldom needs to look at the text.
struct LineRef {
  LineRef() {}  // left unset: the sort's scratch array is filled before it is read
  LineRef(uint64_t k1, uint64_t k2, uint64_t k4, uint64_t k3, uint32_t s, uint32_t h, uint32_t l)
      : key1(k1), key2(k2), key4(k4), key3(k3), start(s), headLen(h), len(l) {}

  uint64_t key1, key2, key4;  // the head word's code units 0..3, 4..7 and 8..11
  uint64_t key3;              // the code units 1..4 of the rest, the part from the first TAB on
  uint32_t start;             // where the line starts in the text
  uint32_t headLen;           // characters before the first TAB
  uint32_t len;
};

// Code units from..from+3 of s packed high to low, shorter strings padded with 0: two strings
// whose keys differ are in the order of their keys.
uint64_t Key(std::u16string_view s, size_t from) {
  uint64_t key = 0;
  for (size_t i = from; i < from + 4; ++i)
    key = (key << 16) | (i < s.size() ? s[i] : 0);
  return key;
}

// The entry lines of a dictionary file, kept as places in its decoded text so that loading a
// large dictionary allocates per entry, not per line.
struct EntryLines {
  std::u16string decoded;                // the file's text
  std::unique_ptr<char16_t[]> gathered;  // the lines' text as sorting gathers it
  std::u16string_view text;              // whichever of the two the lines point into
  std::vector<LineRef> lines;
  bool sorted = true;

  std::u16string_view Line(const LineRef& r) const { return text.substr(r.start, r.len); }
  std::u16string_view Head(const LineRef& r) const { return text.substr(r.start, r.headLen); }
  std::u16string_view Rest(const LineRef& r) const {
    return text.substr(r.start + r.headLen, r.len - r.headLen);
  }
  // The head words compared: negative, zero or positive. Up to twelve code units the keys and
  // the lengths tell (a shorter head word equal to the start of a longer one comes first).
  int CompareHeads(const LineRef& a, const LineRef& b) const {
    if (a.key1 != b.key1)
      return a.key1 < b.key1 ? -1 : 1;
    if (a.key2 != b.key2)
      return a.key2 < b.key2 ? -1 : 1;
    if (a.key4 != b.key4)
      return a.key4 < b.key4 ? -1 : 1;
    if (a.headLen <= 12 && b.headLen <= 12)
      return static_cast<int>(a.headLen) - static_cast<int>(b.headLen);
    return Head(a).compare(Head(b));
  }
  bool Less(const LineRef& a, const LineRef& b) const {
    if (const int c = CompareHeads(a, b); c != 0)
      return c < 0;
    if (a.key3 != b.key3)
      return a.key3 < b.key3;
    return Rest(a) < Rest(b);
  }

  // Sorts the lines. In a shuffled file the lines of neighbouring head words lie all over the
  // text, and visiting them in order would miss the cache at every line; so the lines are
  // first gathered by the first code unit of their head words into groups in ascending order,
  // each group's text copied into one piece, and then each group is sorted by itself.
  void Sort() {
    constexpr size_t kUnits = 65536;
    std::vector<uint32_t> first(kUnits + 1, 0);   // lines before each group, then its next place
    std::vector<uint32_t> textAt(kUnits + 1, 0);  // the same for the text
    for (const LineRef& r : lines) {
      const size_t u = r.key1 >> 48;
      ++first[u + 1];
      textAt[u + 1] += r.len;
    }
    for (size_t u = 1; u <= kUnits; ++u) {
      first[u] += first[u - 1];
      textAt[u] += textAt[u - 1];
    }
    const std::vector<uint32_t> groupStart(first);
    auto into = std::make_unique_for_overwrite<char16_t[]>(textAt[kUnits]);
    std::vector<LineRef> moved(lines.size());
    for (const LineRef& r : lines) {
      const size_t u = r.key1 >> 48;
      LineRef m = r;
      m.start = textAt[u];
      std::copy_n(text.data() + r.start, r.len, into.get() + m.start);
      textAt[u] += r.len;
      moved[first[u]++] = m;
    }
    text = std::u16string_view(into.get(), textAt[kUnits]);
    gathered = std::move(into);
    decoded = std::u16string();
    lines = std::move(moved);
    for (size_t u = 0; u < kUnits; ++u) {
      if (groupStart[u + 1] - groupStart[u] > 1) {
        std::sort(lines.begin() + groupStart[u], lines.begin() + groupStart[u + 1],
                  [&](const LineRef& a, const LineRef& b) { return Less(a, b); });
      }
    }
  }
};

// Where text holds a line end, CR or LF (or TAB as well), at or after from; its size when
// nowhere. Dictionary files are large, so four code units are looked at at once: a unit equal
// to the one sought becomes a zero lane, and the lowest lane that borrows when one is taken
// from every lane is the first zero one.
constexpr uint64_t kLanes = 0x0001000100010001ULL;
constexpr uint64_t kHigh = 0x8000800080008000ULL;

uint64_t ZeroLanes(uint64_t v) {
  return (v - kLanes) & ~v & kHigh;
}

bool IsLineEnd(char16_t ch) {
  return ch == u'\r' || ch == u'\n';
}

template <bool kTabToo>
size_t FindLineMark(std::u16string_view text, size_t from) {
  const size_t n = text.size();
  size_t i = from;
  for (; i + 4 <= n; i += 4) {
    uint64_t v = 0;
    std::memcpy(&v, text.data() + i, sizeof v);
    uint64_t hits = ZeroLanes(v ^ (kLanes * u'\r')) | ZeroLanes(v ^ (kLanes * u'\n'));
    if constexpr (kTabToo)
      hits |= ZeroLanes(v ^ (kLanes * u'\t'));
    if (hits != 0)
      return i + static_cast<size_t>(std::countr_zero(hits)) / 16;
  }
  for (; i < n; ++i) {
    if (IsLineEnd(text[i]) || (kTabToo && text[i] == u'\t'))
      return i;
  }
  return n;
}

size_t FindTabOrLineEnd(std::u16string_view text, size_t from) {
  return FindLineMark<true>(text, from);
}
size_t FindLineEnd(std::u16string_view text, size_t from) {
  return FindLineMark<false>(text, from);
}

// The line's first TAB (npos when none) if the line is an entry line; false when it is not.
bool FindEntryTab(std::u16string_view line, size_t tab, size_t& foundTab) {
  foundTab = tab;
  // Most lines have no spaces at either end: then the line is its own trimmed form.
  if (!line.empty() && line.front() != u' ' && line.back() != u' ')
    return tab != std::u16string_view::npos && tab >= 2 && line.size() > tab + 1;
  return IsDicLine(line);
}

// The line (from 1) that holds byte `at`; CR LF, CR and LF each end a line.
long long LineOfByte(std::string_view bytes, size_t at) {
  long long line = 1;
  for (size_t i = 0; i < at && i < bytes.size(); ++i) {
    if (bytes[i] == '\r' || (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')))
      ++line;
  }
  return line;
}

// How the bytes of a dictionary fail to be plain CP932, if they do: a byte that decodes to no
// character, or a character code other than ASCII and Shift_JIS for the file as a whole (text
// in EUC-JP or UTF-8 may decode as CP932 without a fault, to the wrong characters).
std::optional<ForeignCode> FindForeignCode(std::string_view bytes, size_t firstBad) {
  // Plain 7-bit text without escapes or "+" is ASCII whatever else is tried.
  const auto plain = [](unsigned char b) { return b < 0x80 && b != 0x1B && b != '+'; };
  if (firstBad == std::string_view::npos && std::all_of(bytes.begin(), bytes.end(), plain))
    return std::nullopt;
  const CharCode code = DetectCharCode(bytes);
  if (firstBad == std::string_view::npos && IsSjisCompatible(code))
    return std::nullopt;
  ForeignCode foreign;
  foreign.code = code == CharCode::kNone ? CharCode::kSjis : code;
  size_t at = firstBad;
  if (at == std::string_view::npos) {
    // Every byte decodes: the first line that is not plain ASCII shows the other code.
    const auto it = std::find_if(bytes.begin(), bytes.end(), [&](unsigned char b) {
      return code == CharCode::kUtf7 ? b == '+' : (b >= 0x80 || b == 0x1B);
    });
    at = static_cast<size_t>(it - bytes.begin());
  }
  foreign.line = LineOfByte(bytes, at);
  return foreign;
}

// A dictionary file's failure for a file over the size limit.
Status TooLarge(const std::string& path, long long size) {
  return Status::Found(
      StatusCode::kTooLarge, Finding::kDicTooLarge, "read " + path,
      std::to_string(size) + " bytes, over the limit of " + std::to_string(kMaxDicFileBytes), size);
}

Status ReadEntryLines(const std::string& path, FileOps& fs, EntryLines& out,
                      FileStamp* stamp = nullptr, std::optional<ForeignCode>* foreign = nullptr) {
  Status status;
  {
    std::string bytes;
    FileStamp read;
    status = fs.ReadFile(path, bytes, kMaxDicFileBytes, &read);  // bytes: what was read
    if (!status.ok() && read.exists && read.size > kMaxDicFileBytes)
      return TooLarge(path, read.size);
    if (stamp != nullptr)
      *stamp = read;
    // The places of the lines are 32-bit: a dictionary of 4 GB is no dictionary.
    if (bytes.size() >= UINT32_MAX)
      return TooLarge(path, static_cast<long long>(bytes.size()));
    SjisDecoder decoder;
    out.decoded = decoder.Decode(bytes);
    out.text = out.decoded;
    if (foreign != nullptr)
      *foreign = FindForeignCode(bytes, decoder.FirstBadByte());
  }  // the file's bytes are not needed any more
  out.lines.clear();
  // Room for a line every eight characters, more than any dictionary has: only the part
  // used is ever touched.
  out.lines.reserve(out.text.size() / 8 + 1);
  out.sorted = true;
  const std::u16string_view text = out.text;
  const size_t n = text.size();
  size_t start = 0;
  while (start < n) {
    // The line's first TAB, then its end.
    size_t tab = std::u16string_view::npos;
    size_t end = FindTabOrLineEnd(text, start);
    if (end < n && text[end] == u'\t') {
      tab = end - start;
      end = FindLineEnd(text, end + 1);
    }
    const std::u16string_view line = text.substr(start, end - start);
    size_t headLen = 0;
    if (FindEntryTab(line, tab, headLen)) {
      const std::u16string_view head = line.substr(0, headLen);
      const LineRef ref{Key(head, 0),
                        Key(head, 4),
                        Key(head, 8),
                        Key(line.substr(headLen), 1),
                        static_cast<uint32_t>(start),
                        static_cast<uint32_t>(headLen),
                        static_cast<uint32_t>(line.size())};
      // Lines that are not entry lines take no part in the order check.
      if (out.sorted && !out.lines.empty() && out.Less(ref, out.lines.back()))
        out.sorted = false;
      out.lines.push_back(ref);
    }
    // CR LF, a lone CR and a lone LF each end a line: files made by Linux editors end their
    // lines with LF alone.
    start = end + 1;
    if (end < n && text[end] == u'\r' && start < n && text[start] == u'\n')
      ++start;
  }
  return status;
}

}  // namespace

Status ReadLinesAndCheckOrder(const std::string& path, StrList& fileLines, bool& inOrder,
                              FileOps& fs) {
  EntryLines entries;
  Status status = ReadEntryLines(path, fs, entries);
  fileLines = NewStrList();
  for (const LineRef& r : entries.lines)
    fileLines.emplace_back(entries.Line(r));
  inOrder = entries.sorted;
  return status;
}

namespace {

// Calls line(word, meaning) for every line of the dictionary file in order: one per meaning.
template <typename Line>
void ForEachDicFileLine(const StrList& words, const StrList& meanings, Line line) {
  for (size_t i = 1; i < words.size(); ++i) {
    const std::u16string_view word = words[i];
    ForEachPiece(meanings[i], u'\t', [&](std::u16string_view mn) { line(word, mn); });
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

namespace {

// A dictionary of fewer entries is written out on one thread: starting a second would cost
// more than it saves.
constexpr size_t kEntriesForTwoThreads = 20000;

// Room for the bytes of entries [from, to) in the file, every character counted as two bytes:
// each line is the head word, TAB, one meaning and CR LF, and a TAB between meanings starts a
// line.
size_t DicFileRoom(const StrList& words, const StrList& meanings, size_t from, size_t to) {
  size_t room = 0;
  for (size_t i = from; i < to; ++i) {
    const auto tabs =
        static_cast<size_t>(std::count(meanings[i].begin(), meanings[i].end(), u'\t'));
    room += (tabs + 1) * (2 * words[i].size() + 3) + 2 * meanings[i].size();
  }
  return room;
}

// The bytes of entries [from, to). A character's second byte may be stored one past its first
// and is then overwritten; every entry ends with CR LF stored byte by byte, so nothing is
// stored past the entries' own bytes.
std::string DicFileLines(const StrList& words, const StrList& meanings, size_t from, size_t to) {
  std::string bytes(DicFileRoom(words, meanings, from, to), '\0');
  const auto& stores = SjisStores();
  char* p = bytes.data();
  for (size_t i = from; i < to; ++i) {
    char* const head = p;
    for (const char16_t ch : words[i])
      p = WriteSjisUnit(stores, ch, p);
    *p++ = '\t';
    const size_t headLen = static_cast<size_t>(p - head);
    for (const char16_t ch : meanings[i]) {
      if (ch != u'\t') {
        p = WriteSjisUnit(stores, ch, p);
        continue;
      }
      *p++ = '\r';
      *p++ = '\n';
      p = std::copy_n(head, headLen, p);
    }
    *p++ = '\r';
    *p++ = '\n';
  }
  bytes.resize(static_cast<size_t>(p - bytes.data()));
  return bytes;
}

}  // namespace

std::string MakeDicFileBytes(const StrList& words, const StrList& meanings) {
  // A large dictionary is written in two halves side by side, each into room enough for it,
  // and the second is then appended to the first.
  const size_t end = words.size();
  const bool halves = end > kEntriesForTwoThreads;
  const size_t mid = halves ? end / 2 : end;
  std::string first, second;
  RunSideBySide(
      halves, [&] { first = DicFileLines(words, meanings, 1, mid); },
      [&] { second = DicFileLines(words, meanings, mid, end); });
  first += second;
  return first;
}

Status Dictionary::LoadDicFile(const std::string& path, FileOps& fs) {
  // A failed load leaves no version to compare with: the next change loads the file again.
  mStamp.reset();
  mForeign.reset();
  try {
    EntryLines entries;
    FileStamp stamp;
    std::optional<ForeignCode> foreign;
    Status status = ReadEntryLines(path, fs, entries, &stamp, &foreign);
    mDicWord = NewStrList();
    mDicMeaning = NewStrList();
    if (!entries.sorted)
      entries.Sort();
    // Lines of one head word are adjacent now: one entry each, meanings joined by TAB.
    mDicWord.reserve(entries.lines.size() + 1);
    mDicMeaning.reserve(entries.lines.size() + 1);
    const std::vector<LineRef>& lines = entries.lines;
    const char16_t* const text = entries.text.data();
    std::u16string meanings;
    for (size_t i = 0; i < lines.size();) {
      // The lines of a shuffled dictionary lie all over the text: ask for them ahead of time.
      if (i + 16 < lines.size())
        __builtin_prefetch(text + lines[i + 16].start);
      size_t next = i + 1, size = lines[i].len;
      while (next < lines.size() && entries.CompareHeads(lines[i], lines[next]) == 0)
        size += lines[next++].len;
      meanings.clear();
      meanings.reserve(size);
      for (size_t j = i; j < next; ++j)
        AppendMeanings(entries.Rest(lines[j]).substr(1), meanings);
      if (!meanings.empty()) {
        mDicWord.emplace_back(entries.Head(lines[i]));
        mDicMeaning.emplace_back(meanings);
      }
      i = next;
    }
    if (status.ok())
      mStamp = stamp;
    mForeign = std::move(foreign);
    return status;
  } catch (const std::bad_alloc&) {
    // Nothing is half loaded: the dictionary is left empty, and the failure reported.
    mDicWord.clear();
    mDicMeaning.clear();
    mDicWord.shrink_to_fit();
    mDicMeaning.shrink_to_fit();
    return Status::Found(StatusCode::kOutOfMemory, Finding::kNoMemoryToLoad, "read " + path,
                         "out of memory");
  }
}

void Dictionary::AddInMemory(const std::u16string& word, const std::u16string& meaning) {
  Add(word, meaning);
}

void Dictionary::DeleteInMemory(int idx, const std::u16string& entry) {
  Delete(idx, entry);
}

Dictionary::Undo Dictionary::Add(const std::u16string& word, const std::u16string& meaning) {
  const auto it = std::lower_bound(mDicWord.begin() + 1, mDicWord.end(), word);
  const int pos = static_cast<int>(it - mDicWord.begin());
  if (it != mDicWord.end() && *it == word) {
    std::u16string joined = mDicMeaning[pos] + u'\t' + meaning;
    Undo undo{Undo::kRestoreMeaning, pos, {}, std::exchange(mDicMeaning[pos], std::move(joined))};
    return undo;
  }
  // Everything that needs memory comes first, so that running out of it changes nothing and
  // the two lists never differ in length.
  std::u16string newWord(word), newMeaning(meaning);
  mDicWord.reserve(mDicWord.size() + 1);
  mDicMeaning.reserve(mDicMeaning.size() + 1);
  mDicWord.insert(mDicWord.begin() + pos, std::move(newWord));
  mDicMeaning.insert(mDicMeaning.begin() + pos, std::move(newMeaning));
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

void Dictionary::Revert(Undo undo) {
  switch (undo.kind) {
    case Undo::kNothing:
      break;
    case Undo::kRestoreMeaning:
      mDicMeaning[undo.idx] = std::move(undo.meaning);
      break;
    case Undo::kErase:
      mDicWord.erase(mDicWord.begin() + undo.idx);
      mDicMeaning.erase(mDicMeaning.begin() + undo.idx);
      break;
    case Undo::kInsert:  // the erase left room: no new memory is needed
      mDicWord.insert(mDicWord.begin() + undo.idx, std::move(undo.word));
      mDicMeaning.insert(mDicMeaning.begin() + undo.idx, std::move(undo.meaning));
      break;
  }
}

DictionaryFiles::DictionaryFiles(std::string baseFolder, FileOps& fs)
    : mBase(std::move(baseFolder)), mFs(fs) {}

std::string DictionaryFiles::DicPath() const {
  return kelmoa::DicPath(mBase);
}

std::string DictionaryFiles::BackupFolder() const {
  return kelmoa::BackupFolder(mBase);
}

Status DictionaryFiles::KeepBackup(const std::tm& t, std::string* backupName, bool syncFolder) {
  if (backupName)
    backupName->clear();
  // The backup holds the bytes of the file a link leads to, never a copy of the link.
  const std::string current = FollowLinks(DicPath());
  if (!mFs.Exists(current))
    return Status::Ok();
  // A backup folder deleted since the start is made again rather than refuse every change.
  if (::mkdir(BackupFolder().c_str(), 0777) != 0 && errno != EEXIST)
    return Status::FromErrno("create", BackupFolder(), errno);
  return KeepBackupCopy(
      mFs, current, BackupFolder(), [&t](int copy) { return BackupFileName(t, copy); }, backupName,
      syncFolder);
}

Status DictionaryFiles::WriteDictionary(const Dictionary& dic, const std::string& syncFirst) {
  return ReplaceFileAtomically(mFs, DicPath(), MakeDicFileBytes(dic.Words(), dic.Meanings()),
                               syncFirst);
}

// One change as asked for, so that it can be applied again to a copy loaded afresh.
struct DictionaryFiles::Request {
  bool remove = false;
  std::u16string word;     // the head word to add to, or of the entry to delete from
  std::u16string meaning;  // the meaning to add, or to delete
  int idx = 0;             // remove: the entry in the dictionary the request was made on
  std::u16string entry;    // remove: the editor's line (head word, space, meaning)
};

namespace {

// How long a change waits for another program's change to end before it gives up.
constexpr std::chrono::seconds kLockPatience{10};

DicChange Refused(DicChange::Refusal why) {
  DicChange change;
  change.outcome = DicChange::Outcome::kRefused;
  change.refusal = why;
  return change;
}

DicChange Failed(DicChange change, Status status) {
  change.outcome = DicChange::Outcome::kFailed;
  change.status = std::move(status);
  return change;
}

// The character of text at `at`, with its second half when it is a surrogate pair.
std::u16string CharacterAt(std::u16string_view text, size_t at) {
  const bool pair = at + 1 < text.size() && text[at] >= 0xD800 && text[at] <= 0xDBFF &&
                    text[at + 1] >= 0xDC00 && text[at + 1] <= 0xDFFF;
  return std::u16string(text.substr(at, pair ? 2 : 1));
}

// Whether the file may be written (AllowsWriting); a missing file has nothing to protect.
bool MayWrite(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) != 0 || AllowsWriting(path, st);
}

// The index of entry `word`, 0 when there is none.
int IndexOf(const Dictionary& dic, const std::u16string& word) {
  const StrList& words = dic.Words();
  const auto it = std::lower_bound(words.begin() + 1, words.end(), word);
  return it != words.end() && *it == word ? static_cast<int>(it - words.begin()) : 0;
}

bool HoldsMeaning(const Dictionary& dic, int idx, std::u16string_view meaning) {
  StrList pieces;
  SplitAtTabs(dic.Meanings()[idx], pieces);
  return std::find(pieces.begin(), pieces.end(), meaning) != pieces.end();
}

Status OutOfMemory(const std::string& context) {
  return Status::Found(StatusCode::kOutOfMemory, Finding::kNoMemoryToChange, context,
                       "out of memory");
}

}  // namespace

DicChange DictionaryFiles::AddEntry(Dictionary& dic, const std::u16string& word,
                                    const std::u16string& meaning, const std::tm& t) {
  if (!IsStorableEntry(word, meaning))
    return Refused(DicChange::Refusal::kNotAnEntry);
  for (const bool inWord : {true, false}) {
    const std::u16string& text = inWord ? word : meaning;
    if (const size_t at = FindNonSjis(text); at != std::u16string::npos) {
      DicChange change = Refused(DicChange::Refusal::kNonSjisCharacter);
      change.character = CharacterAt(text, at);
      change.inWord = inWord;
      return change;
    }
  }
  Request request;
  request.word = word;
  request.meaning = meaning;
  return WriteThrough(dic, request, t);
}

DicChange DictionaryFiles::DeleteEntry(Dictionary& dic, int idx, const std::u16string& entry,
                                       const std::tm& t) {
  if (idx < 1 || idx > dic.Count()) {
    DicChange change = Refused(DicChange::Refusal::kNoSuchEntry);
    change.index = idx;
    return change;
  }
  Request request;
  request.remove = true;
  request.word = dic.Words()[idx];
  const size_t sp = entry.find(u' ');
  request.meaning = sp == std::u16string::npos ? entry : entry.substr(sp + 1);
  request.idx = idx;
  request.entry = entry;
  return WriteThrough(dic, request, t);
}

DicChange DictionaryFiles::WriteThrough(Dictionary& dic, const Request& request, const std::tm& t) {
  DicChange change;
  change.path = FollowLinks(DicPath());
  try {
    // The new file is made beside the old one, and the lock lives there too: a folder that
    // cannot be written is said as such, not as a lock file that cannot be made.
    if (::access(DirOf(change.path).c_str(), W_OK) != 0 && (errno == EACCES || errno == EROFS)) {
      DicChange refused = Refused(DicChange::Refusal::kFolderNotWritable);
      refused.path = change.path;
      return refused;
    }
    ExclusiveLock lock;
    if (Status s = lock.Take(LockPath(DirOf(change.path)), kLockPatience); !s.ok()) {
      if (lock.Busy()) {
        DicChange busy = Refused(DicChange::Refusal::kBusy);
        busy.path = change.path;
        return busy;
      }
      return Failed(change, s);
    }
    // Only a killed change leaves these: every live one waits for the lock.
    const std::string dicName = NameOf(change.path);
    RemoveLeftovers(
        mFs, DirOf(change.path),
        [&](std::string_view name) { return IsDicTemporary(name, dicName); }, lock.TakenAt());
    RemoveLeftovers(mFs, BackupFolder(), IsBackupTemporary, lock.TakenAt());

    FileStamp current;
    if (Status s = StampFile(change.path, current); !s.ok())
      return Failed(change, s);
    int idx = request.idx;
    if (!dic.mStamp || *dic.mStamp != current) {
      // Another program changed the file since dic was loaded: this change goes onto what
      // the file holds now.
      Dictionary fresh;
      if (Status s = fresh.LoadDicFile(DicPath(), mFs); !s.ok())
        return Failed(change, s);
      dic = std::move(fresh);
      change.reloaded = true;
      if (request.remove) {
        idx = IndexOf(dic, request.word);
        if (idx == 0 || !HoldsMeaning(dic, idx, request.meaning)) {
          change.outcome = DicChange::Outcome::kUnchanged;
          return change;
        }
      }
    }
    if (dic.mForeign) {
      DicChange refused = Refused(DicChange::Refusal::kForeignFile);
      refused.foreign = *dic.mForeign;
      refused.path = change.path;
      refused.reloaded = change.reloaded;
      return refused;
    }
    if (!MayWrite(change.path)) {
      DicChange refused = Refused(DicChange::Refusal::kWriteProtected);
      refused.path = change.path;
      refused.reloaded = change.reloaded;
      return refused;
    }

    Dictionary::Undo undo =
        request.remove ? dic.Delete(idx, request.entry) : dic.Add(request.word, request.meaning);
    std::string backup;
    Status s;
    try {
      // The backup folder is synced with the new file, before it replaces the old one: the
      // backup is on the disk first all the same, and the disk is waited for once fewer.
      s = KeepBackup(t, &backup, false);
      if (s.ok())
        s = WriteDictionary(dic, backup.empty() ? std::string() : BackupFolder());
    } catch (const std::bad_alloc&) {
      s = OutOfMemory("write " + change.path);
    }
    if (!s.ok()) {
      // The dictionary file is unchanged, so the backup made for this change is a second
      // copy of it: remove it, so that every backup stands for a change that happened. Should
      // it stay, it is one copy too many of a dictionary that is kept anyway: the failed
      // change is what is reported.
      if (!backup.empty())
        (void)mFs.Remove(JoinPath(BackupFolder(), backup));
      dic.Revert(std::move(undo));
      // Linking the backup and removing it again touched the file's inode time: the file is
      // still the one in memory, and the next change must not take it for another's.
      FileStamp after;
      if (StampFile(change.path, after).ok() && after.exists && current.exists &&
          after.inode == current.inode && after.device == current.device &&
          after.size == current.size && after.modifiedNs == current.modifiedNs) {
        dic.mStamp = after;
      }
      return Failed(change, s);
    }
    // The file is this program's own version now; should its stamp not be had, the next
    // change loads the file again rather than trust memory.
    FileStamp written;
    if (StampFile(change.path, written).ok() && written.exists)
      dic.mStamp = written;
    else
      dic.mStamp.reset();
    return change;
  } catch (const std::bad_alloc&) {
    return Failed(change, OutOfMemory("change " + change.path));
  }
}

}  // namespace kelmoa
