#include "dictionary/edict_import.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <tuple>

#include "common/codepage.h"
#include "common/helpers.h"
#include "dictionary/dictionary.h"

namespace kelmoa {

// The conversions name UTF-16LE: char16_t strings are in the machine's order.
static_assert(std::endian::native == std::endian::little);

namespace {

// One iconv conversion descriptor, closed when it goes out of scope.
class Iconv {
 public:
  // Opens the first of the source encodings iconv knows.
  Iconv(const char* to, std::initializer_list<const char*> froms) {
    for (const char* from : froms) {
      mCd = iconv_open(to, from);
      if (mCd != Invalid())
        return;
    }
    throw std::runtime_error(std::string("iconv cannot convert to ") + to);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  ~Iconv() { iconv_close(mCd); }

  // Converts all of in into out (which must be large enough); false when in holds an invalid
  // or unconvertible sequence. out is resized to what was written.
  template <typename In, typename Out>
  bool Convert(std::basic_string_view<In> in, std::basic_string<Out>& out, size_t outUnits) {
    out.resize(outUnits);
    iconv(mCd, nullptr, nullptr, nullptr, nullptr);
    char* pin = const_cast<char*>(reinterpret_cast<const char*>(in.data()));
    size_t inLeft = in.size() * sizeof(In);
    char* pout = reinterpret_cast<char*>(out.data());
    size_t outLeft = out.size() * sizeof(Out);
    const size_t r = iconv(mCd, &pin, &inLeft, &pout, &outLeft);
    out.resize(out.size() - outLeft / sizeof(Out));
    return r != static_cast<size_t>(-1) && inLeft == 0;
  }

 private:
  static iconv_t Invalid() { return reinterpret_cast<iconv_t>(-1); }
  iconv_t mCd = Invalid();
};

// The CP932 byte length of every UTF-16 code unit, 0 for one CP932 cannot encode.
using SjisLengths = std::array<uint8_t, 65536>;

std::unique_ptr<SjisLengths> MakeSjisLengths() {
  auto table = std::make_unique<SjisLengths>();
  Iconv cd("CP932", {"UTF-16LE"});
  std::string out;
  for (uint32_t u = 0; u < 65536; ++u) {
    const char16_t ch = static_cast<char16_t>(u);
    (*table)[u] =
        static_cast<uint8_t>(cd.Convert(std::u16string_view(&ch, 1), out, 4) ? out.size() : 0);
  }
  return table;
}

// CP932 bytes of text, or -1 when a character of it has no CP932 code.
long long SjisBytesOrMinus(const SjisLengths& lengths, std::u16string_view text) {
  long long n = 0;
  for (const char16_t ch : text) {
    if (lengths[ch] == 0)
      return -1;
    n += lengths[ch];
  }
  return n;
}

std::u16string_view Trim(std::u16string_view s) {
  const size_t first = s.find_first_not_of(u' ');
  if (first == std::u16string_view::npos)
    return {};
  return s.substr(first, s.find_last_not_of(u' ') - first + 1);
}

// Splits s at sep into views, keeping empty pieces.
std::vector<std::u16string_view> Split(std::u16string_view s, char16_t sep) {
  std::vector<std::u16string_view> parts;
  size_t start = 0;
  for (;;) {
    const size_t at = s.find(sep, start);
    parts.push_back(s.substr(start, at == std::u16string_view::npos ? at : at - start));
    if (at == std::u16string_view::npos)
      return parts;
    start = at + 1;
  }
}

// EDICT's part-of-speech codes (as opposed to its field, usage and dialect notes, which share
// the parentheses).
bool IsPosCode(std::u16string_view c) {
  static constexpr std::u16string_view kCodes[] = {
      u"n",      u"n-adv", u"n-t",   u"n-suf",   u"n-pref", u"n-pr", u"pn",     u"adv",
      u"adv-to", u"aux",   u"aux-v", u"aux-adj", u"conj",   u"cop",  u"cop-da", u"ctr",
      u"exp",    u"int",   u"num",   u"pref",    u"suf",    u"prt",  u"unc",    u"vt",
      u"vi",     u"vs",    u"vz",    u"vk",      u"vn",     u"vr",   u"v1",     u"v1-s"};
  if (std::find(std::begin(kCodes), std::end(kCodes), c) != std::end(kCodes))
    return true;
  for (const std::u16string_view prefix : {u"adj-", u"v2", u"v4", u"v5", u"vs-"}) {
    if (c.starts_with(prefix))
      return true;
  }
  return false;
}

bool IsVerbCode(std::u16string_view c) {
  return c.starts_with(u"v") && IsPosCode(c);
}

// The tag of the first code that names one of Kelmoa's parts of speech; empty when none does.
std::u16string_view TagOfCodes(const std::vector<std::u16string_view>& codes) {
  for (const std::u16string_view c : codes) {
    if (c == u"n" || c.starts_with(u"n-"))
      return u"【名】";
    if (c.starts_with(u"adj-"))
      return u"【形】";
    if (c == u"adv" || c == u"adv-to")
      return u"【副】";
    if (c == u"vt")
      return u"【他】";
    if (c == u"vi")
      return u"【自】";
    if (c == u"prt")
      return u"【助】";
    if (c == u"conj")
      return u"【接】";
  }
  return {};
}

// The number a sense marker "(12)" holds, or -1 when inner is not a small decimal number.
int SenseNumber(std::u16string_view inner) {
  if (inner.empty() || inner.size() > 4)
    return -1;
  int n = 0;
  for (const char16_t c : inner) {
    if (c < u'0' || c > u'9')
      return -1;
    n = n * 10 + (c - u'0');
  }
  return n;
}

// The text of a gloss with every parenthesised note (nested ones included) taken out and runs
// of spaces made one; empty when the parentheses do not balance.
std::u16string WithoutNotes(std::u16string_view gloss) {
  std::u16string out;
  int depth = 0;
  for (const char16_t ch : gloss) {
    if (ch == u'(') {
      ++depth;
    } else if (ch == u')') {
      if (--depth < 0)
        return {};
    } else if (depth == 0 && !(ch == u' ' && (out.empty() || out.back() == u' '))) {
      out += ch;
    }
  }
  if (depth != 0)
    return {};
  if (!out.empty() && out.back() == u' ')
    out.pop_back();
  return out;
}

// The one English word a gloss consists of, as written, or empty when it is not one word.
std::u16string GlossWord(std::u16string_view gloss, bool verb) {
  const std::u16string text = WithoutNotes(gloss);
  std::u16string_view w = text;
  if (verb && w.starts_with(u"to "))
    w.remove_prefix(3);
  for (const std::u16string_view article : {u"a ", u"an ", u"the "}) {
    if (w.starts_with(article)) {
      w.remove_prefix(article.size());
      break;
    }
  }
  if (w.size() < 2 || !IsEnglishWord(w))
    return {};
  return std::u16string(w);
}

// True for a word in capitals only ("IT", "US"): an abbreviation, which in running text is
// far rarer than the lower-case word of the same letters ("it", "us").
bool IsAbbreviation(std::u16string_view w) {
  return std::none_of(w.begin(), w.end(), [](char16_t c) { return c >= u'a' && c <= u'z'; });
}

// True for a word written in katakana only: for an English head word mostly the English word
// itself in Japanese letters (ツリー for tree), which tells the reader least.
bool IsKatakanaOnly(std::u16string_view w) {
  return std::all_of(w.begin(), w.end(), [](char16_t c) {
    return (c >= u'\u30A0' && c <= u'\u30FF') || (c >= u'\uFF65' && c <= u'\uFF9F');
  });
}

// One possible meaning of a head word, with what ranks it: the everyday sense first.
struct Candidate {
  std::u16string head;
  std::u16string meaning;
  bool abbreviation = false;  // the gloss is in capitals only
  bool rare = true;           // the entry is not marked common (P)
  bool katakana = false;      // the Japanese word is in katakana only
  int sense = 1;              // the sense number in the entry
  int gloss = 0;              // the gloss's place in its sense, 0 for the first
  int length = 0;             // characters of the Japanese word: basic words are short
  int sameSense = 1;          // glosses in that sense: the fewer, the closer the match
  long long line = 0;         // the line number: file order decides the rest

