// Preparing a refused text into a copy the reader accepts.
#include "core/text/prepare_text.h"

#include <sys/stat.h>
#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <unordered_map>

#include "core/base/char_code.h"
#include "core/base/codepage.h"
#include "core/text/text_reader.h"

namespace kelmoa {

namespace {

// The transliteration: a few typographic signs in the spelling English texts use for them,
// then every script into Latin letters, then Latin letters into ASCII (é to e, ß to ss, a
// no-break space to a space).
constexpr char16_t kTransliterationRules[] =
    u"\\u2014 > '--'; \\u2022 > '*'; \\u20AC > EUR; \\u2122 > '(TM)';"
    u":: Any-Latin; :: Latin-ASCII;";

// How many of the last lines of a part are searched for a blank line to end it at.
constexpr size_t kSplitSearchLines = 1000;

// The characters of ISO-2022-JP that iconv decodes to other code points than CP932 uses for
// the same JIS character: a text in ISO-2022-JP keeps them as the CP932 characters.
constexpr std::array<std::pair<char16_t, char16_t>, 6> kJisToCp932 = {{
    {u'\u301C', u'\uFF5E'},  // wave dash
    {u'\u2016', u'\u2225'},  // double vertical line
    {u'\u2212', u'\uFF0D'},  // minus sign
    {u'\u00A2', u'\uFFE0'},  // cent sign
    {u'\u00A3', u'\uFFE1'},  // pound sign
    {u'\u00AC', u'\uFFE2'},  // not sign
}};

bool IsBreakSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\u3000';
}

bool IsBlank(std::u16string_view line) {
  return std::all_of(line.begin(), line.end(), IsBreakSpace);
}

bool IsTypographicApostrophe(UChar32 c) {
  return c == 0x2019 || c == 0x02BC;
}

bool IsLineEnd(char16_t c) {
  return c == u'\r' || c == u'\n' || c == u'\u0085' || c == u'\u2028' || c == u'\u2029';
}

// Calls line(text, end) for each line of text, end the place just after it: CR LF, a lone CR,
// a lone LF, U+0085, U+2028 and U+2029 each end a line, and a last line without an ending is
// a line. Stops when line returns false, and returns false then.
template <typename Line>
bool ForEachAnyLine(std::u16string_view text, Line line) {
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (!IsLineEnd(c))
      continue;
    if (!line(text.substr(start, i - start), i))
      return false;
    if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
      ++i;
    start = i + 1;
  }
  return start >= text.size() || line(text.substr(start), text.size());
}

// Whether line takes at most width CP932 bytes. Every character takes one byte at least, so no
// more than width + 1 of them are looked at: a line of any length is judged at once.
bool FitsWidth(std::u16string_view line, long long width) {
  const auto& lengths = SjisByteLengths();
  long long bytes = 0;
  for (size_t i = 0; i < line.size() && bytes <= width; ++i)
    bytes += lengths[line[i]];
  return bytes <= width;
}

// Calls piece(part) for each part of line as WrapLine cuts it; stops when piece returns
// false, and returns false then. Each cut looks at no more than a width of characters, so a
// line of any length is wrapped in time that grows with its length alone.
template <typename Piece>
bool ForEachWrappedPiece(std::u16string_view line, int width, Piece piece) {
  const auto& lengths = SjisByteLengths();
  const auto limit = static_cast<long long>(width);
  bool any = false;
  while (!FitsWidth(line, limit)) {
    // The last space that starts a run of spaces after a non-space, with the part before it
    // within the width; and, for a word too long to break, how much of it fits.
    size_t breakAt = 0;
    size_t fits = 0;
    long long bytes = 0;
    for (size_t i = 0; i < line.size(); ++i) {
      if (IsBreakSpace(line[i]) && i > 0 && !IsBreakSpace(line[i - 1]))
        breakAt = i;
      bytes += lengths[line[i]];
      if (bytes > limit)
        break;
      fits = i + 1;
    }
    size_t rest = 0;
    any = true;
    if (breakAt > 0) {
      if (!piece(line.substr(0, breakAt)))
        return false;
      rest = breakAt;
      while (rest < line.size() && IsBreakSpace(line[rest]))
        ++rest;
    } else {
      fits = std::max<size_t>(fits, 1);  // a width below one character still moves on
      if (!piece(line.substr(0, fits)))
        return false;
      rest = fits;
    }
    line.remove_prefix(rest);
  }
  return (line.empty() && any) || piece(line);
}

