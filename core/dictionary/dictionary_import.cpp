// Builds the default English-Japanese dictionary from the packaged sources.
#include "core/dictionary/dictionary_import.h"

#include <algorithm>
#include <array>
#include <map>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

#include "core/base/codepage.h"
#include "core/base/file_ops.h"
#include "core/base/helpers.h"
#include "core/dictionary/dictionary.h"
#include "core/dictionary/lookup.h"
#include "core/dictionary/phrases.h"

namespace kelmoa {
namespace {

// The rank marks ①..⑤ that open the meanings.
constexpr char16_t kFirstRankMark = u'\u2460';

// One meaning of a head word being built, and whether it is an everyday one that two sources
// agree on.
struct Ranked {
  std::u16string meaning;
  bool commonAndConfirmed = false;
  bool common = false;  // EDICT marks the entry common (P)
};

using Entries = std::map<std::u16string, std::vector<Ranked>>;

bool EndsWith(std::u16string_view w, std::u16string_view end) {
  return w.size() > end.size() && w.ends_with(end);
}

bool IsVowel(char16_t c) {
  return c == u'a' || c == u'e' || c == u'i' || c == u'o' || c == u'u';
}

// The tag a meaning of this class carries where the source says nothing finer.
std::u16string_view TagOfClass(WordClass c) {
  switch (c) {
    case WordClass::kNoun:
      return u"【名】";
    case WordClass::kVerb:
      return u"【動】";
    case WordClass::kAdjective:
      return u"【形】";
    case WordClass::kAdverb:
      return u"【副】";
    case WordClass::kOther:
      break;
  }
  return {};
}

// True when a meaning's tag says it is of this class.
bool TagIsOfClass(std::u16string_view meaning, WordClass c) {
  switch (c) {
    case WordClass::kVerb:
      return meaning.starts_with(u"【他】") || meaning.starts_with(u"【自】") ||
             meaning.starts_with(u"【動】");
    case WordClass::kOther:
      return false;
    default:
      return meaning.starts_with(TagOfClass(c));
  }
}

// A meaning without its leading tag 【...】.
std::u16string_view WithoutTag(std::u16string_view meaning) {
  if (meaning.starts_with(u'【')) {
    const size_t close = meaning.find(u'】');
    if (close != std::u16string_view::npos)
      meaning.remove_prefix(close + 1);
  }
  return meaning;
}

// ---- Regular forms: what an English word may be inflected to

// The regular inflected forms of a lemma of the given classes: plurals and third persons,
// past tenses, -ing forms, comparatives and superlatives, with the e dropped, the y turned to
// i and the final consonant doubled where English spelling may do so.
std::vector<std::u16string> RegularFormsOf(std::u16string_view b, ClassSet classes) {
  std::vector<std::u16string> forms;
  if (b.size() < 2)
    return forms;
  const std::u16string base(b);
  const std::u16string stem = base.substr(0, base.size() - 1);
  const char16_t last = base.back();
  const bool consonantY = last == u'y' && !IsVowel(base[base.size() - 2]);
  const bool endsE = last == u'e';
  const bool doubles = base.size() >= 3 && !IsVowel(last) && last != u'w' && last != u'x' &&
                       last != u'y' && IsVowel(base[base.size() - 2]) &&
                       !IsVowel(base[base.size() - 3]);
  const std::u16string doubled = base + last;
  if (classes & (ClassBit(WordClass::kNoun) | ClassBit(WordClass::kVerb))) {
    forms.push_back(consonantY ? stem + u"ies" : base + u"s");
    if (EndsWith(base, u"s") || EndsWith(base, u"x") || EndsWith(base, u"z") ||
        EndsWith(base, u"ch") || EndsWith(base, u"sh") || EndsWith(base, u"o")) {
      forms.push_back(base + u"es");
    }
  }
  if (classes & ClassBit(WordClass::kVerb)) {
    forms.push_back(endsE ? base + u"d" : consonantY ? stem + u"ied" : base + u"ed");
    forms.push_back(EndsWith(base, u"ie")    ? base.substr(0, base.size() - 2) + u"ying"
                    : endsE && base != u"be" ? stem + u"ing"
                                             : base + u"ing");
    if (doubles) {
      forms.push_back(doubled + u"ed");
      forms.push_back(doubled + u"ing");
    }
  }
  if (classes & ClassBit(WordClass::kAdjective)) {
    forms.push_back(endsE ? base + u"r" : consonantY ? stem + u"ier" : base + u"er");
    forms.push_back(endsE ? base + u"st" : consonantY ? stem + u"iest" : base + u"est");
    if (doubles) {
      forms.push_back(doubled + u"er");
      forms.push_back(doubled + u"est");
    }
  }
  return forms;
}

// What a reader meets in running English: WordNet's lemmas with their regular forms, its
// irregular forms, and the words of the core vocabulary.
class OrdinaryWords {
 public:
  OrdinaryWords(const Wordnet& wordnet, const std::unordered_set<std::u16string>& core)
      : mWordnet(wordnet), mCore(core) {
    for (const IrregularForm& f : wordnet.irregularForms)
      mIrregular.insert(f.form);
  }

