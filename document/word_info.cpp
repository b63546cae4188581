#include "document/word_info.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "common/helpers.h"
#include "dictionary/lookup.h"

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
    std::u16string_view rest = line.substr(col - 1);
    rest = rest.substr(0, rest.find_last_not_of(u' ') + 1);
    const size_t after = col - 1 + t.mWordLen[static_cast<size_t>(k)];
    if (!rest.empty() && rest.back() == u'-' && after < line.size() && line[after] == u'-') {
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
// The words are those of the word table, letters and apostrophes only, and for these lowering
// is setting bit 0x20 of every code unit (the apostrophe has it already). A word is known by
// its length and two 4-unit pieces, its first four and its last four units (a shorter word is
// packed into the first), which settle it for up to eight units; a longer word is compared in
// full as well.
class LoweredWords {
 public:
  LoweredWords() : mIndex(kFirstSize, 0) {
    mEntries.reserve(kFirstSize / 2);
    mLowered.reserve(kFirstSize / 2);
  }

  // The word's number; a word not met before is given the next one.
  uint32_t Number(std::u16string_view word) {
    const Entry probe = EntryOf(word);
    size_t i = Start(probe);
    for (;; i = (i + 1) & (mIndex.size() - 1)) {
      if (mIndex[i] == 0)
        break;
      const uint32_t number = mIndex[i] - 1;
      const Entry& e = mEntries[number];
      if (e.head == probe.head && e.tail == probe.tail && e.len == probe.len &&
          (e.len <= 8 || mLowered[number] == LowerAscii(word)))
        return number;
    }
    const auto number = static_cast<uint32_t>(mEntries.size());
    mEntries.push_back(probe);
    mLowered.push_back(LowerAscii(word));
    mIndex[i] = number + 1;
    if (mEntries.size() * 2 > mIndex.size())
      Grow();
    return number;
  }

  size_t Count() const { return mEntries.size(); }
  const std::u16string& LoweredWord(uint32_t number) const { return mLowered[number]; }

 private:
  static constexpr size_t kFirstSize = 8192;  // room for the distinct words of most texts
  static constexpr uint64_t kLower = 0x0020002000200020ULL;

  struct Entry {
    uint64_t head = 0, tail = 0;  // the lowered pieces
    uint32_t len = 0;
  };

  static uint64_t Load4(const char16_t* p) {
    uint64_t v = 0;
    std::memcpy(&v, p, sizeof v);
    return v;
  }
  static Entry EntryOf(std::u16string_view word) {
    Entry e;
    const char16_t* const p = word.data();
    const size_t n = word.size();
    e.len = static_cast<uint32_t>(n);
    if (n >= 4) {
      e.head = Load4(p) | kLower;
      e.tail = Load4(p + n - 4) | kLower;
    } else {
      for (size_t i = 0; i < n; ++i)
        e.head |= static_cast<uint64_t>(p[i] | 0x20) << (16 * i);
    }
    return e;
  }
  size_t Start(const Entry& e) const {
    const uint64_t h = (e.head * 0x9E3779B97F4A7C15ULL) ^ (e.tail * 0xC2B2AE3D27D4EB4FULL) ^
                       (e.len * 0x165667B19E3779F9ULL);
    return static_cast<size_t>(h ^ (h >> 32)) & (mIndex.size() - 1);
  }
  void Grow() {
    mIndex.assign(mIndex.size() * 2, 0);
    for (uint32_t number = 0; number < mEntries.size(); ++number) {
      size_t i = Start(mEntries[number]);
      while (mIndex[i] != 0)
        i = (i + 1) & (mIndex.size() - 1);
      mIndex[i] = number + 1;
    }
  }

  std::vector<uint32_t> mIndex;  // open addressing: 1 + a word's number, 0 if free
  std::vector<Entry> mEntries;   // by number, so the frequent words lie close together
  std::vector<std::u16string> mLowered;
};

}  // namespace

void GetDicIdxOfWords(const StrList& dicWord, WordTable& t) {
  t.mWordDicIdxId.assign(t.mWordLen.size(), 0);
  t.mDicIdxLists.assign(1, std::u16string());
  LoweredWords distinct;
  // Line by line, so that each line's text is found once for all its words.
  for (size_t i = 1; i < t.mLineFirstWord.size(); ++i) {
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

  // The distinct words are looked up in alphabetical order: one search then starts where the
  // last one ended in the dictionary, and finds its entries still in the cache.
  std::vector<uint32_t> order(distinct.Count());
  for (uint32_t d = 0; d < order.size(); ++d)
    order[d] = d;
  std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
    return distinct.LoweredWord(a) < distinct.LoweredWord(b);
  });
  // Words with the same list share its entry.
  std::unordered_map<std::u16string, uint32_t> listIds;
  int near = 0;  // where the last word stood in the dictionary
  auto listId = [&](const std::u16string& lowered) -> uint32_t {
    std::u16string list = GetDicIdxListOfWord(dicWord, lowered, near);
    if (list.empty())
      return 0;
    const auto [it, added] = listIds.emplace(list, static_cast<uint32_t>(t.mDicIdxLists.size()));
    if (added)
      t.mDicIdxLists.push_back(std::move(list));
    return it->second;
  };
  std::vector<uint32_t> ids(distinct.Count());
  for (const uint32_t d : order)
    ids[d] = listId(distinct.LoweredWord(d));

  for (int k = 1; k <= t.Count(); ++k) {
    uint32_t& id = t.mWordDicIdxId[static_cast<size_t>(k)];
    id = ids[id];
    // A half of a hyphen-broken word that is not known by itself takes the joined word's list.
    if (id == 0 && !t.mWordJoined.empty()) {
      if (const std::u16string_view joined = t.Joined(k); !joined.empty()) {
        const uint32_t d = distinct.Number(joined);
        if (d == ids.size())
          ids.push_back(listId(distinct.LoweredWord(d)));
        id = ids[d];
      }
    }
  }
}

void SetKnownWordColor(const WordTable& t, Grid<uint8_t>& color) {
  // An unknown word is painted black over black: no guess about which words are known.
  for (size_t k = 1; k < t.mWordLen.size(); ++k) {
    uint8_t* const cell = &color(t.mWordLine[k], t.mWordCol[k]);
    std::fill_n(cell, t.mWordLen[k], t.mWordDicIdxId[k] != 0 ? kColorBlue : kColorBlack);
  }
}

void gGetWordInfoInTextP(TextDocument& doc, const StrList& dicWord) {
  GetWordListOfText(doc.mTxt, doc.mChrX, doc.words);
  JoinHyphenatedWords(doc.mTxt, doc.words);
  GetDicIdxOfWords(dicWord, doc.words);
  InitColorAry(doc.mTxt, doc.mChrColor);
  SetKnownWordColor(doc.words, doc.mChrColor);
}

}  // namespace kelmoa