// Decodes UTF-8. A byte sequence that is not UTF-8 becomes one U+FFFD (which the mapping then
// writes as "?"), and damage counts their bytes and names their lines.
std::u16string DecodeUtf8(std::string_view bytes, Utf8Damage& damage) {
  damage = Utf8Damage{};
  std::u16string text(bytes.size(), u'\0');  // one unit a byte at most
  size_t used = 0;
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  const auto size = static_cast<int64_t>(bytes.size());
  long long line = 1, lastBadLine = 0;
  UChar32 previous = 0;
  for (int64_t i = 0; i < size;) {
    // A run of ASCII other than line ends, the most of an English text, as it stands.
    while (i < size && p[i] < 0x80 && p[i] != '\r' && p[i] != '\n')
      text[used++] = static_cast<char16_t>(p[i++]);
    if (i == size)
      break;
    const int64_t start = i;
    UChar32 c = 0;
    U8_NEXT(p, i, size, c);
    if (c < 0) {
      damage.badBytes += i - start;
      if (line != lastBadLine) {
        lastBadLine = line;
        ++damage.lineCount;
        if (damage.lines.size() < Utf8Damage::kMaxListedLines)
          damage.lines.push_back(line);
      }
      c = 0xFFFD;
    } else if (c <= 0xFFFF && IsLineEnd(static_cast<char16_t>(c)) &&
               !(c == u'\n' && previous == u'\r')) {
      ++line;
    }
    previous = c;
    U16_APPEND_UNSAFE(text.data(), used, c);  // a character of n bytes takes n - 1 units at most
  }
  text.resize(used);
  return text;
}

// Gathers the prepared lines into parts of at most kMaxLines lines as CP932 bytes, each line
// ended by CR LF. A part that must end (another line follows its last) ends after the last
// blank line among its last kSplitSearchLines lines when there is one, so that paragraphs
// stay whole; the lines after that begin the next part. No more than kMaxPreparedParts parts
// are made.
class PartBuilder {
 public:
  explicit PartBuilder(std::vector<std::string>& parts) : mParts(parts) { mParts.clear(); }

  // Adds a line within the width; false, with nothing added, when a part beyond the last
  // allowed would have to begin for it.
  bool Add(std::u16string_view line) {
    if (mEnds.size() == kMaxLines && !EndPart())
      return false;
    if (IsBlank(line))
      mLastBlank = mEnds.size();
    AppendSjis(line, mCurrent);
    mCurrent += "\r\n";
    mEnds.push_back(mCurrent.size());
    return true;
  }
  // Closes the last part (an empty text has one empty part).
  void Finish() { mParts.push_back(std::move(mCurrent)); }

 private:
  static constexpr size_t kMaxLines = static_cast<size_t>(kelmoa::kMaxLines);

  bool EndPart() {
    if (mParts.size() + 2 > kMaxPreparedParts)
      return false;
    const size_t lowest = kMaxLines - std::min(kSplitSearchLines, kMaxLines - 1);
    const size_t end = mLastBlank != kNone && mLastBlank >= lowest ? mLastBlank + 1 : kMaxLines;
    const size_t cut = mEnds[end - 1];
    mParts.push_back(mCurrent.substr(0, cut));
    mCurrent.erase(0, cut);
    std::vector<size_t> rest;
    for (size_t i = end; i < mEnds.size(); ++i)
      rest.push_back(mEnds[i] - cut);
    mEnds = std::move(rest);
    mLastBlank = kNone;  // the lines after the last blank one hold none
    return true;
  }