  // The lemmas w is a regular form of, other than w itself.
  std::vector<std::u16string> OtherLemmasOf(std::u16string_view w) const {
    std::vector<std::u16string> out;
    const std::u16string word(w);
    std::vector<std::u16string> stems;
    for (const std::u16string_view end :
         {u"s", u"es", u"ed", u"d", u"ing", u"er", u"r", u"est", u"st"}) {
      if (EndsWith(word, end))
        stems.push_back(word.substr(0, word.size() - end.size()));
    }
    for (const std::u16string_view end : {u"ies", u"ied", u"ier", u"iest"}) {
      if (EndsWith(word, end))
        stems.push_back(word.substr(0, word.size() - end.size()) + u'y');
    }
    for (const std::u16string_view end : {u"ing", u"ed", u"er", u"est"}) {
      if (EndsWith(word, end) && word.size() > end.size() + 2) {
        stems.push_back(word.substr(0, word.size() - end.size() - 1));  // doubled consonant
        if (end == u"ing")
          stems.push_back(word.substr(0, word.size() - 3) + u'e');
      }
    }
    if (EndsWith(word, u"ying"))
      stems.push_back(word.substr(0, word.size() - 4) + u"ie");
    for (const std::u16string& stem : stems) {
      const auto it = mWordnet.lemmas.find(stem);
      if (it == mWordnet.lemmas.end() || stem == word ||
          std::find(out.begin(), out.end(), stem) != out.end()) {
        continue;
      }
      const std::vector<std::u16string> forms = RegularFormsOf(stem, it->second);
      if (std::find(forms.begin(), forms.end(), word) != forms.end())
        out.push_back(stem);
    }
    return out;
  }

  // True when w is a word of its own other than lemma, or a form of one.
  bool IsOrdinaryOtherThan(std::u16string_view w, std::u16string_view lemma) const {
    const std::u16string word(w);
    if (word == lemma)
      return false;
    if (mWordnet.lemmas.contains(word) || mIrregular.contains(word) || mCore.contains(word))
      return true;
    const std::vector<std::u16string> lemmas = OtherLemmasOf(word);
    return std::any_of(lemmas.begin(), lemmas.end(),
                       [&](const std::u16string& l) { return l != lemma; });
  }

