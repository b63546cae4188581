// Finding the phrases of the phrase dictionary in a laid-out text.
#include "core/text/phrase_match.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "core/base/helpers.h"
#include "core/dictionary/lookup.h"
#include "core/dictionary/meaning_tags.h"

namespace kelmoa {
namespace {

// A phrase of at most kMaxPhraseWords words, with at most three words of an object inside,
// covering a word starts at most this many words before it.
constexpr int kMostWordsBefore = kMaxPhraseWords + 3;

bool IsOneOf(std::u16string_view w, std::initializer_list<std::u16string_view> words) {
  return std::find(words.begin(), words.end(), w) != words.end();
}

bool IsObjectPronoun(std::u16string_view w) {
  return IsOneOf(w, {u"it", u"them", u"him", u"her", u"me", u"us", u"you", u"this", u"that",
                     u"these", u"those", u"something", u"someone", u"somebody", u"everything",
                     u"everyone", u"anything", u"anyone", u"one"});
}

bool IsPossessive(std::u16string_view w) {
  return IsOneOf(w, {u"my", u"your", u"his", u"her", u"its", u"our", u"their", u"one's"}) ||
         (w.size() > 2 && w.ends_with(u"'s"));
}

bool IsDeterminer(std::u16string_view w) {
  return IsPossessive(w) ||
         IsOneOf(w, {u"the", u"a", u"an", u"this", u"that", u"these", u"those", u"some", u"any",
                     u"every", u"each", u"no", u"another", u"all"});
}

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\u3000';
}

bool AllBlank(std::u16string_view s) {
  return std::all_of(s.begin(), s.end(), IsBlank);
}

// A word of the text as phrases see it: one word, or the two halves of a word broken by a
// hyphen at a line's end.
struct Token {
  int first = 0;
  int last = 0;
  std::u16string lowered;
};

// The tokens from word `from` to word `to` of the table, in order.
std::vector<Token> TokensOf(const WordTable& t, int from, int to) {
  std::vector<Token> tokens;
  for (int k = from; k <= to; ++k) {
    const std::u16string_view joined = t.Joined(k);
    if (!joined.empty() && k < t.Count() && t.Joined(k + 1) == joined &&
        t.mWordLine[static_cast<size_t>(k + 1)] == t.mWordLine[static_cast<size_t>(k)] + 1) {
      tokens.push_back({k, k + 1, LowerAscii(joined)});
      ++k;
      continue;
    }
    tokens.push_back({k, k, LowerAscii(t.Word(k))});
  }
  return tokens;
}

// True when nothing but blanks, and at most one line break, stands between two tokens.
bool Adjacent(const WordTable& t, const Token& a, const Token& b) {
  const auto end = static_cast<size_t>(a.last);
  const auto start = static_cast<size_t>(b.first);
  const int lineA = t.mWordLine[end];
  const int lineB = t.mWordLine[start];
  const std::u16string& textA = (*t.mLines)[static_cast<size_t>(lineA)];
  const std::u16string& textB = (*t.mLines)[static_cast<size_t>(lineB)];
  const size_t afterA = static_cast<size_t>(t.mWordCol[end] - 1) + t.mWordLen[end];
  const size_t beforeB = static_cast<size_t>(t.mWordCol[start] - 1);
  if (lineA == lineB)
    return AllBlank(std::u16string_view(textA).substr(afterA, beforeB - afterA));
  return lineB == lineA + 1 && AllBlank(std::u16string_view(textA).substr(afterA)) &&
         AllBlank(std::u16string_view(textB).substr(0, beforeB));
}

// True when a token of the text stands for a word of a phrase.
bool WordFits(std::u16string_view token, std::u16string_view word) {
  return token == word || (word == u"one's" && IsPossessive(token));
}

// The tokens of a phrase's own words.
struct OwnTokens {
  std::array<size_t, kMaxPhraseWords> at{};
  size_t count = 0;
};

class LineMatcher {
 public:
  LineMatcher(const WordTable& t, std::vector<Token> tokens, const PhraseDictionary& phrases,
              const Dictionary& dic, PhraseFinder::StartMemo& starts)
      : mTokens(std::move(tokens)), mPhrases(phrases), mDic(dic), mStarts(starts) {
    // Whether each token follows the one before with nothing but blanks between: asked of the
    // same pair for every phrase a word may start.
    mFollows.assign(mTokens.size(), false);
    for (size_t j = 1; j < mTokens.size(); ++j)
      mFollows[j] = Adjacent(t, mTokens[j - 1], mTokens[j]);
  }