  static constexpr size_t kNone = static_cast<size_t>(-1);
  std::vector<std::string>& mParts;
  std::string mCurrent;       // the part being gathered
  std::vector<size_t> mEnds;  // where each of its lines ends in mCurrent
  size_t mLastBlank = kNone;  // its last blank line
};

}  // namespace

namespace detail {

// Maps the characters of a line into those a prepared text holds. Remembers what each
// character outside CP932 became, so that a long text transliterates each only once.
class CharMapper {
 public:
  CharMapper(std::unique_ptr<icu::Transliterator> transliterator, const icu::Normalizer2& nfc)
      : mTransliterator(std::move(transliterator)), mNfc(nfc), mHeld(MakeHeldTable()) {}

  std::u16string Map(std::u16string_view line, PrepareCounts& counts) {
    // Printable ASCII and TAB, the most of an English text, stay as they are.
    if (std::all_of(line.begin(), line.end(),
                    [](char16_t c) { return (c >= 0x20 && c < 0x7F) || c == u'\t'; }))
      return std::u16string(line);

    // Accents written as separate marks (as some systems save them) are put together with
    // their letters first, so that they are transliterated with them. Lines without such a
    // mark are left as they are, so that a CP932 text keeps its characters exactly.
    icu::UnicodeString composed;
    if (HasMarkOutsideCp932(line)) {
      UErrorCode err = U_ZERO_ERROR;
      composed =
          mNfc.normalize(icu::UnicodeString(line.data(), static_cast<int32_t>(line.size())), err);
      if (U_SUCCESS(err))
        line = std::u16string_view(composed.getBuffer(), static_cast<size_t>(composed.length()));
    }

    // First every character but the typographic apostrophes, which stay for the second step.
    std::u16string out;
    out.reserve(line.size());
    const auto size = static_cast<int32_t>(line.size());
    for (int32_t i = 0; i < size;) {
      UChar32 c = 0;
      U16_NEXT(line.data(), i, size, c);
      const int8_t type = u_charType(c);
      // Zero-width spaces and joiners, soft hyphens, byte-order marks, direction marks and
      // control characters show nothing, and neither does a mark left over after composing
      // (a variation selector, an accent on a letter that has no composed form): they go.
      const bool shown = type != U_CONTROL_CHAR && type != U_FORMAT_CHAR;
      const bool mark = type == U_NON_SPACING_MARK || type == U_ENCLOSING_MARK;
      if (c == u'\t' || IsTypographicApostrophe(c) || (shown && Held(c))) {
        out.push_back(static_cast<char16_t>(c));
      } else if (shown && !mark) {
        AppendTransliterated(c, out, counts);
      }
    }
    // Then the apostrophes, between the characters they stand between in the result, so that
    // preparing the result again decides the same: "don’t" becomes one word for the reader's
    // word splitter; any other stays as CP932 has it, or is transliterated.
    std::u16string result;
    result.reserve(out.size());
    for (size_t k = 0; k < out.size(); ++k) {
      const char16_t c = out[k];
      const bool apostrophe = IsTypographicApostrophe(c);
      if (apostrophe && k > 0 && k + 1 < out.size() && u_isalpha(out[k - 1]) &&
          u_isalpha(out[k + 1])) {
        result.push_back(u'\'');
        ++counts.charsTransliterated;
      } else if (!apostrophe || Held(c)) {
        result.push_back(c);
      } else {
        AppendTransliterated(c, result, counts);
      }
    }
    return result;
  }

 private:
  struct Transliteration {
    std::u16string text;
    bool ok = false;  // the result is all characters a prepared text holds
  };

  // Every code unit that CP932 holds and gives back unchanged: the characters a prepared text
  // keeps as they are. (CP932 also takes some others, the em dash for one, but reads them back
  // as another character.)
  static std::vector<bool> MakeHeldTable() {
    std::u16string all(65536, u'\0');
    for (size_t u = 0; u < all.size(); ++u)
      all[u] = static_cast<char16_t>(u);
    // Each unit is stored as whole characters, so the stored bytes decode unit by unit.
    const std::u16string back = SjisToUtf16(Utf16ToSjis(all));
    std::vector<bool> held(65536, false);
    if (back.size() == all.size()) {
      for (size_t u = 0; u < all.size(); ++u)
        held[u] = back[u] == all[u];
    }
    return held;
  }

