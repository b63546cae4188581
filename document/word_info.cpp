#include "document/word_info.h"

#include <algorithm>
#include <unordered_map>

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

// Hashes strings and views alike, so that a lookup by view needs no string of its own.
struct WordHash {
  using is_transparent = void;
  size_t operator()(std::u16string_view s) const { return std::hash<std::u16string_view>{}(s); }
};

}  // namespace

void GetDicIdxOfWords(const StrList& dicWord, WordTable& t) {
  t.mWordDicIdxId.assign(t.mWordLen.size(), 0);
  t.mDicIdxLists.assign(1, std::u16string());
  // Each distinct lowered word is looked up once; words with the same list share its entry.
  std::unordered_map<std::u16string, uint32_t, WordHash, std::equal_to<>> known;
  std::unordered_map<std::u16string, uint32_t, WordHash, std::equal_to<>> listIds;
  known.reserve(t.mWordLen.size() / 4 + 16);
  std::u16string key;  // the lowered word, reused from word to word
  auto lookup = [&](std::u16string_view word) -> uint32_t {
    // Most words are lower case already: they are looked up as they stand in the line.
    const bool upper =
        std::any_of(word.begin(), word.end(), [](char16_t ch) { return ch >= u'A' && ch <= u'Z'; });
    if (!upper) {
      if (const auto it = known.find(word); it != known.end())
        return it->second;
    }
    key.assign(word);
    for (char16_t& ch : key) {
      if (ch >= u'A' && ch <= u'Z')
        ch = static_cast<char16_t>(ch + (u'a' - u'A'));
    }
    if (upper) {
      if (const auto it = known.find(std::u16string_view(key)); it != known.end())
        return it->second;
    }
    std::u16string list = GetDicIdxListOfWord(dicWord, key);
    uint32_t id = 0;
    if (!list.empty()) {
      const auto [it, added] = listIds.emplace(list, static_cast<uint32_t>(t.mDicIdxLists.size()));
      if (added)
        t.mDicIdxLists.push_back(std::move(list));
      id = it->second;
    }
    known.emplace(key, id);
    return id;
  };
  for (int k = 1; k <= t.Count(); ++k) {
    uint32_t id = lookup(t.Word(k));
    if (id == 0) {
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