  // Calls found(span, tokens) for every phrase that starts at token i.
  template <typename Found>
  void PhrasesStartingAt(size_t i, Found found) const {
    for (const int p : PhrasesThatMayStartWith(mTokens[i].lowered))
      TryPhrase(i, p, found);
  }

  const std::vector<Token>& Tokens() const { return mTokens; }

 private:
  // The phrases a word may start: those whose first word it is, and the verb phrases whose
  // first word it is a form of (giving up, gave up). Worked out once per word of the text.
  const std::vector<int>& PhrasesThatMayStartWith(const std::u16string& word) const {
    const auto known = mStarts.find(word);
    if (known != mStarts.end())
      return known->second;
    std::vector<int> phrases = mPhrases.StartingWith(word);
    for (const std::u16string& base : BasesOf(word)) {
      for (const int p : mPhrases.StartingWith(base)) {
        if (mPhrases[p].verb)
          phrases.push_back(p);
      }
    }
    return mStarts.emplace(word, std::move(phrases)).first->second;
  }

  // What the word may be a form of: the lookup's inflection candidates and the bases its own
  // dictionary entry names (went: go).
  std::vector<std::u16string> BasesOf(const std::u16string& word) const {
    std::vector<std::u16string> bases;
    const StrList candidates = GetInflectedBaseForms(word);
    bases.insert(bases.end(), candidates.begin() + std::min<size_t>(2, candidates.size()),
                 candidates.end());
    int idx = 0;
    if (FindInSortedList(mDic.Words(), word, idx)) {
      for (const std::u16string_view base : BasesNamed(mDic.Meanings()[static_cast<size_t>(idx)])) {
        if (std::find(bases.begin(), bases.end(), base) == bases.end())
          bases.emplace_back(base);
      }
    }
    return bases;
  }

  bool Next(size_t j) const { return j < mTokens.size() && mFollows[j]; }

  // The tokens an object between a verb and its particle takes from token j on, so that the
  // particle follows them: a pronoun, or a determiner and one or two words more. 0 when none.
  size_t ObjectBefore(size_t j, std::u16string_view particle) const {
    for (size_t n = 1; n <= 3; ++n) {
      if (!Next(j + n - 1) || !Next(j + n))
        return 0;
      const std::u16string& first = mTokens[j].lowered;
      const bool object = n == 1 ? IsObjectPronoun(first) : IsDeterminer(first);
      if (object && WordFits(mTokens[j + n].lowered, particle))
        return n;
    }
    return 0;
  }

  // Calls found(span, own) when phrase p starts at token i; own holds the tokens of the
  // phrase's own words, not of an object between them.
  template <typename Found>
  void TryPhrase(size_t i, int p, Found found) const {
    const Phrase& phrase = mPhrases[p];
    const PhraseWordList words = phrase.Words();
    OwnTokens own;
    own.at[own.count++] = i;
    size_t j = i + 1;
    for (size_t w = 1; w < words.size(); ++w, ++j) {
      if (!Next(j))
        return;
      if (!WordFits(mTokens[j].lowered, words[w])) {
        const size_t object = phrase.separable && w == 1 ? ObjectBefore(j, words[w]) : 0;
        if (object == 0)
          return;
        j += object;
      }
      own.at[own.count++] = j;
    }
    found(PhraseSpan{p, mTokens[i].first, mTokens[j - 1].last}, own);
  }

