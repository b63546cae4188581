// The words of a text: where each stands and what the dictionary knows of it.
#include "core/text/word_info.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/base/helpers.h"
#include "core/base/side_by_side.h"
#include "core/dictionary/lookup.h"

namespace kelmoa {

void JoinHyphenatedWords(const StrList& lines, WordTable& t) {
  t.mWordJoined.clear();
  const int n = static_cast<int>(t.mLineLastWord.size()) - 1;
  for (int i = 1; i <= n; ++i) {
    const int k = t.mLineLastWord[static_cast<size_t>(i)];
    if (k == 0 || i == n)
      continue;
    const int f = t.mLineFirstWord[static_cast<size_t>(i) + 1];
    if (f == 0)
      continue;
    const std::u16string_view line = lines[static_cast<size_t>(i)];
    const size_t col = static_cast<size_t>(t.mWordCol[static_cast<size_t>(k)]);
    const size_t after = col - 1 + t.mWordLen[static_cast<size_t>(k)];
    // Most lines' last word has no hyphen after it: the rest of the line is looked at only
    // when it has.
    if (after >= line.size() || line[after] != u'-')
      continue;
    std::u16string_view rest = line.substr(col - 1);
    rest = rest.substr(0, rest.find_last_not_of(u' ') + 1);
    if (!rest.empty() && rest.back() == u'-') {
      std::u16string joined(t.Word(k));
      joined += t.Word(f);
      t.mWordJoined[k] = joined;
      t.mWordJoined[f] = std::move(joined);
    }
  }
}

namespace {

// The distinct lowered words of a text, numbered 0, 1, 2, ... in the order met. A text of
// 9000 lines holds some 100,000 words but only a few thousand distinct ones, so every word is
// found here first, as it stands in its line, and only the distinct ones are looked up.
//
// The words are those of the word table, letters and apostrophes only. For these, lowering is
// setting bit 0x20 of every code unit (the apostrophe has it already), and a lowered unit fits
// in 7 bits. A word's key packs its length with its first four and its last four units (a
// shorter word's units all go into the first four), which settles a word of up to eight units;
// a longer word is compared in full as well. The table's slots hold the keys themselves, so a
// word is found with one look at the table.
class LoweredWords {
 public:
  LoweredWords() : mSlots(kFirstSize) {
    mKeys.reserve(kFirstSize / 2);
    mLowered.reserve(kFirstSize / 2);
  }

  // The word's number; a word not met before is given the next one.
  uint32_t Number(std::u16string_view word) {
    const uint64_t key = KeyOf(word);
    size_t i = Start(key);
    for (;; i = (i + 1) & (mSlots.size() - 1)) {
      const Slot& slot = mSlots[i];
      if (slot.key == key && (word.size() <= 8 || SameLowered(mLowered[slot.number], word)))
        return slot.number;
      if (slot.key == 0)
        break;
    }
    const auto number = static_cast<uint32_t>(mKeys.size());
    mKeys.push_back(key);
    mLowered.push_back(LowerAscii(word));
    mSlots[i] = Slot{key, number};
    if (mKeys.size() * 2 > mSlots.size())
      Grow();
    return number;
  }

  size_t Count() const { return mKeys.size(); }
  const std::u16string& LoweredWord(uint32_t number) const { return mLowered[number]; }

 private:
  static constexpr size_t kFirstSize = 4096;  // room for the distinct words of most texts

  struct Slot {
    uint64_t key = 0;  // 0: free (a word has at least one unit, so its key is never 0)
    uint32_t number = 0;
  };