 private:
  const Wordnet& mWordnet;
  const std::unordered_set<std::u16string>& mCore;
  std::unordered_set<std::u16string> mIrregular;
};

// True when the lookup's inflection rules (the word itself aside) offer base for w.
bool InflectionReaches(std::u16string_view w, std::u16string_view base) {
  const StrList forms = GetInflectedBaseForms(w);
  return std::find(forms.begin() + std::min<size_t>(2, forms.size()), forms.end(), base) !=
         forms.end();
}

// True when the lookup's inflection or derivation rules offer h for some ordinary English word
// other than h's own forms: a head word reached by accident, as roa from road.
bool ReachedByAccident(std::u16string_view h, const OrdinaryWords& ordinary) {
  const std::u16string head(h);
  std::vector<std::u16string> words;
  for (const std::u16string_view tail :
       {u"s", u"d", u"r", u"es", u"ed", u"'s", u"st", u"s'", u"er", u"ing", u"est", u"ers", u"ers'",
        u"ly", u"al", u"ion", u"ism", u"ment", u"ness"}) {
    words.push_back(head + std::u16string(tail));
  }
  words.push_back(head + head.back() + u"ed");
  words.push_back(head + head.back() + u"ing");
  const std::u16string stem = head.substr(0, head.size() - 1);
  if (head.back() == u'e')
    words.push_back(stem + u"ing");
  if (head.back() == u'y') {
    for (const std::u16string_view tail : {u"ies", u"ied", u"ier", u"ies'", u"iers", u"iest"})
      words.push_back(stem + std::u16string(tail));
  }
  for (const std::u16string& w : words) {
    if (!ordinary.IsOrdinaryOtherThan(w, head))
      continue;
    const StrList derived = GetSuffixBaseForms(w);
    if (InflectionReaches(w, head) ||
        std::find(derived.begin() + 1, derived.end(), head) != derived.end()) {
      return true;
    }
  }
  return false;
}

// ---- The core vocabulary

// A word of the core vocabulary: its senses, first in the popup, and whether the sources may
// add their meanings after them.
struct CoreEntry {
  std::vector<std::u16string> senses;
  bool only = false;  // the senses and nothing else
};
using CoreVocabulary = std::map<std::u16string, CoreEntry>;

// Reads the table: word TAB sense TAB sense... [TAB only], "#" starts a comment line; in the
// phrase table a phrase of 2 to 6 words stands for the word. badLines gets the lines that are
// no such entry (or hold a sense too long or not in CP932).
CoreVocabulary ReadCoreVocabulary(std::string_view table, std::vector<std::u16string>& badLines,
                                  bool phrases = false) {
  CoreVocabulary words;
  const std::u16string text = Utf8ToUtf16(table);
  ForEachPiece(text, u'\n', [&](std::u16string_view line) {
    if (line.ends_with(u'\r'))
      line.remove_suffix(1);
    if (line.empty() || line.starts_with(u'#'))
      return;
    std::vector<std::u16string> pieces;
    ForEachPiece(line, u'\t', [&](std::u16string_view piece) { pieces.emplace_back(piece); });
    const std::u16string head = pieces[0];
    pieces.erase(pieces.begin());
    CoreEntry entry;
    entry.only = !pieces.empty() && pieces.back() == u"only";
    if (entry.only)
      pieces.pop_back();
    const bool headGood =
        phrases ? !PhraseWords(head).empty() : head.size() >= 2 && IsEnglishWord(head);
    const bool good = headGood && head == LowerAscii(head) && !pieces.empty() &&
                      pieces.size() <= static_cast<size_t>(kMaxImportMeanings) &&
                      !words.contains(head) &&
                      std::all_of(pieces.begin(), pieces.end(), [&](const std::u16string& m) {
                        const long long bytes = Cp932BytesOrMinus(m);
                        return bytes > 0 && bytes <= kMaxMeaningBytes && IsStorableEntry(head, m);
                      });
    if (!good) {
      badLines.emplace_back(line);
      return;
    }
    entry.senses = std::move(pieces);
    words.emplace(head, std::move(entry));
  });
  return words;
}

// The Japanese words a sense gives, without its tag and its notes in parentheses:
// 【他】(人に)教える、知らせる gives 教える and 知らせる; 【前】～にもかかわらず gives
// にもかかわらず.
std::vector<std::u16string> JapaneseWordsOf(std::u16string_view sense) {
  std::u16string plain;
  int depth = 0;
  for (const char16_t ch : WithoutTag(sense)) {
    if (ch == u'(' || ch == u'（')
      ++depth;
    else if ((ch == u')' || ch == u'）') && depth > 0)
      --depth;
    else if (depth == 0)
      plain += ch;
  }
  std::vector<std::u16string> words;
  ForEachPiece(plain, u'、', [&](std::u16string_view w) {
    if (w.starts_with(u'～'))
      w.remove_prefix(1);
    if (!w.empty())
      words.emplace_back(w);
  });
  return words;
}

// True when a source's meaning, 【名】犬(いぬ), says what one of the senses says already: its
// written word or its reading is one of theirs, or is with な, の, に or する.
bool RepeatsASense(std::u16string_view meaning, const std::vector<std::u16string>& senses) {
  std::u16string_view japanese = WithoutTag(meaning);
  if (japanese.starts_with(u'～'))
    japanese.remove_prefix(1);
  const size_t open = japanese.find(u'(');
  const std::u16string_view written = japanese.substr(0, open);
  const std::u16string_view reading = open == std::u16string_view::npos || !japanese.ends_with(u')')
                                          ? std::u16string_view()
                                          : japanese.substr(open + 1, japanese.size() - open - 2);
  for (const std::u16string& sense : senses) {
    for (const std::u16string& w : JapaneseWordsOf(sense)) {
      for (const std::u16string_view said : {written, reading}) {
        if (said.empty() || !w.starts_with(said))
          continue;
        const std::u16string_view rest = std::u16string_view(w).substr(said.size());
        if (rest.empty() || rest == u"な" || rest == u"の" || rest == u"に" || rest == u"する")
          return true;
      }
    }
  }
  return false;
}

// The senses of a table's entry first; then, unless it is written in full, those of the
// sources' ranked meanings both sources agree on that say something the senses do not (horse:
// not EDICT's ホース, which a reader takes for a hose), up to the limit.
std::vector<Ranked> SensesFirst(const CoreEntry& entry, std::vector<Ranked>* sources) {
  std::vector<Ranked> ranked;
  for (const std::u16string& m : entry.senses)
    ranked.push_back({m, true, true});
  if (sources != nullptr && !entry.only) {
    for (Ranked& r : *sources) {
      if (ranked.size() >= static_cast<size_t>(kMaxImportMeanings))
        break;
      if (r.commonAndConfirmed && !RepeatsASense(r.meaning, entry.senses))
        ranked.push_back(std::move(r));
    }
  }
  return ranked;
}

// Particles and prepositions a phrasal verb is made of (give up, look after, put up with).
bool IsParticle(std::u16string_view w) {
  static constexpr std::array<std::u16string_view, 29> kParticles = {
      u"up",    u"down",    u"out",    u"off",     u"in",    u"on",    u"away",  u"back",
      u"over",  u"around",  u"round",  u"through", u"along", u"apart", u"aside", u"together",
      u"about", u"forward", u"across", u"by",      u"into",  u"onto",  u"with",  u"for",
      u"after", u"at",      u"from",   u"of",      u"upon"};
  return std::find(kParticles.begin(), kParticles.end(), w) != kParticles.end();
}

// Prepositions that begin a phrase of their own after a verb (drawn in blue, look at me).
bool IsPreposition(std::u16string_view w) {
  static constexpr std::array<std::u16string_view, 22> kPrepositions = {
      u"in",      u"on",     u"at",     u"to",      u"for",   u"with",   u"of",      u"by",
      u"from",    u"into",   u"onto",   u"upon",    u"after", u"across", u"through", u"against",
      u"without", u"within", u"toward", u"towards", u"like",  u"than"};
  return std::find(kPrepositions.begin(), kPrepositions.end(), w) != kPrepositions.end();
}

// ---- Ranking EDICT's candidates

// How many of FreeDict's senses of the head word translate it as the candidate's Japanese
// word (its spelling or its reading): 0 when FreeDict does not confirm it.
int Agreement(const EdictCandidate& c, const std::vector<FreedictTranslation>* translations) {
  int senses = 0;
  if (translations != nullptr) {
    for (const FreedictTranslation& t : *translations) {
      if (t.japanese == c.written || (!c.reading.empty() && t.japanese == c.reading))
        senses += t.senses;
    }
  }
  return senses;
}

// The ranked meanings of one head word from its EDICT candidates.
std::vector<Ranked> RankCandidates(std::vector<const EdictCandidate*>& group,
                                   const std::vector<FreedictTranslation>* translations,
                                   WordClass mainClass) {
  struct Keyed {
    const EdictCandidate* c;
    int agreement;
    bool otherClass;
    bool confirmedCommon() const { return c->common && agreement > 0; }
    // First difference wins: capitals-only glosses last, then archaic, slang and the like;
    // everyday words both sources know first; honorific, poetic and specialist senses a
    // little later; the word's main class first; then EDICT's own order, where a Japanese
    // word more of FreeDict's senses give goes first.
    auto Key() const {
      return std::make_tuple(c->abbreviation, c->offbeat, !confirmedCommon(), c->specialist,
                             otherClass, !c->common, c->katakana, c->sense, c->gloss, -agreement,
                             c->length, c->sameSense, c->line);
    }
  };
  std::vector<Keyed> keyed;
  keyed.reserve(group.size());
  for (const EdictCandidate* c : group) {
    const bool otherClass = mainClass != WordClass::kOther && c->wordClass != mainClass;
    keyed.push_back({c, Agreement(*c, translations), otherClass});
  }
  std::sort(keyed.begin(), keyed.end(),
            [](const Keyed& a, const Keyed& b) { return a.Key() < b.Key(); });
  std::vector<Ranked> ranked;
  std::vector<const EdictCandidate*> kept;
  for (const Keyed& k : keyed) {
    if (ranked.size() >= static_cast<size_t>(kMaxImportMeanings))
      break;
    const std::u16string meaning = k.c->Meaning();
    // The same meaning, or the same tag with the same reading or the same spelling, says
    // nothing new.
    const bool repeats = std::any_of(kept.begin(), kept.end(), [&](const EdictCandidate* o) {
      if (o->Meaning() == meaning)
        return true;
      if (o->tag != k.c->tag)
        return false;
      const std::u16string_view shown = k.c->usuallyKana ? k.c->reading : k.c->written;
      const std::u16string_view otherShown = o->usuallyKana ? o->reading : o->written;
      return shown == otherShown || (!k.c->reading.empty() && o->reading == k.c->reading);
    });
    if (repeats)
      continue;
    kept.push_back(k.c);
    ranked.push_back({meaning, k.confirmedCommon(), k.c->common});
  }
  return ranked;
}

// The meanings of a word only FreeDict has: translations met in more senses first.
std::vector<Ranked> FreedictMeanings(const std::vector<FreedictTranslation>& translations) {
  std::vector<const FreedictTranslation*> order;
  for (const FreedictTranslation& t : translations)
    order.push_back(&t);
  std::stable_sort(order.begin(), order.end(),
                   [](const FreedictTranslation* a, const FreedictTranslation* b) {
                     return a->senses > b->senses;
                   });
  std::vector<Ranked> ranked;
  for (const FreedictTranslation* t : order) {
    if (ranked.size() >= static_cast<size_t>(kMaxImportMeanings))
      break;
    const std::u16string meaning = std::u16string(TagOfClass(t->wordClass)) + t->japanese;
    if (Cp932BytesOrMinus(meaning) > kMaxMeaningBytes ||
        std::any_of(ranked.begin(), ranked.end(),
                    [&](const Ranked& r) { return WithoutTag(r.meaning) == t->japanese; })) {
      continue;
    }
    ranked.push_back({meaning, false});
  }
  return ranked;
}

// ---- Irregular forms

// What an irregular form is of its base, in the words of a Japanese grammar: 過去, 複数 ...
// sameBase: the irregular forms of f's base.
std::u16string_view FormName(const IrregularForm& f,
                             const std::vector<const IrregularForm*>& sameBase) {
  switch (f.wordClass) {
    case WordClass::kNoun:
      return u"複数";
    case WordClass::kAdjective:
    case WordClass::kAdverb:
      return f.form.ends_with(u"st") ? u"最上級" : u"比較級";
    default:
      break;
  }
  if (f.form.ends_with(u"ing"))
    return u"現在分詞";
  // Of the past tense and the participle (went, gone; began, begun), the participle is the
  // one ending in n, or with u where the past tense has a.
  for (const IrregularForm* other : sameBase) {
    const IrregularForm& o = *other;
    if (o.wordClass != f.wordClass || o.form == f.form || o.form.ends_with(u"ing")) {
      continue;
    }
    const bool endsN = f.form.ends_with(u"n") || f.form.ends_with(u"ne");
    const bool otherEndsN = o.form.ends_with(u"n") || o.form.ends_with(u"ne");
    if (endsN && !otherEndsN)
      return u"過去分詞";
    if (endsN == otherEndsN && f.form.size() == o.form.size()) {
      for (size_t i = 0; i < f.form.size(); ++i) {
        if (f.form[i] == u'u' && o.form[i] == u'a')
          return u"過去分詞";
      }
    }
  }
  return u"過去";
}

// The meaning of an irregular form: its base and what it is of it, then the base's first
// meaning of the form's class without its tag (the reading dropped when it does not fit).
// Where the form stands for the base in several classes (better for well, adjective and
// adverb), the base's first meaning whatever its class. Empty when it does not fit.
std::u16string IrregularMeaning(const IrregularForm& f, std::u16string_view formName,
                                bool severalClasses, const std::vector<Ranked>& baseMeanings) {
  const Ranked* chosen = &baseMeanings.front();
  for (const Ranked& r : baseMeanings) {
    if (!severalClasses && TagIsOfClass(r.meaning, f.wordClass)) {
      chosen = &r;
      break;
    }
  }
  std::u16string_view japanese = WithoutTag(chosen->meaning);
  const std::u16string label = u"【" + f.base + u"の" + std::u16string(formName) + u"】";
  std::u16string meaning = label + std::u16string(japanese);
  if (Cp932BytesOrMinus(meaning) > kMaxMeaningBytes && japanese.ends_with(u')')) {
    japanese = japanese.substr(0, japanese.rfind(u'('));
    meaning = label + std::u16string(japanese);
  }
  return Cp932BytesOrMinus(meaning) > kMaxMeaningBytes || japanese.empty() ? std::u16string()
                                                                           : meaning;
}

// Builds the dictionary step by step; each step works on the head words the ones before left.
class DictionaryBuilder {
 public:
  explicit DictionaryBuilder(const DictionarySources& sources)
      : mSources(sources),
        mCore(ReadCoreVocabulary(sources.coreVocabulary, mBadLines)),
        mPhraseTable(ReadCoreVocabulary(sources.phraseTable, mBadLines, true)),
        mCoreHeads(HeadsOf(mCore)),
        mOrdinary(sources.wordnet, mCoreHeads) {}