  std::vector<Token> mTokens;
  std::vector<bool> mFollows;
  const PhraseDictionary& mPhrases;
  const Dictionary& mDic;
  PhraseFinder::StartMemo& mStarts;
};

}  // namespace

void PhraseFinder::Reset(int wordCount) {
  mWordSpan.assign(static_cast<size_t>(std::max(wordCount, 0)) + 1, -1);
  mSpans.clear();
  mStarts.clear();
}

void PhraseFinder::FindOnLine(const WordTable& t, int line, const PhraseDictionary& phrases,
                              const Dictionary& dic) {
  const int first = t.mLineFirstWord[static_cast<size_t>(line)];
  const int last = t.mLineLastWord[static_cast<size_t>(line)];
  if (first == 0)
    return;
  const int from = std::max(1, first - kMostWordsBefore);
  const int to = std::min(t.Count(), last + kMostWordsBefore);
  const LineMatcher matcher(t, TokensOf(t, from, to), phrases, dic, mStarts);
  // The best phrase at each word of the line: most words, then the earliest start.
  std::vector<std::pair<int, PhraseSpan>> best(static_cast<size_t>(last - first + 1));
  const std::vector<Token>& tokens = matcher.Tokens();
  for (size_t i = 0; i < tokens.size() && tokens[i].first <= last; ++i) {
    matcher.PhrasesStartingAt(i, [&](const PhraseSpan& span, const OwnTokens& own) {
      const auto words = static_cast<int>(own.count);
      for (size_t n = 0; n < own.count; ++n) {
        const size_t o = own.at[n];
        for (int k = std::max(tokens[o].first, first); k <= std::min(tokens[o].last, last); ++k) {
          auto& slot = best[static_cast<size_t>(k - first)];
          if (words > slot.first)
            slot = {words, span};
        }
      }
    });
  }
  const size_t lineSpans = mSpans.size();
  for (int k = first; k <= last; ++k) {
    const auto& [words, span] = best[static_cast<size_t>(k - first)];
    int32_t& slot = mWordSpan[static_cast<size_t>(k)];
    slot = 0;
    if (words == 0)
      continue;
    // A phrase over several words of the line is stored once; those before it on the line are
    // the only ones it can be.
    const auto known =
        std::find(mSpans.begin() + static_cast<std::ptrdiff_t>(lineSpans), mSpans.end(), span);
    const auto index = static_cast<int32_t>(known - mSpans.begin());
    if (known == mSpans.end())
      mSpans.push_back(span);
    slot = index + 1;
  }
}

const PhraseSpan* PhraseFinder::PhraseAt(const WordTable& t, int k, const PhraseDictionary& phrases,
                                         const Dictionary& dic) {
  if (phrases.empty() || k < 1 || static_cast<size_t>(k) >= mWordSpan.size() || t.mLines == nullptr)
    return nullptr;
  if (mWordSpan[static_cast<size_t>(k)] < 0)
    FindOnLine(t, t.mWordLine[static_cast<size_t>(k)], phrases, dic);
  const int32_t slot = mWordSpan[static_cast<size_t>(k)];
  return slot > 0 ? &mSpans[static_cast<size_t>(slot - 1)] : nullptr;
}

std::vector<PhraseSpan> PhraseFinder::AllPhrases(const WordTable& t,
                                                 const PhraseDictionary& phrases,
                                                 const Dictionary& dic) {
  std::vector<PhraseSpan> all;
  for (int k = 1; k <= t.Count(); ++k) {
    const PhraseSpan* span = PhraseAt(t, k, phrases, dic);
    if (span != nullptr && (all.empty() || !(all.back() == *span)) &&
        std::find(all.begin(), all.end(), *span) == all.end()) {
      all.push_back(*span);
    }
  }
  return all;
}

}  // namespace kelmoa