  // Four lowered units, 7 bits each, in the low 28 bits.
  static uint64_t Pack4(const char16_t* p) {
    uint64_t v = 0;
    std::memcpy(&v, p, sizeof v);
    v = (v | 0x0020002000200020ULL) & 0x007F007F007F007FULL;
    v = (v | v >> 9) & 0x00003FFF00003FFFULL;
    return (v | v >> 18) & 0x0FFFFFFFULL;
  }
  // Length in bits 56..62 (a word has at most 100 units), last four in 28..55, first four in
  // 0..27.
  static uint64_t KeyOf(std::u16string_view word) {
    const char16_t* const p = word.data();
    const size_t n = word.size();
    uint64_t key = static_cast<uint64_t>(n) << 56;
    if (n >= 4)
      return key | Pack4(p + n - 4) << 28 | Pack4(p);
    for (size_t i = 0; i < n; ++i)
      key |= static_cast<uint64_t>((p[i] | 0x20) & 0x7F) << (7 * i);
    return key;
  }
  // The units between the first and the last four, which the key leaves out.
  static bool SameLowered(const std::u16string& lowered, std::u16string_view word) {
    for (size_t i = 4; i + 4 < word.size(); ++i) {
      if (lowered[i] != (word[i] | 0x20))
        return false;
    }
    return true;
  }
  size_t Start(uint64_t key) const {
    return static_cast<size_t>((key * 0x9E3779B97F4A7C15ULL) >> 32) & (mSlots.size() - 1);
  }
  void Grow() {
    mSlots.assign(mSlots.size() * 2, Slot{});
    for (uint32_t number = 0; number < mKeys.size(); ++number) {
      size_t i = Start(mKeys[number]);
      while (mSlots[i].key != 0)
        i = (i + 1) & (mSlots.size() - 1);
      mSlots[i] = Slot{mKeys[number], number};
    }
  }

