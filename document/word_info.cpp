#include "document/word_info.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <unordered_map>
#include <vector>

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

char16_t LowerLetter(char16_t ch) {
  return ch >= u'A' && ch <= u'Z' ? static_cast<char16_t>(ch + (u'a' - u'A')) : ch;
}

// The distinct lowered words of a text with the index list each was given. A text of 9000
// lines holds some 100,000 words but only a few thousand distinct ones, so every word is
// looked up here first, as it stands in its line.
//
// The words are those of the word table, letters and apostrophes only, and for these lowering
// is setting bit 0x20 of every code unit (the apostrophe has it already). A word is known by
// its length and two 4-unit pieces, its first four and its last four units (a shorter word is
// packed into the first), which settle it for up to eight units; a longer word is compared in
// full as well.
class LoweredWords {
 public:
  static constexpr uint32_t kNotFound = UINT32_MAX;

  LoweredWords() : mIndex(kFirstSize, 0) { mWords.reserve(kFirstSize / 2); }

  // The list id stored for the word (kNotFound when it is new).
  uint32_t Find(std::u16string_view word) const {
    const Entry probe = EntryOf(word);
    for (size_t i = Start(probe);; i = (i + 1) & (mIndex.size() - 1)) {
      if (mIndex[i] == 0)
        return kNotFound;
      const Entry& e = mWords[mIndex[i] - 1];
      if (e.head == probe.head && e.tail == probe.tail && e.len == probe.len &&
          (e.len <= 8 || std::u16string_view(mLongWords[e.longWord]) == Lowered(word)))
        return e.id;
    }
  }

  // Stores the list id of a word that Find did not find.
  void Add(std::u16string_view word, uint32_t id) {
    if ((mWords.size() + 1) * 2 > mIndex.size())
      Grow();
    Entry e = EntryOf(word);
    e.id = id;
    if (e.len > 8) {
      e.longWord = static_cast<uint32_t>(mLongWords.size());
      mLongWords.push_back(Lowered(word));
    }
    mWords.push_back(e);
    Place(static_cast<uint32_t>(mWords.size()));
  }

  static std::u16string Lowered(std::u16string_view word) {
    std::u16string lowered(word);
    for (char16_t& ch : lowered)
      ch = LowerLetter(ch);
    return lowered;
  }

 private:
  static constexpr size_t kFirstSize = 8192;  // room for the distinct words of most texts
  static constexpr uint64_t kLower = 0x0020002000200020ULL;

  struct Entry {
    uint64_t head = 0, tail = 0;  // the lowered pieces
    uint32_t len = 0;
    uint32_t id = 0;
    uint32_t longWord = 0;  // the lowered word in mLongWords, for words over eight units
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
  void Place(uint32_t number) {
    size_t i = Start(mWords[number - 1]);
    while (mIndex[i] != 0)
      i = (i + 1) & (mIndex.size() - 1);
    mIndex[i] = number;
  }
  void Grow() {
    mIndex.assign(mIndex.size() * 2, 0);
    for (uint32_t number = 1; number <= mWords.size(); ++number)
      Place(number);
  }

  std::vector<uint32_t> mIndex;  // open addressing: 1 + the word's place in mWords, 0 if free
  std::vector<Entry> mWords;     // in the order met, so the frequent words lie close together
  std::vector<std::u16string> mLongWords;
};

}  // namespace

void GetDicIdxOfWords(const StrList& dicWord, WordTable& t) {
  t.mWordDicIdxId.assign(t.mWordLen.size(), 0);
  t.mDicIdxLists.assign(1, std::u16string());
  // Each distinct lowered word is looked up once; words with the same list share its entry.
  LoweredWords known;
  std::unordered_map<std::u16string, uint32_t> listIds;
  auto lookup = [&](std::u16string_view word) -> uint32_t {
    if (const uint32_t id = known.Find(word); id != LoweredWords::kNotFound)
      return id;
    std::u16string list = GetDicIdxListOfWord(dicWord, LoweredWords::Lowered(word));
    uint32_t id = 0;
    if (!list.empty()) {
      const auto [it, added] = listIds.emplace(list, static_cast<uint32_t>(t.mDicIdxLists.size()));
      if (added)
        t.mDicIdxLists.push_back(std::move(list));
      id = it->second;
    }
    known.Add(word, id);
    return id;
  };
  const bool anyJoined = !t.mWordJoined.empty();
  for (int k = 1; k <= t.Count(); ++k) {
    uint32_t id = lookup(t.Word(k));
    if (id == 0 && anyJoined) {
      if (const std::u16string_view joined = t.Joined(k); !joined.empty())
        id = lookup(joined);
    }
    t.mWordDicIdxId[static_cast<size_t>(k)] = id;
  }
}

void SetKnownWordColor(const WordTable& t, Grid<uint8_t>& color) {
  for (size_t k = 1; k < t.mWordLen.size(); ++k) {
    if (t.mWordDicIdxId[k] == 0)
      continue;
    const int line = t.mWordLine[k];
    const int col = t.mWordCol[k];
    const int len = t.mWordLen[k];
    for (int c = col; c < col + len; ++c)
      color(line, c) = kColorBlue;
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