  ImportedDictionary Build() {
    RankEdict();
    AddFreedictOnlyWords();
    KeepInflectedFormsOnlyWhereSure();
    PutCoreSensesFirst();
    AddIrregularForms();
    BuildPhrases();
    return Finish();
  }

 private:
  static std::unordered_set<std::u16string> HeadsOf(const CoreVocabulary& table) {
    std::unordered_set<std::u16string> heads;
    for (const auto& [head, entry] : table)
      heads.insert(head);
    return heads;
  }

  // True for a word the core vocabulary gives in full: the sources add nothing to it.
  bool WrittenInFull(const std::u16string& head) const {
    const auto it = mCore.find(head);
    return it != mCore.end() && it->second.only;
  }

  const std::vector<FreedictTranslation>* TranslationsOf(const std::u16string& head) const {
    const auto it = mSources.freedict.find(head);
    return it == mSources.freedict.end() || it->second.empty() ? nullptr : &it->second;
  }

  WordClass MainClassOf(const std::u16string& head) const {
    const auto it = mSources.wordnet.mainClass.find(head);
    return it == mSources.wordnet.mainClass.end() ? WordClass::kOther : it->second;
  }

  void RankEdict() {
    // EDICT's candidates, ranked per head word; capital-only glosses (OL, ROA) are left off head
    // words that ordinary words reach by accident (old, road).
    std::vector<EdictCandidate> candidates =
        ReadEdictCandidates(mSources.edict, mStats.edict, &mEdictPhrases);
    std::stable_sort(
        candidates.begin(), candidates.end(),
        [](const EdictCandidate& a, const EdictCandidate& b) { return a.head < b.head; });
    std::vector<const EdictCandidate*> group;
    for (size_t i = 0; i < candidates.size();) {
      const std::u16string& head = candidates[i].head;
      group.clear();
      bool anyAbbreviation = false;
      for (; i < candidates.size() && candidates[i].head == head; ++i) {
        group.push_back(&candidates[i]);
        anyAbbreviation = anyAbbreviation || candidates[i].abbreviation;
      }
      ++mStats.edict.headWords;
      if (WrittenInFull(head))
        continue;
      if (anyAbbreviation && ReachedByAccident(head, mOrdinary)) {
        const auto firstAbbreviation = std::stable_partition(
            group.begin(), group.end(), [](const EdictCandidate* c) { return !c->abbreviation; });
        mStats.acronymsDropped += group.end() - firstAbbreviation;
        group.erase(firstAbbreviation, group.end());
        if (group.empty())
          continue;
      }
      mEntries.emplace(head, RankCandidates(group, TranslationsOf(head), MainClassOf(head)));
    }
  }

