// Reads EDICT's Japanese-English entries for the dictionary import.
#include "core/dictionary/edict_import.h"

#include <algorithm>
#include <bit>
#include <cstdint>

#include "core/base/codepage.h"
#include "core/base/helpers.h"
#include "core/dictionary/dictionary.h"
#include "core/dictionary/phrases.h"

namespace kelmoa {

// The conversions name UTF-16LE: char16_t strings are in the machine's order.
static_assert(std::endian::native == std::endian::little);

namespace {

std::u16string_view Trim(std::u16string_view s) {
  const size_t first = s.find_first_not_of(u' ');
  if (first == std::u16string_view::npos)
    return {};
  return s.substr(first, s.find_last_not_of(u' ') - first + 1);
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

// The phrase of 2 to 6 English words a gloss consists of, lowered, or empty when it is none.
std::u16string GlossPhrase(std::u16string_view gloss, bool verb) {
  const std::u16string text = WithoutNotes(gloss);
  std::u16string_view w = text;
  if (verb && w.starts_with(u"to "))
    w.remove_prefix(3);
  return PhraseWords(w).empty() ? std::u16string() : LowerAscii(w);
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

bool IsOneOf(std::u16string_view note, std::initializer_list<std::u16string_view> list) {
  return std::find(list.begin(), list.end(), note) != list.end();
}

// Spellings EDICT marks irregular or outdated: they hold for the whole entry.
bool IsOddSpelling(std::u16string_view note) {
  return IsOneOf(note, {u"iK", u"ik", u"io", u"oK", u"ok", u"oik"});
}

// Senses a reader should meet last: archaic, obsolete, rare, slang, vulgar, derogatory, joking.
bool IsOffbeatNote(std::u16string_view note) {
  return IsOneOf(note, {u"arch", u"obs", u"obsc", u"rare", u"sl", u"m-sl", u"net-sl", u"vulg",
                        u"derog", u"joc", u"X"});
}

// Honorific, humble, poetic and onomatopoeic senses and the words of a field.
bool IsSpecialistNote(std::u16string_view note) {
  return IsOneOf(
      note, {u"hon",     u"hum",   u"poet",   u"litf",  u"form",  u"on-mim",  u"Buddh",    u"MA",
             u"comp",    u"med",   u"law",    u"ling",  u"math",  u"physics", u"sports",   u"food",
             u"biol",    u"bot",   u"zool",   u"chem",  u"geom",  u"gram",    u"mil",      u"anat",
             u"astron",  u"baseb", u"engr",   u"geol",  u"music", u"Shinto",  u"archit",   u"econ",
             u"finc",    u"bus",   u"mahj",   u"shogi", u"sumo",  u"elec",    u"mech",     u"pharm",
             u"physiol", u"psych", u"tradem", u"hanaf", u"golf",  u"fish",    u"film",     u"cloth",
             u"noh",     u"logic", u"kabuki", u"art",   u"photo", u"boxing",  u"politics", u"rail",
             u"biochem", u"ski",   u"mining", u"aviat", u"horse", u"ornith",  u"audvid",   u"print",
             u"manga",   u"go",    u"ent",    u"ecol",  u"cryst", u"yoji"});
}

WordClass ClassOfCodes(const std::vector<std::u16string_view>& codes) {
  for (const std::u16string_view c : codes) {
    if (c == u"n" || c.starts_with(u"n-"))
      return WordClass::kNoun;
    if (c.starts_with(u"adj-"))
      return WordClass::kAdjective;
    if (c == u"adv" || c == u"adv-to")
      return WordClass::kAdverb;
    if (IsVerbCode(c))
      return WordClass::kVerb;
  }
  return WordClass::kOther;
}

// What the notes of one sense say about it.
struct SenseNotes {
  bool usuallyKana = false;
  bool offbeat = false;
  bool specialist = false;
};

// Parses one decoded EDICT line and appends the candidates it gives.
class LineParser {
 public:
  LineParser(std::vector<EdictCandidate>& out, std::vector<EdictCandidate>* phrases)
      : mOut(out), mPhrases(phrases) {}

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
    if (Cp932BytesOrMinus(written) < 0 || Cp932BytesOrMinus(reading) < 0)
      return;

    std::vector<std::u16string_view> fields = SplitAt(rest.substr(1), u'/');
    const bool common = std::find(fields.begin(), fields.end(), u"(P)") != fields.end();
    const bool katakana = IsKatakanaOnly(written);
    bool oddSpelling = false;
    std::vector<std::u16string_view> codes;
    SenseNotes notes;
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
      // codes come), a sense number "(2)", and notes (they hold for their sense).
      std::vector<std::u16string_view> fieldNotes;
      bool newSense = false;
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
          newSense = true;
        } else if (std::vector<std::u16string_view> items = SplitAt(inner, u',');
                   std::all_of(items.begin(), items.end(), IsPosCode)) {
          codes = std::move(items);
        } else {
          for (const std::u16string_view note : items)
            fieldNotes.push_back(Trim(note));
        }
        field.remove_prefix(close + 1);
      }
      if (newSense)
        notes = {};
      for (const std::u16string_view note : fieldNotes) {
        oddSpelling = oddSpelling || IsOddSpelling(note);
        notes.usuallyKana = notes.usuallyKana || note == u"uk";
        notes.offbeat = notes.offbeat || IsOffbeatNote(note);
        notes.specialist = notes.specialist || IsSpecialistNote(note);
      }
      const int gloss = glossInSense++;
      const bool verb = std::any_of(codes.begin(), codes.end(), IsVerbCode);
      std::u16string english = GlossWord(field, verb);
      std::vector<EdictCandidate>* into = &mOut;
      if (english.empty() && mPhrases != nullptr) {
        english = GlossPhrase(field, verb);
        into = mPhrases;
      }
      if (english.empty())
        continue;
      EdictCandidate c;
      c.head = LowerAscii(english);
      c.tag = TagOfCodes(codes);
      c.written = written;
      c.reading = reading;
      c.usuallyKana = notes.usuallyKana && !reading.empty();
      if (Cp932BytesOrMinus(c.Meaning()) > kMaxMeaningBytes ||
          !IsStorableEntry(c.head, c.Meaning()))
        continue;
      c.wordClass = ClassOfCodes(codes);
      c.abbreviation = IsAbbreviation(english);
      c.offbeat = notes.offbeat || oddSpelling;
      c.specialist = notes.specialist;
      c.common = common;
      c.katakana = katakana;
      c.sense = sense;
      c.gloss = gloss;
      c.length = static_cast<int>(written.size());
      c.line = lineNo;
      into->push_back(std::move(c));
    }
    endSense();
  }

