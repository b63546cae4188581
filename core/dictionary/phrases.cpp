// The phrase dictionary: phrasal verbs and fixed expressions, found by their first word.
#include "core/dictionary/phrases.h"

#include <algorithm>
#include <array>

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
  const std::u16string_view meanings = p.meanings;
  // An auxiliary phrase is a verb phrase too: is going to, was able to.
  p.verb = (ClassesOfMeanings(meanings) & ClassBit(WordClass::kVerb)) != 0 ||
           HasTag(meanings, {u"【助動】"});
  const PhraseWordList words = p.Words();
  p.separable = p.verb && words.size() == 2 && IsParticle(words[1]) &&
                HasTag(meanings, {u"【他】", u"【動】"});
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
  ForEachPiece(lowered, u' ', [&words](std::u16string_view w) {
    if (words.count < words.at.size())
      words.at[words.count++] = w;
  });
  return words;
}

std::vector<std::u16string> Phrase::Lines() const {
  std::vector<std::u16string> lines;
  ForEachPiece(meanings, u'\t', [&lines](std::u16string_view m) { lines.emplace_back(m); });
  return lines;
}

Status PhraseDictionary::Load(const std::string& path, FileOps& fs) {
  mPhrases.clear();
  mTexts.clear();
  mByFirstWord.clear();
  Dictionary file;
  Status loaded = fs.Exists(path) ? file.LoadDicFile(path, fs) : Status::Ok();
  // The file's phrases in one text: each head, its lower case and its meanings.
  std::vector<int> kept;
  size_t size = 0;
  for (int i = 1; i <= file.Count(); ++i) {
    const auto at = static_cast<size_t>(i);
    if (!PhraseWords(file.Words()[at]).empty()) {
      kept.push_back(i);
      size += 2 * file.Words()[at].size() + file.Meanings()[at].size();
    }
  }
  std::u16string& all = mTexts.emplace_back();
  all.reserve(size);
  for (const int i : kept) {
    const auto at = static_cast<size_t>(i);
    all += file.Words()[at];
    all += LowerAscii(file.Words()[at]);
    all += file.Meanings()[at];
  }
  mPhrases.reserve(kept.size());
  std::u16string_view rest = all;
  for (const int i : kept) {
    const auto at = static_cast<size_t>(i);
    Phrase p;
    const size_t head = file.Words()[at].size();
    p.text = rest.substr(0, head);
    p.lowered = rest.substr(head, head);
    p.meanings = rest.substr(2 * head, file.Meanings()[at].size());
    rest.remove_prefix(2 * head + p.meanings.size());
    TakeClasses(p);
    mPhrases.push_back(p);
  }
  mFromFile = mPhrases.size();
  mFileTexts = mTexts.size();
  Index(0);
  return loaded;
}

void PhraseDictionary::TakeRegisteredPhrases(const Dictionary& dic) {
  // The registered phrases leave the index; the file's stay in it as they were loaded.
  for (size_t i = mFromFile; i < mPhrases.size(); ++i) {
    const auto it = mByFirstWord.find(mPhrases[i].Words()[0]);
    if (it == mByFirstWord.end())
      continue;
    std::vector<int>& indices = it->second;
    std::erase_if(indices, [this](int p) { return static_cast<size_t>(p) >= mFromFile; });
    if (indices.empty())
      mByFirstWord.erase(it);
  }
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
  Index(mFromFile);
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
  const auto same = std::find_if(mPhrases.begin() + static_cast<std::ptrdiff_t>(mFromFile),
                                 mPhrases.end(), [&](const Phrase& p) { return p.text == text; });
  if (same != mPhrases.end()) {
    const std::u16string meanings =
        std::u16string(same->meanings) + u'\t' + std::u16string(meaning);
    *same = KeepPhrase(same->text, meanings);
    return;
  }
  mPhrases.push_back(KeepPhrase(text, meaning));
}

Phrase PhraseDictionary::KeepPhrase(std::u16string_view text, std::u16string_view meanings) {
  std::u16string& kept = mTexts.emplace_back(text);
  kept += LowerAscii(text);
  kept += meanings;
  const std::u16string_view all = kept;
  Phrase p;
  p.text = all.substr(0, text.size());
  p.lowered = all.substr(text.size(), text.size());
  p.meanings = all.substr(2 * text.size());
  TakeClasses(p);
  return p;
}

const std::vector<int>& PhraseDictionary::StartingWith(std::u16string_view word) const {
  static const std::vector<int> kNone;
  const auto it = mByFirstWord.find(word);
  return it == mByFirstWord.end() ? kNone : it->second;
}

void PhraseDictionary::Index(size_t from) {
  for (size_t i = from; i < mPhrases.size(); ++i)
    mByFirstWord[mPhrases[i].Words()[0]].push_back(static_cast<int>(i));
}

}  // namespace kelmoa