  void AddFreedictOnlyWords() {
    // One-word English words only FreeDict has; a word in capitals only there too keeps off
    // the head words ordinary words reach by accident.
    for (const auto& [head, translations] : mSources.freedict) {
      if (mEntries.contains(head) || WrittenInFull(head) || translations.empty() ||
          head.find(u' ') != std::u16string::npos) {
        continue;
      }
      if (std::all_of(translations.begin(), translations.end(),
                      [](const FreedictTranslation& t) { return t.abbreviation; }) &&
          ReachedByAccident(head, mOrdinary)) {
        mStats.acronymsDropped += static_cast<long long>(translations.size());
        continue;
      }
      std::vector<Ranked> ranked = FreedictMeanings(translations);
      if (!ranked.empty()) {
        mEntries.emplace(head, std::move(ranked));
        ++mStats.fromFreedictOnly;
      }
    }
  }

  void KeepInflectedFormsOnlyWhereSure() {
    // Inflected forms listed as words of their own (going: 伏せ長) keep only the everyday meanings
    // both sources agree on; without one the popup shows the base instead. A form the core
    // vocabulary writes has its order decided there.
    for (auto it = mEntries.begin(); it != mEntries.end();) {
      const std::vector<std::u16string> lemmas = mOrdinary.OtherLemmasOf(it->first);
      const bool inflected =
          !mCore.contains(it->first) &&
          std::any_of(lemmas.begin(), lemmas.end(), [&](const std::u16string& l) {
            return (mEntries.contains(l) || mCore.contains(l)) && InflectionReaches(it->first, l);
          });
      if (inflected) {
        std::vector<Ranked>& ranked = it->second;
        std::erase_if(ranked, [](const Ranked& r) { return !r.commonAndConfirmed; });
        if (ranked.empty()) {
          ++mStats.inflectedDropped;
          it = mEntries.erase(it);
          continue;
        }
      }
      ++it;
    }
  }