  std::vector<Slot> mSlots;     // open addressing
  std::vector<uint64_t> mKeys;  // by number
  std::vector<std::u16string> mLowered;
};

// A text of fewer words is worked through on one thread: starting a second would cost more
// than it saves.
constexpr int kWordsForTwoThreads = 20000;

// Numbers the words of lines [from, to) in distinct, storing each word's number as its id.
void NumberWords(WordTable& t, size_t from, size_t to, LoweredWords& distinct) {
  // Line by line, so that each line's text is found once for all its words.
  for (size_t i = from; i < to; ++i) {
    const int first = t.mLineFirstWord[i];
    if (first == 0)
      continue;
    const char16_t* const line = (*t.mLines)[i].data();
    for (int k = first; k <= t.mLineLastWord[i]; ++k) {
      const auto w = static_cast<size_t>(k);
      t.mWordDicIdxId[w] =
          distinct.Number(std::u16string_view(line + t.mWordCol[w] - 1, t.mWordLen[w]));
    }
  }
}

// The numbers of the distinct words in alphabetical order. They are sorted by their first nine
// units packed into a number, 7 bits each (a lowered word's units are below 0x80) and 0 where
// the word is shorter, so that a shorter word comes first as it does among strings; words that
// agree in those are compared in full.
std::vector<uint32_t> AlphabeticalOrder(const LoweredWords& distinct) {
  std::vector<std::pair<uint64_t, uint32_t>> sorted(distinct.Count());
  for (uint32_t d = 0; d < sorted.size(); ++d) {
    const std::u16string& w = distinct.LoweredWord(d);
    uint64_t key = 0;
    for (size_t i = 0; i < 9; ++i)
      key = key << 7 | (i < w.size() ? w[i] & 0x7FU : 0U);
    sorted[d] = {key, d};
  }
  std::sort(sorted.begin(), sorted.end(), [&](const auto& a, const auto& b) {
    if (a.first != b.first)
      return a.first < b.first;
    return distinct.LoweredWord(a.second) < distinct.LoweredWord(b.second);
  });
  std::vector<uint32_t> order(sorted.size());
  for (size_t j = 0; j < order.size(); ++j)
    order[j] = sorted[j].second;
  return order;
}

}  // namespace

void LookUpWords(const StrList& dicWord, const StrList& dicMeaning, WordTable& t) {
  t.mWordDicIdxId.assign(t.mWordLen.size(), 0);
  t.mDicHitLists.assign(1, std::vector<int>());
  // A long text is worked through in two halves side by side, each with its own table of
  // distinct words; the second table's words are then numbered in the first.
  const bool halves = t.Count() >= kWordsForTwoThreads;
  const size_t lineEnd = t.mLineFirstWord.size();
  const size_t mid = halves ? static_cast<size_t>(t.mWordLine[static_cast<size_t>(t.Count() / 2)])
                            : lineEnd;  // the first line of the second half
  const int firstLater = halves ? t.mLineFirstWord[mid] : t.Count() + 1;
  LoweredWords distinct, later;
  RunSideBySide(
      halves, [&] { NumberWords(t, 1, mid, distinct); },
      [&] { NumberWords(t, mid, lineEnd, later); });
  std::vector<uint32_t> merged(later.Count());
  for (uint32_t d = 0; d < merged.size(); ++d)
    merged[d] = distinct.Number(later.LoweredWord(d));

  // The distinct words are looked up in alphabetical order: one search then starts where the
  // last one ended in the dictionary, and finds its entries still in the cache. Each half
  // gathers its words' hits one after the other in one array (where word j's end), so that the
  // lookup of a word allocates nothing for its hits.
  struct Found {
    std::vector<int> hits;
    std::vector<uint32_t> ends;
  };
  const std::vector<uint32_t> order = AlphabeticalOrder(distinct);
  const size_t half = halves ? order.size() / 2 : order.size();
  Found found[2];
  auto lookUp = [&](size_t from, size_t to, Found& into) {
    into.ends.reserve(to - from);
    std::vector<int> hits;
    int near = 0;  // where the last word stood in the dictionary
    for (size_t j = from; j < to; ++j) {
      const std::u16string& w = distinct.LoweredWord(order[j]);
      DicHitsOfWord(dicWord, w, near, hits);
      if (hits.empty())
        NegatedWordHits(dicWord, dicMeaning, w, hits);
      into.hits.insert(into.hits.end(), hits.begin(), hits.end());
      into.ends.push_back(static_cast<uint32_t>(into.hits.size()));
    }
  };
  RunSideBySide(
      halves, [&] { lookUp(0, half, found[0]); }, [&] { lookUp(half, order.size(), found[1]); });

  // Words with the same hits share one list, numbered in alphabetical order of the words.
  // The lists are found through an open-addressed table of their numbers, with room for
  // every word's.
  using Hits = std::span<const int>;
  const size_t most = order.size() + t.mWordJoined.size() + 1;
  t.mDicHitLists.reserve(most);
  std::vector<uint32_t> listSlots(std::bit_ceil(2 * most));  // 0: free
  auto listId = [&](Hits hits) -> uint32_t {
    if (hits.empty())
      return 0;
    const size_t mask = listSlots.size() - 1;
    size_t i = std::hash<std::string_view>()(std::string_view(
                   reinterpret_cast<const char*>(hits.data()), hits.size_bytes())) &
               mask;
    for (; listSlots[i] != 0; i = (i + 1) & mask) {
      const std::vector<int>& list = t.mDicHitLists[listSlots[i]];
      if (std::equal(list.begin(), list.end(), hits.begin(), hits.end()))
        return listSlots[i];
    }
    const auto id = static_cast<uint32_t>(t.mDicHitLists.size());
    t.mDicHitLists.emplace_back(hits.begin(), hits.end());
    listSlots[i] = id;
    return id;
  };
  std::vector<uint32_t> ids(distinct.Count());
  for (size_t j = 0; j < order.size(); ++j) {
    const Found& f = found[j < half ? 0 : 1];
    const size_t at = j < half ? j : j - half;
    const uint32_t begin = at == 0 ? 0 : f.ends[at - 1];
    ids[order[j]] = listId(Hits(f.hits).subspan(begin, f.ends[at] - begin));
  }

  // Every word takes its list; those of the second half through their numbers there.
  auto assign = [&](int from, int to, const auto& number) {
    for (auto k = static_cast<size_t>(from); k < static_cast<size_t>(to); ++k) {
      uint32_t& id = t.mWordDicIdxId[k];
      id = ids[number(id)];
    }
  };
  RunSideBySide(
      halves, [&] { assign(1, firstLater, [](uint32_t d) { return d; }); },
      [&] { assign(firstLater, t.Count() + 1, [&](uint32_t d) { return merged[d]; }); });

  // A half of a hyphen-broken word that is not known by itself takes the joined word's list.
  std::vector<int> joinedHalves;
  for (const auto& joined : t.mWordJoined)
    joinedHalves.push_back(joined.first);
  std::sort(joinedHalves.begin(), joinedHalves.end());
  for (const int k : joinedHalves) {
    uint32_t& id = t.mWordDicIdxId[static_cast<size_t>(k)];
    if (id != 0)
      continue;
    const uint32_t d = distinct.Number(t.Joined(k));
    if (d == ids.size())
      ids.push_back(listId(DicHitsOfWord(dicWord, distinct.LoweredWord(d))));
    id = ids[d];
  }
}

namespace {

// Paints words [from, to). A word of up to 16 characters is painted with one store of 16
// cells: its own and black after it, which may reach into the next row. The words come in
// reading order, so a later word in those cells is painted over again; the store is used only
// where the next row is one of this call's (below rowLimit), so that it never paints over
// another call's words.
void PaintWords(const WordTable& t, Grid<uint8_t>& color, size_t from, size_t to, int rowLimit) {
#if defined(__SSE2__)
  // The 16 bytes from kFirstLen[16 - len] have their first len bytes all set, the rest clear.
  static constexpr std::array<uint8_t, 32> kFirstLen = [] {
    std::array<uint8_t, 32> m{};
    for (size_t i = 0; i < 16; ++i)
      m[i] = 0xFF;
    return m;
  }();
#endif
  // An unknown word is painted black over black: no guess about which words are known.
  for (size_t k = from; k < to; ++k) {
    const int line = t.mWordLine[k];
    uint8_t* const cell = &color(line, t.mWordCol[k]);
    const uint8_t len = t.mWordLen[k];
    const uint8_t c = t.mWordDicIdxId[k] != 0 ? kColorBlue : kColorBlack;
#if defined(__SSE2__)
    if (len <= 16 && line + 1 < rowLimit) {
      const __m128i first =
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(kFirstLen.data() + 16 - len));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(cell),
                       _mm_and_si128(first, _mm_set1_epi8(static_cast<char>(c))));
      continue;
    }
#endif
    std::fill_n(cell, len, c);
  }
}

}  // namespace

void SetKnownWordColor(const WordTable& t, Grid<uint8_t>& color) {
  // A long text is painted in two halves side by side, split between two lines.
  const int count = t.Count();
  const bool halves = count >= kWordsForTwoThreads;
  const int midLine = halves ? t.mWordLine[static_cast<size_t>(count / 2)] : kGridLines + 1;
  const auto firstLater = halves
                              ? static_cast<size_t>(t.mLineFirstWord[static_cast<size_t>(midLine)])
                              : t.mWordLen.size();
  RunSideBySide(
      halves, [&] { PaintWords(t, color, 1, firstLater, midLine); },
      [&] { PaintWords(t, color, firstLater, t.mWordLen.size(), kGridLines + 1); });
}

void MarkKnownWords(TextDocument& doc, const StrList& dicWord, const StrList& dicMeaning) {
  GetWordListOfText(doc.mTxt, doc.mChrX, doc.words);
  JoinHyphenatedWords(doc.mTxt, doc.words);
  LookUpWords(dicWord, dicMeaning, doc.words);
  ResetColors(doc.mTxt, doc.mChrColor);
  SetKnownWordColor(doc.words, doc.mChrColor);
}

}  // namespace kelmoa