  bool Held(UChar32 c) const { return c >= 0 && c <= 0xFFFF && mHeld[static_cast<size_t>(c)]; }

  bool HasMarkOutsideCp932(std::u16string_view line) const {
    for (const char16_t c : line) {
      if (c >= 0x300 && !Held(c)) {
        const int8_t type = u_charType(c);
        if (type == U_NON_SPACING_MARK || type == U_COMBINING_SPACING_MARK)
          return true;
      }
    }
    return false;
  }

  void AppendTransliterated(UChar32 c, std::u16string& out, PrepareCounts& counts) {
    const Transliteration& t = Transliterate(c);
    if (t.ok) {
      out += t.text;
      ++counts.charsTransliterated;
    } else {
      out.push_back(u'?');
      ++counts.charsReplaced;
    }
  }

  const Transliteration& Transliterate(UChar32 c) {
    const auto found = mCache.find(c);
    if (found != mCache.end())
      return found->second;
    icu::UnicodeString s(c);
    mTransliterator->transliterate(s);
    Transliteration t;
    t.text.assign(s.getBuffer(), static_cast<size_t>(s.length()));
    char16_t original[2] = {};
    int32_t length = 0;
    U16_APPEND_UNSAFE(original, length, c);
    t.ok = t.text != std::u16string_view(original, static_cast<size_t>(length)) &&
           std::all_of(t.text.begin(), t.text.end(),
                       [this](char16_t u) { return Held(u) && u_charType(u) != U_CONTROL_CHAR; });
    return mCache.emplace(c, std::move(t)).first->second;
  }

  std::unique_ptr<icu::Transliterator> mTransliterator;
  const icu::Normalizer2& mNfc;
  const std::vector<bool> mHeld;
  std::unordered_map<UChar32, Transliteration> mCache;
};

}  // namespace detail

bool CanPrepareCode(CharCode code) {
  return code != CharCode::kNone && code != CharCode::kUtf7;
}

Status TextPreparer::Create(std::unique_ptr<TextPreparer>& out) {
  UErrorCode err = U_ZERO_ERROR;
  UParseError parseError{};
  std::unique_ptr<icu::Transliterator> t(icu::Transliterator::createFromRules(
      icu::UnicodeString(u"Kelmoa-Prepare"), icu::UnicodeString(kTransliterationRules),
      UTRANS_FORWARD, parseError, err));
  if (U_FAILURE(err) || t == nullptr)
    return Status::Make(StatusCode::kUnsupported, "the transliterator cannot be made",
                        u_errorName(err));
  const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(err);
  if (U_FAILURE(err) || nfc == nullptr)
    return Status::Make(StatusCode::kUnsupported, "the normalizer cannot be made",
                        u_errorName(err));
  out.reset(new TextPreparer(std::make_unique<detail::CharMapper>(std::move(t), *nfc)));
  return Status::Ok();
}

TextPreparer::TextPreparer(std::unique_ptr<detail::CharMapper> mapper)
    : mMapper(std::move(mapper)) {}

TextPreparer::~TextPreparer() = default;

std::u16string TextPreparer::MapLine(std::u16string_view line, PrepareCounts& counts) {
  return mMapper->Map(line, counts);
}