 private:
  std::vector<EdictCandidate>& mOut;
  std::vector<EdictCandidate>* mPhrases;
};

}  // namespace

std::u16string EdictCandidate::Meaning() const {
  if (usuallyKana)
    return tag + reading;
  std::u16string m = tag + written;
  if (!reading.empty()) {
    m += u'(';
    m += reading;
    m += u')';
  }
  return m;
}

long long Cp932BytesOrMinus(std::u16string_view text) {
  const auto& stores = SjisStores();
  long long n = 0;
  for (const char16_t ch : text) {
    const uint32_t v = stores[ch];
    if (v == (1U << 16 | '?') && ch != u'?')
      return -1;
    n += v >> 16;
  }
  return n;
}

std::vector<EdictCandidate> ReadEdictCandidates(std::string_view edictBytes,
                                                EdictImportStats& stats,
                                                std::vector<EdictCandidate>* phrases) {
  stats = {};
  IconvConverter decoder("UTF-16LE", {"EUC-JP-MS", "EUC-JP"});
  std::vector<EdictCandidate> candidates;
  LineParser parser(candidates, phrases);
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
    ++stats.lines;
    // An EUC-JP character never takes fewer bytes than its UTF-16 code units.
    if (!decoder.ConvertWhole(raw, decoded, raw.size())) {
      ++stats.undecodableLines;
      continue;
    }
    parser.Parse(decoded, stats.lines);
  }
  return candidates;
}

}  // namespace kelmoa
