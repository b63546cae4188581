// Preparing a refused text into a copy the reader accepts.
#include "core/text/prepare_text.h"

#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf16.h>

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

}  // namespace

namespace detail {

// Maps the characters of a line into those a prepared text holds. Remembers what each
// character outside CP932 became, so that a long text transliterates each only once.
class CharMapper {
 public:
  CharMapper(std::unique_ptr<icu::Transliterator> transliterator, const icu::Normalizer2& nfc)
      : mTransliterator(std::move(transliterator)), mNfc(nfc), mHeld(MakeHeldTable()) {}

  std::u16string Map(std::u16string_view line, PrepareCounts& counts) {
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

PreparedText TextPreparer::Prepare(std::string_view bytes, int width) {
  width = std::clamp(width, kMinPrepareWidth, kMaxPrepareWidth);
  PreparedText prepared;
  prepared.code = DetectCharCode(bytes);
  if (!CanPrepareCode(prepared.code)) {
    prepared.refused = true;
    return prepared;
  }
  std::vector<std::u16string> lines;
  for (const std::u16string& line : SplitAnyLines(DecodeText(bytes, prepared.code))) {
    std::u16string mapped = MapLine(line, prepared.counts);
    if (GetSjisByteLen(mapped) <= width) {
      lines.push_back(std::move(mapped));
      continue;
    }
    ++prepared.counts.linesWrapped;
    for (std::u16string& piece : WrapLine(mapped, width))
      lines.push_back(std::move(piece));
  }

  std::vector<size_t> starts = PartStarts(lines, kMaxLines);
  starts.insert(starts.begin(), 0);
  starts.push_back(lines.size());
  for (size_t p = 0; p + 1 < starts.size(); ++p) {
    std::string bytesOut;
    for (size_t i = starts[p]; i < starts[p + 1]; ++i) {
      AppendSjis(lines[i], bytesOut);
      bytesOut += "\r\n";
    }
    prepared.parts.push_back(std::move(bytesOut));
  }
  return prepared;
}

std::u16string DecodeText(std::string_view bytes, CharCode code) {
  std::u16string text;
  if (code == CharCode::kUtf8 || code == CharCode::kUtf8Bom) {
    DecodeToUtf16(bytes, "UTF-8", 1, text);
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
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c != u'\r' && c != u'\n' && c != u'\u0085' && c != u'\u2028' && c != u'\u2029')
      continue;
    lines.emplace_back(text.substr(start, i - start));
    if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
      ++i;
    start = i + 1;
  }
  if (start < text.size())
    lines.emplace_back(text.substr(start));
  return lines;
}

std::vector<std::u16string> WrapLine(std::u16string_view line, int width) {
  const auto& lengths = SjisByteLengths();
  const auto limit = static_cast<long long>(width);
  std::vector<std::u16string> pieces;
  while (GetSjisByteLen(line) > limit) {
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
    if (breakAt > 0) {
      pieces.emplace_back(line.substr(0, breakAt));
      rest = breakAt;
      while (rest < line.size() && IsBreakSpace(line[rest]))
        ++rest;
    } else {
      fits = std::max<size_t>(fits, 1);  // a width below one character still moves on
      pieces.emplace_back(line.substr(0, fits));
      rest = fits;
    }
    line.remove_prefix(rest);
  }
  if (!line.empty() || pieces.empty())
    pieces.emplace_back(line);
  return pieces;
}

std::vector<size_t> PartStarts(const std::vector<std::u16string>& lines, size_t maxLines) {
  std::vector<size_t> starts;
  size_t start = 0;
  while (lines.size() - start > maxLines) {
    size_t end = start + maxLines;  // the part is [start, end)
    const size_t lowest = end - std::min(kSplitSearchLines, maxLines - 1);
    for (size_t i = end; i > lowest; --i) {
      if (IsBlank(lines[i - 1])) {
        end = i;  // the blank line ends the part
        break;
      }
    }
    starts.push_back(end);
    start = end;
  }
  return starts;
}

std::vector<std::string> PartPaths(const std::string& path, size_t partCount) {
  if (partCount <= 1)
    return {path};
  const size_t slash = path.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot <= nameStart)
    dot = path.size();  // no extension (a leading dot names a hidden file)
  std::vector<std::string> paths;
  for (size_t i = 1; i <= partCount; ++i)
    paths.push_back(path.substr(0, dot) + "-" + std::to_string(i) + path.substr(dot));
  return paths;
}

std::string FreePreparedPath(FileOps& fs, const std::string& folder, const std::string& baseName,
                             size_t partCount) {
  std::string path;
  for (int n = 1; n < 10000; ++n) {
    path = folder + "/" + baseName + (n == 1 ? "" : " (" + std::to_string(n) + ")") + ".txt";
    const std::vector<std::string> paths = PartPaths(path, partCount);
    if (std::none_of(paths.begin(), paths.end(),
                     [&fs](const std::string& p) { return fs.Exists(p); }))
      break;
  }
  return path;
}

Status PrepareTextFile(FileOps& fs, TextPreparer& preparer, const std::string& path, int width,
                       PreparedText& out) {
  ReadOnlyFile file;
  if (Status s = file.Open(path); !s.ok())
    return s;
  if (file.size() > kMaxPrepareFileBytes)
    return Status::Make(
        StatusCode::kTooLarge, "read " + path,
        "the file is larger than " + std::to_string(kMaxPrepareFileBytes >> 20) + " MiB");
  std::string bytes;
  if (Status s = fs.ReadAll(path, bytes); !s.ok())
    return s;
  out = preparer.Prepare(bytes, width);
  return Status::Ok();
}

Status WritePreparedParts(FileOps& fs, const std::string& path,
                          const std::vector<std::string>& parts,
                          std::vector<std::string>& partPaths) {
  partPaths.clear();
  const std::vector<std::string> paths = PartPaths(path, parts.size());
  for (const std::string& p : paths) {
    if (fs.Exists(p))
      return Status::FromErrno("create", p, EEXIST);
  }
  const auto undo = [&](Status s) {
    for (const std::string& p : partPaths)
      fs.Remove(p);
    partPaths.clear();
    return s;
  };
  const std::string dir = DirOf(path);
  for (size_t i = 0; i < parts.size(); ++i) {
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
  fs.SyncDir(dir);
  return Status::Ok();
}

}  // namespace kelmoa