  auto Rank() const {
    return std::tie(head, abbreviation, rare, katakana, sense, gloss, length, sameSense, line);
  }
};

// Parses one decoded EDICT line and appends the candidates it gives.
class LineParser {
 public:
  LineParser(const SjisLengths& lengths, std::vector<Candidate>& out)
      : mLengths(lengths), mOut(out) {}

  void Parse(std::u16string_view line, long long lineNo) {
    const size_t sp = line.find(u' ');
    if (sp == 0 || sp == std::u16string_view::npos)
      return;
    const std::u16string_view written = line.substr(0, sp);
    std::u16string_view rest = Trim(line.substr(sp + 1));
    std::u16string_view reading;
    if (rest.starts_with(u'[')) {
      const size_t close = rest.find(u']');
      if (close == std::u16string_view::npos)
        return;
      reading = rest.substr(1, close - 1);
      rest = Trim(rest.substr(close + 1));
    }
    if (!rest.starts_with(u'/'))
      return;
    // Every character of the Japanese word has to survive in the CP932 dictionary file.
    if (SjisBytesOrMinus(mLengths, written) < 0 || SjisBytesOrMinus(mLengths, reading) < 0)
      return;

    std::vector<std::u16string_view> fields = Split(rest.substr(1), u'/');
    const bool common = std::find(fields.begin(), fields.end(), u"(P)") != fields.end();

    mJapanese.assign(written);
    if (!reading.empty()) {
      mJapanese += u'(';
      mJapanese += reading;
      mJapanese += u')';
    }
    const bool katakana = IsKatakanaOnly(written);
    std::vector<std::u16string_view> codes;
    int sense = 1;
    int glossInSense = 0;
    size_t senseFirst = mOut.size();  // the first candidate of the current sense
    // Once a sense is complete, its candidates learn how many glosses it has.
    const auto endSense = [&] {
      for (size_t i = senseFirst; i < mOut.size(); ++i)
        mOut[i].sameSense = glossInSense;
      senseFirst = mOut.size();
      glossInSense = 0;
    };
    for (std::u16string_view field : fields) {
      if (field.empty() || field == u"(P)" || field.starts_with(u"EntL"))
        continue;
      // Leading groups: part-of-speech codes (they hold for the following senses until new
      // codes come), a sense number "(2)", and notes.
      for (;;) {
        field = Trim(field);
        if (!field.starts_with(u'('))
          break;
        const size_t close = field.find(u')');
        if (close == std::u16string_view::npos)
          break;
        const std::u16string_view inner = field.substr(1, close - 1);
        if (const int number = SenseNumber(inner); number >= 0) {
          endSense();
          sense = number;
        } else if (std::vector<std::u16string_view> items = Split(inner, u',');
                   std::all_of(items.begin(), items.end(), IsPosCode)) {
          codes = std::move(items);
        }
        field.remove_prefix(close + 1);
      }
      const int gloss = glossInSense++;
      const bool verb = std::any_of(codes.begin(), codes.end(), IsVerbCode);
      const std::u16string english = GlossWord(field, verb);
      if (english.empty())
        continue;
      std::u16string meaning(TagOfCodes(codes));
      meaning += mJapanese;
      if (SjisBytesOrMinus(mLengths, meaning) > kMaxEdictMeaningBytes)
        continue;
      std::u16string head = LowerAscii(english);
      if (!IsStorableEntry(head, meaning))
        continue;
      mOut.push_back({std::move(head), std::move(meaning), IsAbbreviation(english), !common,
                      katakana, sense, gloss, static_cast<int>(written.size()), 0, lineNo});
    }
    endSense();
  }

