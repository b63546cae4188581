// The phrase dictionary: phrasal verbs and fixed expressions, found by their first word.
#include "core/dictionary/phrases.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "core/base/helpers.h"
#include "core/dictionary/meaning_tags.h"

namespace kelmoa {
namespace {

// Particles that may follow the object of a verb (pick it up, turned the offer down).
bool IsParticle(std::u16string_view w) {
  static constexpr std::array<std::u16string_view, 20> kParticles = {
      u"up",    u"down",     u"out",    u"off",     u"in",      u"on",    u"away",
      u"back",  u"over",     u"around", u"round",   u"through", u"along", u"apart",
      u"aside", u"together", u"about",  u"forward", u"across",  u"by"};
  return std::find(kParticles.begin(), kParticles.end(), w) != kParticles.end();
}

// True when one of the meanings (joined by TAB) opens, after its rank, with one of the tags.
bool HasTag(std::u16string_view meanings, std::initializer_list<std::u16string_view> tags) {
  bool has = false;
  ForEachPiece(meanings, u'\t', [&](std::u16string_view m) {
    if (!m.empty() && m.front() >= u'\u2460' && m.front() <= u'\u2473')
      m.remove_prefix(1);
    for (const std::u16string_view tag : tags)
      has = has || m.starts_with(tag);
  });
  return has;
}

// Whether p is a verb phrase, and a separable one, from its words and its meanings' tags.
void TakeClasses(Phrase& p) {
  const std::u16string_view meanings = p.Meanings();
  // An auxiliary phrase is a verb phrase too: is going to, was able to.
  p.verb = (ClassesOfMeanings(meanings) & ClassBit(WordClass::kVerb)) != 0 ||
           HasTag(meanings, {u"【助動】"});
  const PhraseWordList words = p.Words();
  p.separable = p.verb && words.size() == 2 && IsParticle(words[1]) &&
                HasTag(meanings, {u"【他】", u"【動】"});
}

bool HasCapital(std::u16string_view text) {
  return std::any_of(text.begin(), text.end(), [](char16_t c) { return c >= u'A' && c <= u'Z'; });
}

// How many characters a phrase takes in a block: its text, its lower case unless the same,
// and its meanings.
size_t CharsOfPhrase(std::u16string_view text, std::u16string_view meanings) {
  return (HasCapital(text) ? 2 : 1) * text.size() + meanings.size();
}

// Appends a phrase's characters to block, as CharsOfPhrase counts them.
void AppendPhrase(std::u16string& block, std::u16string_view text, std::u16string_view meanings) {
  block += text;
  if (HasCapital(text))
    block += LowerAscii(text);
  block += meanings;
}

// The phrase whose characters, as AppendPhrase writes them, start at chars.
Phrase PhraseAt(const char16_t* chars, size_t textLength, size_t meaningsLength) {
  Phrase p;
  p.chars = chars;
  p.textLength = static_cast<uint16_t>(textLength);
  p.meaningsLength = static_cast<uint32_t>(meaningsLength);
  p.lowerCase = !HasCapital(p.Text());
  TakeClasses(p);
  return p;
}

std::u16string_view FirstWord(const Phrase& p) {
  const std::u16string_view lowered = p.Lowered();
  return lowered.substr(0, lowered.find(u' '));
}

// The indices of phrases[from, to) in the order of their first words, each first word's in
// their own order.
std::vector<int> ByFirstWord(const std::vector<Phrase>& phrases, size_t from, size_t to) {
  std::vector<int> order;
  for (size_t i = from; i < to; ++i)
    order.push_back(static_cast<int>(i));
  std::stable_sort(order.begin(), order.end(), [&phrases](int a, int b) {
    return FirstWord(phrases[static_cast<size_t>(a)]) < FirstWord(phrases[static_cast<size_t>(b)]);
  });
  return order;
}

// The English words a meaning starts with, up to the first piece that is not one ("look
// forward to ～(名詞・動名詞) ..." gives look, forward, to).
std::vector<std::u16string_view> LeadingEnglishWords(std::u16string_view meaning) {
  std::vector<std::u16string_view> words;
  size_t at = 0;
  while (at < meaning.size()) {
    const size_t space = meaning.find(u' ', at);
    const std::u16string_view piece =
        meaning.substr(at, space == std::u16string_view::npos ? space : space - at);
    if (!IsEnglishWord(piece))
      break;
    words.push_back(piece);
    if (space == std::u16string_view::npos)
      break;
    at = space + 1;
  }
  return words;
}

}  // namespace

std::vector<std::u16string> PhraseWords(std::u16string_view head) {
  std::vector<std::u16string> words;
  bool good = true;
  ForEachPiece(head, u' ', [&](std::u16string_view w) {
    good = good && IsEnglishWord(w);
    words.push_back(LowerAscii(w));
  });
  const auto n = static_cast<int>(words.size());
  if (!good || n < kMinPhraseWords || n > kMaxPhraseWords)
    words.clear();
  return words;
}

PhraseWordList Phrase::Words() const {
  PhraseWordList words;
  ForEachPiece(Lowered(), u' ', [&words](std::u16string_view w) {
    if (words.count < words.at.size())
      words.at[words.count++] = w;
  });
  return words;
}

std::vector<std::u16string> Phrase::Lines() const {
  std::vector<std::u16string> lines;
  ForEachPiece(Meanings(), u'\t', [&lines](std::u16string_view m) { lines.emplace_back(m); });
  return lines;
}

Status PhraseDictionary::Load(const std::string& path, FileOps& fs) {
  mPhrases.clear();
  mTexts.clear();
  Dictionary file;
  Status loaded = fs.Exists(path) ? file.LoadDicFile(path, fs) : Status::Ok();
  // The file's phrases in one text: each head, its lower case unless the same, and its
  // meanings.
  std::vector<int> kept;
  size_t size = 0;
  for (int i = 1; i <= file.Count(); ++i) {
    const auto at = static_cast<size_t>(i);
    const std::u16string& head = file.Words()[at];
    if (head.size() <= UINT16_MAX && !PhraseWords(head).empty()) {
      kept.push_back(i);
      size += CharsOfPhrase(head, file.Meanings()[at]);
    }
  }
  std::u16string& all = mTexts.emplace_back();
  all.reserve(size);
  std::vector<size_t> starts;
  for (const int i : kept) {
    const auto at = static_cast<size_t>(i);
    starts.push_back(all.size());
    AppendPhrase(all, file.Words()[at], file.Meanings()[at]);
  }
  mPhrases.reserve(kept.size());
  for (size_t n = 0; n < kept.size(); ++n) {
    const auto at = static_cast<size_t>(kept[n]);
    mPhrases.push_back(
        PhraseAt(all.data() + starts[n], file.Words()[at].size(), file.Meanings()[at].size()));
  }
  mFromFile = mPhrases.size();
  mFileTexts = mTexts.size();
  mFileByFirstWord = ByFirstWord(mPhrases, 0, mFromFile);
  mRegisteredByFirstWord.clear();
  return loaded;
}

void PhraseDictionary::TakeRegisteredPhrases(const Dictionary& dic) {
  mPhrases.resize(mFromFile);
  mTexts.resize(mFileTexts);
  for (int i = 1; i <= dic.Count(); ++i) {
    const std::u16string& head = dic.Words()[static_cast<size_t>(i)];
    const std::u16string_view meanings = dic.Meanings()[static_cast<size_t>(i)];
    for (size_t at = 0; at < meanings.size();) {
      const size_t tab = std::min(meanings.find(u'\t', at), meanings.size());
      // Imported meanings start with their rank or a tag: only a user's meaning can be one.
      if (IsAlphabet(meanings[at]))
        TakeRegisteredPhrase(head, meanings.substr(at, tab - at));
      at = tab + 1;
    }
  }
  mRegisteredByFirstWord = ByFirstWord(mPhrases, mFromFile, mPhrases.size());
}

void PhraseDictionary::TakeRegisteredPhrase(std::u16string_view head, std::u16string_view meaning) {
  const std::vector<std::u16string_view> lead = LeadingEnglishWords(meaning);
  const auto n = static_cast<int>(lead.size());
  const std::u16string lowered = LowerAscii(head);
  if (n < kMinPhraseWords || n > kMaxPhraseWords ||
      std::none_of(lead.begin(), lead.end(),
                   [&](std::u16string_view w) { return LowerAscii(w) == lowered; })) {
    return;
  }
  std::u16string text(lead.front());
  for (size_t w = 1; w < lead.size(); ++w)
    text += u' ' + std::u16string(lead[w]);
  if (text.size() > UINT16_MAX)
    return;
  const auto same = std::find_if(mPhrases.begin() + static_cast<std::ptrdiff_t>(mFromFile),
                                 mPhrases.end(), [&](const Phrase& p) { return p.Text() == text; });
  if (same != mPhrases.end()) {
    const std::u16string meanings =
        std::u16string(same->Meanings()) + u'\t' + std::u16string(meaning);
    *same = KeepPhrase(same->Text(), meanings);
    return;
  }
  mPhrases.push_back(KeepPhrase(text, meaning));
}

Phrase PhraseDictionary::KeepPhrase(std::u16string_view text, std::u16string_view meanings) {
  std::u16string& kept = mTexts.emplace_back();
  kept.reserve(CharsOfPhrase(text, meanings));
  AppendPhrase(kept, text, meanings);
  return PhraseAt(kept.data(), text.size(), meanings.size());
}

std::vector<int> PhraseDictionary::StartingWith(std::u16string_view word) const {
  const auto firstWord = [this](int p) { return FirstWord(mPhrases[static_cast<size_t>(p)]); };
  std::vector<int> found;
  for (const std::vector<int>* index : {&mFileByFirstWord, &mRegisteredByFirstWord}) {
    const auto from = std::partition_point(index->begin(), index->end(),
                                           [&](int p) { return firstWord(p) < word; });
    const auto to =
        std::partition_point(from, index->end(), [&](int p) { return firstWord(p) == word; });
    found.insert(found.end(), from, to);
  }
  return found;
}

}  // namespace kelmoa