  void AddIrregularForms() {
    // Irregular forms: WordNet's, and the -men plurals of -man words (firemen).
    // A -man noun makes its plural in -men when it is a word of three letters or more and man
    // (fire + man); human, roman and the like are no such compounds.
    std::vector<IrregularForm> irregular = mSources.wordnet.irregularForms;
    for (const auto& [head, ranked] : mEntries) {
      if (!EndsWith(head, u"man") || head.size() < 6)
        continue;
      const std::u16string first = head.substr(0, head.size() - 3);
      const auto lemma = mSources.wordnet.lemmas.find(head);
      if (lemma != mSources.wordnet.lemmas.end() && (lemma->second & ClassBit(WordClass::kNoun)) &&
          mSources.wordnet.lemmas.contains(first)) {
        irregular.push_back({first + u"men", head, WordClass::kNoun});
      }
    }
    std::map<std::pair<std::u16string, std::u16string>, int> classesOfPair;
    std::map<std::u16string, std::vector<const IrregularForm*>> formsOfBase;
    for (const IrregularForm& f : irregular) {
      ++classesOfPair[{f.form, f.base}];
      formsOfBase[f.base].push_back(&f);
    }
    std::map<std::u16string, std::vector<std::u16string>> irregularMeanings;
    for (const IrregularForm& f : irregular) {
      if (mCore.contains(f.form) || InflectionReaches(f.form, f.base))
        continue;
      const auto base = mEntries.find(f.base);
      if (base == mEntries.end() || base->second.empty())
        continue;
      const std::vector<Ranked>& baseMeanings = base->second;
      const std::u16string_view name = FormName(f, formsOfBase[f.base]);
      const bool severalClasses = classesOfPair[{f.form, f.base}] > 1;
      const std::u16string meaning = IrregularMeaning(f, name, severalClasses, baseMeanings);
      std::vector<std::u16string>& list = irregularMeanings[f.form];
      const std::u16string label = u"【" + f.base + u"の" + std::u16string(name) + u"】";
      if (meaning.empty() || std::any_of(list.begin(), list.end(), [&](const std::u16string& m) {
            return m.starts_with(label);
          })) {
        continue;
      }
      list.push_back(meaning);
    }
    for (auto& entry : irregularMeanings) {
      const std::u16string& form = entry.first;
      std::vector<std::u16string>& meanings = entry.second;
      if (meanings.empty())
        continue;
      ++mStats.irregularForms;
      // Of the form's own meanings only EDICT's common ones stay (went: いらした goes).
      std::vector<Ranked> own;
      if (const auto it = mEntries.find(form); it != mEntries.end())
        own = std::move(it->second);
      std::erase_if(own, [&](const Ranked& r) {
        return !r.common || std::any_of(meanings.begin(), meanings.end(), [&](const auto& m) {
          return WithoutTag(m) == WithoutTag(r.meaning);  // データ for data
        });
      });
      // A form that is an everyday word of its own as well (left: 左) keeps that meaning first.
      std::vector<Ranked> merged;
      size_t ownFirst = 0;
      if (!own.empty() && own.front().commonAndConfirmed)
        merged.push_back(own[ownFirst++]);
      for (std::u16string& m : meanings)
        merged.push_back({std::move(m), true, true});
      merged.insert(merged.end(), own.begin() + static_cast<std::ptrdiff_t>(ownFirst), own.end());
      if (merged.size() > static_cast<size_t>(kMaxImportMeanings))
        merged.resize(kMaxImportMeanings);
      mEntries[form] = std::move(merged);
    }
  }

  void PutCoreSensesFirst() {
    // The core vocabulary's senses come first; the sources' meanings follow as SensesFirst
    // allows. A word written in full keeps its senses alone.
    for (const auto& [head, entry] : mCore) {
      const auto it = mEntries.find(head);
      mEntries[head] = SensesFirst(entry, it == mEntries.end() ? nullptr : &it->second);
      ++mStats.coreWords;
    }
  }