PreparedText TextPreparer::Prepare(std::string_view bytes, int width, PrepareProgress* progress) {
  width = std::clamp(width, kMinPrepareWidth, kMaxPrepareWidth);
  PreparedText prepared;
  prepared.code = DetectCharCode(bytes);
  std::u16string text;
  if (IsSjisCompatible(prepared.code) && LooksLikeDamagedUtf8(bytes)) {
    // Read as Shift_JIS, a UTF-8 text with a few bad bytes would become nonsense without a
    // word of warning; read as UTF-8, only those bytes are lost, and they are reported.
    prepared.code = CharCode::kUtf8;
    text = DecodeUtf8(bytes, prepared.damage);
  } else if (CanPrepareCode(prepared.code)) {
    text = DecodeText(bytes, prepared.code);
  } else {
    prepared.outcome = PrepareOutcome::kUnknownCode;
    return prepared;
  }

  PartBuilder parts(prepared.parts);
  long long steps = 0;
  const auto stop = [&](PrepareOutcome why) {
    prepared.outcome = why;
    prepared.parts.clear();
    return false;
  };
  // Every so many lines (or pieces of a long one), the text done so far is reported and a
  // cancel is taken.
  const auto goOn = [&](size_t at) {
    if (progress == nullptr || ++steps % 1024 != 0)
      return true;
    if (progress->Cancelled())
      return stop(PrepareOutcome::kCancelled);
    progress->Report(static_cast<long long>(at), static_cast<long long>(text.size()), 0,
                     PrepareProgress::kPreparedPermille);
    return true;
  };
  const auto addLine = [&](std::u16string_view line, size_t end) {
    if (!goOn(end))
      return false;
    const std::u16string mapped = MapLine(line, prepared.counts);
    if (FitsWidth(mapped, width))
      return parts.Add(mapped) || stop(PrepareOutcome::kTooManyParts);
    ++prepared.counts.linesWrapped;
    const size_t start = end - line.size();
    return ForEachWrappedPiece(mapped, width, [&](std::u16string_view piece) {
      const auto done = static_cast<size_t>(piece.data() - mapped.data());
      return goOn(start + done * line.size() / mapped.size()) &&
             (parts.Add(piece) || stop(PrepareOutcome::kTooManyParts));
    });
  };
  if (ForEachAnyLine(text, addLine))
    parts.Finish();
  return prepared;
}

std::u16string DecodeText(std::string_view bytes, CharCode code) {
  std::u16string text;
  if (code == CharCode::kUtf8 || code == CharCode::kUtf8Bom || code == CharCode::kAscii) {
    // ASCII is UTF-8 as it is. The bytes of a text the detector took for UTF-8 all are; were
    // one not, it would become U+FFFD.
    Utf8Damage unused;
    text = DecodeUtf8(bytes, unused);
    if (!text.empty() && text.front() == u'\uFEFF')
      text.erase(0, 1);  // the byte-order mark is no part of the first line
  } else if (code == CharCode::kUtf16Le || code == CharCode::kUtf16Be) {
    DecodeToUtf16(bytes.substr(std::min<size_t>(2, bytes.size())),
                  code == CharCode::kUtf16Le ? "UTF-16LE" : "UTF-16BE", 2, text);
  } else if (code == CharCode::kEuc) {
    // The Microsoft form of EUC-JP reads the characters as CP932 has them.
    if (!DecodeToUtf16(bytes, "EUC-JP-MS", 1, text))
      DecodeToUtf16(bytes, "EUC-JP", 1, text);
  } else if (code == CharCode::kJis) {
    DecodeToUtf16(bytes, "ISO-2022-JP-2", 1, text);  // takes half-width katakana too
    for (char16_t& c : text) {
      for (const auto& [from, to] : kJisToCp932) {
        if (c == from)
          c = to;
      }
    }
  } else {
    text = SjisToUtf16(bytes);
  }
  return text;
}

std::vector<std::u16string> SplitAnyLines(std::u16string_view text) {
  std::vector<std::u16string> lines;
  ForEachAnyLine(text, [&lines](std::u16string_view line, size_t) {
    lines.emplace_back(line);
    return true;
  });
  return lines;
}

std::vector<std::u16string> WrapLine(std::u16string_view line, int width) {
  std::vector<std::u16string> pieces;
  ForEachWrappedPiece(line, width, [&pieces](std::u16string_view piece) {
    pieces.emplace_back(piece);
    return true;
  });
  return pieces;
}

bool LooksLikeDamagedUtf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  const auto size = static_cast<int64_t>(bytes.size());
  long long valid = 0, bad = 0;
  for (int64_t i = 0; i < size;) {
    if (p[i] < 0x80) {
      ++i;
      continue;
    }
    UChar32 c = 0;
    U8_NEXT(p, i, size, c);
    if (c < 0)
      ++bad;
    else
      ++valid;
  }
  return bad > 0 && valid > 99 * bad;
}