 private:
  const SjisLengths& mLengths;
  std::vector<Candidate>& mOut;
  std::u16string mJapanese;
};

}  // namespace

EdictDictionary BuildEdictDictionary(std::string_view edictBytes) {
  EdictDictionary dic;
  dic.words = NewStrList();
  dic.meanings.emplace_back();
  const std::unique_ptr<SjisLengths> lengths = MakeSjisLengths();
  Iconv decoder("UTF-16LE", {"EUC-JP-MS", "EUC-JP"});
  std::vector<Candidate> candidates;
  LineParser parser(*lengths, candidates);
  std::u16string decoded;

  size_t start = 0;
  while (start < edictBytes.size()) {
    size_t end = edictBytes.find('\n', start);
    if (end == std::string_view::npos)
      end = edictBytes.size();
    std::string_view raw = edictBytes.substr(start, end - start);
    start = end + 1;
    if (raw.ends_with('\r'))
      raw.remove_suffix(1);
    ++dic.stats.lines;
    // An EUC-JP character never takes fewer bytes than its UTF-16 code units.
    if (!decoder.Convert(raw, decoded, raw.size())) {
      ++dic.stats.undecodableLines;
      continue;
    }
    parser.Parse(decoded, dic.stats.lines);
  }

  std::sort(candidates.begin(), candidates.end(),
            [](const Candidate& a, const Candidate& b) { return a.Rank() < b.Rank(); });
  for (size_t i = 0; i < candidates.size();) {
    const std::u16string& head = candidates[i].head;
    std::vector<std::u16string> ranked;
    for (; i < candidates.size() && candidates[i].head == head; ++i) {
      const std::u16string& m = candidates[i].meaning;
      if (ranked.size() < kMaxEdictMeanings &&
          std::find(ranked.begin(), ranked.end(), m) == ranked.end()) {
        ranked.push_back(m);
      }
    }
    dic.stats.meanings += static_cast<long long>(ranked.size());
    dic.words.push_back(head);
    dic.meanings.push_back(std::move(ranked));
  }
  dic.stats.headWords = UpperBound(dic.words);
  return dic;
}

std::string MakeEdictDicFileBytes(const EdictDictionary& dic) {
  StrList lines = NewStrList();
  for (size_t i = 1; i < dic.words.size(); ++i) {
    for (const std::u16string& m : dic.meanings[i])
      lines.push_back(dic.words[i] + u'\t' + m);
  }
  std::sort(lines.begin() + 1, lines.end(),
            [](const std::u16string& a, const std::u16string& b) { return DicLineLess(a, b); });
  std::u16string text;
  for (size_t i = 1; i < lines.size(); ++i) {
    text += lines[i];
    text += u"\r\n";
  }
  return Utf16ToSjis(text);
}

Status ImportEdict(std::string_view edictBytes, std::string& oDicBytes, EdictImportStats* oStats) {
  oDicBytes.clear();
  const EdictDictionary dic = BuildEdictDictionary(edictBytes);
  if (oStats != nullptr)
    *oStats = dic.stats;
  if (dic.stats.headWords == 0) {
    return Status::Error("no EDICT entry with a one-word English gloss found (" +
                         std::to_string(dic.stats.lines) + " lines read, " +
                         std::to_string(dic.stats.undecodableLines) +
                         " of them not EUC-JP); expected lines like \"犬 [いぬ] /(n) dog/(P)/\"");
  }
  oDicBytes = MakeEdictDicFileBytes(dic);
  return Status::Ok();
}

}  // namespace kelmoa