  // True for a phrase of EDICT's verb glosses shaped as a phrasal verb: a verb WordNet knows
  // and one to three particles (give up, put up with).
  bool IsPhrasalVerb(const std::u16string& phrase,
                     const std::vector<const EdictCandidate*>& group) const {
    const std::vector<std::u16string> words = PhraseWords(phrase);
    const auto verb = mSources.wordnet.lemmas.find(words.front());
    return words.size() <= 4 && verb != mSources.wordnet.lemmas.end() &&
           (verb->second & ClassBit(WordClass::kVerb)) != 0 &&
           std::all_of(words.begin() + 1, words.end(), IsParticle) &&
           std::any_of(group.begin(), group.end(),
                       [](const EdictCandidate* c) { return c->wordClass == WordClass::kVerb; });
  }

  void BuildPhrases() {
    // EDICT's phrases where another source knows them too, or shaped as phrasal verbs; then
    // FreeDict's own; the phrase table's senses first.
    std::stable_sort(
        mEdictPhrases.begin(), mEdictPhrases.end(),
        [](const EdictCandidate& a, const EdictCandidate& b) { return a.head < b.head; });
    std::vector<const EdictCandidate*> group;
    for (size_t i = 0; i < mEdictPhrases.size();) {
      const std::u16string& head = mEdictPhrases[i].head;
      group.clear();
      for (; i < mEdictPhrases.size() && mEdictPhrases[i].head == head; ++i)
        group.push_back(&mEdictPhrases[i]);
      const bool known = mPhraseTable.contains(head) || TranslationsOf(head) != nullptr ||
                         mSources.wordnet.phrases.contains(head) || IsPhrasalVerb(head, group);
      if (known)
        mPhrases.emplace(head, RankCandidates(group, TranslationsOf(head), WordClass::kOther));
    }
    for (const auto& [head, translations] : mSources.freedict) {
      if (head.find(u' ') != std::u16string::npos && !mPhrases.contains(head))
        mPhrases.emplace(head, FreedictMeanings(translations));
    }
    // Some pairs of words stand together in running text far more often than they make the
    // phrase: a word and a preposition ("drawn in blue" is no draw in), an article and a word
    // ("the one" is not 選ばれし者), a single letter ("Type a meaning" is no blood group). The
    // sources' go; the table's stay.
    std::erase_if(mPhrases, [&](const auto& entry) {
      const std::vector<std::u16string> words = PhraseWords(entry.first);
      const bool loose =
          std::any_of(words.begin(), words.end(), [](const auto& w) { return w.size() == 1; }) ||
          (words.size() == 2 &&
           (IsPreposition(words[1]) || words[0] == u"the" || words[0] == u"an"));
      return loose && !mPhraseTable.contains(entry.first);
    });
    for (const auto& [head, entry] : mPhraseTable) {
      const auto it = mPhrases.find(head);
      mPhrases[head] = SensesFirst(entry, it == mPhrases.end() ? nullptr : &it->second);
      ++mStats.phrasesFromTable;
    }
    DropInflectedPhrases();
  }

  // A phrase whose first word is a form of another's (giving up, looking for) goes when the
  // phrase of the base form is there: the text's forms find that one.
  void DropInflectedPhrases() {
    std::unordered_map<std::u16string, std::vector<std::u16string>> irregularBases;
    for (const IrregularForm& f : mSources.wordnet.irregularForms)
      irregularBases[f.form].push_back(f.base);
    for (auto it = mPhrases.begin(); it != mPhrases.end();) {
      const std::u16string& head = it->first;
      const size_t space = head.find(u' ');
      const std::u16string first = head.substr(0, space);
      const std::u16string_view rest = std::u16string_view(head).substr(space);
      std::vector<std::u16string> bases;
      const StrList candidates = GetInflectedBaseForms(first);
      bases.insert(bases.end(), candidates.begin() + std::min<size_t>(2, candidates.size()),
                   candidates.end());
      if (const auto irregular = irregularBases.find(first); irregular != irregularBases.end())
        bases.insert(bases.end(), irregular->second.begin(), irregular->second.end());
      const bool ofBase = std::any_of(bases.begin(), bases.end(), [&](const std::u16string& b) {
        return mPhrases.contains(b + std::u16string(rest));
      });
      it = ofBase ? mPhrases.erase(it) : std::next(it);
    }
  }

  // The entries with their ranks ①.., those left without a meaning dropped.
  static ImportedEntries WithRanks(Entries& entries, long long& meaningCount) {
    ImportedEntries out;
    out.words = NewStrList();
    out.meanings.emplace_back();
    for (auto& [head, ranked] : entries) {
      if (ranked.empty())
        continue;
      std::vector<std::u16string> meanings;
      for (size_t r = 0; r < ranked.size(); ++r)
        meanings.push_back(static_cast<char16_t>(kFirstRankMark + r) + ranked[r].meaning);
      meaningCount += static_cast<long long>(meanings.size());
      out.words.push_back(head);
      out.meanings.push_back(std::move(meanings));
    }
    return out;
  }