std::string FreePreparedPath(FileOps& fs, const std::string& folder, const std::string& baseName,
                             size_t partCount) {
  std::string path;
  for (int n = 1; n < 10000; ++n) {
    path = JoinPath(folder, PreparedCopyName(baseName, n));
    const std::vector<std::string> paths = PartPaths(path, partCount);
    if (std::none_of(paths.begin(), paths.end(),
                     [&fs](const std::string& p) { return fs.Exists(p); }))
      break;
  }
  return path;
}

Status PrepareTextFile(FileOps& fs, TextPreparer& preparer, const std::string& path, int width,
                       PreparedText& out, PrepareProgress* progress) {
  ReadOnlyFile file;
  if (Status s = file.Open(path); !s.ok())
    return s;
  if (file.size() > kMaxPrepareFileBytes)
    return Status::Found(StatusCode::kTooLarge, Finding::kTooLargeToPrepare, "read " + path,
                         std::to_string(file.size()) + " bytes, over the limit of " +
                             std::to_string(kMaxPrepareFileBytes),
                         file.size());
  std::string bytes;
  if (Status s = fs.ReadAll(path, bytes); !s.ok())
    return s;
  out = preparer.Prepare(bytes, width, progress);
  return Status::Ok();
}

bool FitsPreparation(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && st.st_size <= kMaxPrepareFileBytes;
}

Status PrepareIntoFolder(FileOps& fs, TextPreparer& preparer, const std::string& textPath,
                         const std::string& folder, PreparedCopy& copy, PrepareProgress* progress) {
  copy = PreparedCopy{};
  if (Status s =
          PrepareTextFile(fs, preparer, textPath, kDefaultPrepareWidth, copy.prepared, progress);
      !s.ok() || copy.prepared.outcome != PrepareOutcome::kPrepared)
    return s;
  copy.path = FreePreparedPath(fs, folder, NameWithoutExtension(NameOf(textPath)),
                               copy.prepared.parts.size());
  Status s = WritePreparedParts(fs, copy.path, copy.prepared.parts, copy.parts, progress);
  copy.prepared.parts.clear();
  copy.prepared.parts.shrink_to_fit();
  return s;
}

Status WritePreparedParts(FileOps& fs, const std::string& path,
                          const std::vector<std::string>& parts,
                          std::vector<std::string>& partPaths, PrepareProgress* progress) {
  partPaths.clear();
  const std::vector<std::string> paths = PartPaths(path, parts.size());
  for (const std::string& p : paths) {
    if (fs.Exists(p))
      return Status::FromErrno("create", p, EEXIST);
  }
  const auto undo = [&](Status s) {
    // The failure s is what is reported; a part that cannot be removed stays a whole,
    // readable text.
    for (const std::string& p : partPaths)
      (void)fs.Remove(p);
    partPaths.clear();
    return s;
  };
  const std::string dir = DirOf(path);
  for (size_t i = 0; i < parts.size(); ++i) {
    if (progress != nullptr) {
      if (progress->Cancelled())
        return undo(Status::Make(StatusCode::kCancelled, "write " + path, "cancelled"));
      progress->Report(static_cast<long long>(i), static_cast<long long>(parts.size()),
                       PrepareProgress::kPreparedPermille, 1000);
    }
    // A second name for the written file appears only where no file is: whatever came to
    // stand there meanwhile is never replaced.
    std::string tmp;
    Status s = fs.WriteTemporary(dir, NameOf(paths[i]), parts[i], tmp);
    if (s.ok())
      s = PutInPlace(fs, tmp, paths[i]);
    if (!s.ok())
      return undo(s);
    partPaths.push_back(paths[i]);
  }
  // The parts are written; a failed sync only makes them less sure to outlive a power cut.
  (void)fs.SyncDir(dir);
  return Status::Ok();
}

}  // namespace kelmoa