  ImportedDictionary Finish() {
    ImportedDictionary dic;
    static_cast<ImportedEntries&>(dic) = WithRanks(mEntries, mStats.meanings);
    long long phraseMeanings = 0;
    dic.phrases = WithRanks(mPhrases, phraseMeanings);
    mStats.headWords = UpperBound(dic.words);
    mStats.phrases = UpperBound(dic.phrases.words);
    dic.stats = mStats;
    return dic;
  }

  const DictionarySources& mSources;
  std::vector<std::u16string> mBadLines;
  const CoreVocabulary mCore;
  const CoreVocabulary mPhraseTable;
  std::vector<EdictCandidate> mEdictPhrases;  // EDICT's glosses of 2 to 6 words
  Entries mPhrases;
  const std::unordered_set<std::u16string> mCoreHeads;
  const OrdinaryWords mOrdinary;
  Entries mEntries;
  DictionaryImportStats mStats;
};

}  // namespace

ImportedDictionary BuildDictionary(const DictionarySources& sources) {
  return DictionaryBuilder(sources).Build();
}

std::string MakeImportedDicFileBytes(const ImportedEntries& dic) {
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

Status ImportDictionary(const DictionarySources& sources, std::string& dicBytes,
                        DictionaryImportStats* importStats, std::string* phraseBytes) {
  dicBytes.clear();
  if (phraseBytes != nullptr)
    phraseBytes->clear();
  for (const bool phrases : {false, true}) {
    std::vector<std::u16string> badLines;
    ReadCoreVocabulary(phrases ? sources.phraseTable : sources.coreVocabulary, badLines, phrases);
    if (!badLines.empty()) {
      return Status::Make(StatusCode::kCorrupt, phrases ? "data/phrases" : "data/core_vocabulary",
                          "the line \"" + Utf16ToUtf8(badLines.front()) + "\" is not " +
                              (phrases ? "phrase" : "word") +
                              " TAB sense... with senses CP932 can hold in " +
                              std::to_string(kMaxMeaningBytes) + " bytes");
    }
  }
  const ImportedDictionary dic = BuildDictionary(sources);
  if (importStats != nullptr)
    *importStats = dic.stats;
  const EdictImportStats& edict = dic.stats.edict;
  if (edict.headWords == 0) {
    return Status::Make(
        StatusCode::kCorrupt, "",
        "no EDICT entry with a one-word English gloss found (" + std::to_string(edict.lines) +
            " lines read, " + std::to_string(edict.undecodableLines) +
            " of them not EUC-JP); expected lines like \"犬 [いぬ] /(n) dog/(P)/\"");
  }
  dicBytes = MakeImportedDicFileBytes(dic);
  if (phraseBytes != nullptr)
    *phraseBytes = MakeImportedDicFileBytes(dic.phrases);
  return Status::Ok();
}

Status ReadDictionarySources(const SourcePaths& paths, DictionarySources& sources) {
  sources = {};
  FileOps& fs = DefaultFileOps();
  // A file's failure with the Debian package that brings it.
  const auto failed = [](const Status& s, const char* package) {
    return Status::Make(s.code(), s.context(), s.reason() + " (Debian package " + package + ")");
  };
  if (Status s = fs.ReadAll(paths.edict, sources.edict); !s.ok())
    return failed(s, "edict");

  std::string index, compressed, entries;
  if (Status s = fs.ReadAll(paths.freedict + ".index", index); !s.ok())
    return failed(s, "dict-freedict-eng-jpn");
  if (Status s = fs.ReadAll(paths.freedict + ".dict.dz", compressed); s.ok()) {
    if (Status z = Gunzip(compressed, entries); !z.ok())
      return failed(z.WithContext(paths.freedict + ".dict.dz"), "dict-freedict-eng-jpn");
  } else if (Status plain = fs.ReadAll(paths.freedict + ".dict", entries); !plain.ok()) {
    return failed(s, "dict-freedict-eng-jpn");
  }
  if (Status s = ReadFreedict(index, entries, sources.freedict); !s.ok())
    return failed(s.WithContext(paths.freedict + ".index"), "dict-freedict-eng-jpn");

  WordnetFiles wordnet;
  for (size_t k = 0; k < kWordnetClasses.size(); ++k) {
    const std::string name = kWordnetClassNames[k];
    if (Status s = fs.ReadAll(paths.wordnet + "/index." + name, wordnet.index[k]); !s.ok())
      return failed(s, "wordnet-base");
    if (Status s = fs.ReadAll(paths.wordnet + "/" + name + ".exc", wordnet.exceptions[k]);
        !s.ok()) {
      return failed(s, "wordnet-base");
    }
  }
  if (Status s = fs.ReadAll(paths.wordnet + "/cntlist.rev", wordnet.senseCounts); !s.ok())
    return failed(s, "wordnet-base");
  sources.wordnet = ReadWordnet(wordnet);
  if (sources.wordnet.lemmas.empty()) {
    return Status::Make(StatusCode::kCorrupt, paths.wordnet,
                        "no WordNet lemma in index.noun and the others"
                        " (Debian package wordnet-base)");
  }
  sources.coreVocabulary = std::string(CoreVocabularyTable());
  sources.phraseTable = std::string(PhraseTable());
  return Status::Ok();
}

}  // namespace kelmoa
