#include "document/word_info.h"

#include <unordered_map>

#include "dictionary/lookup.h"

namespace kelmoa {

void JoinHyphenatedWords(const StrList& lines, WordTable& t) {
  t.mWordJoined.assign(t.mWord.size(), std::u16string());
  const int n = static_cast<int>(t.mLineLastWord.size()) - 1;
  for (int i = 1; i <= n; ++i) {
    const int k = t.mLineLastWord[static_cast<size_t>(i)];
    if (k == 0 || i == n) continue;
    const int f = t.mLineFirstWord[static_cast<size_t>(i) + 1];
    if (f == 0) continue;
    const std::u16string_view line = lines[static_cast<size_t>(i)];
    const size_t col = static_cast<size_t>(t.mWordCol[static_cast<size_t>(k)]);
    std::u16string_view rest = line.substr(col - 1);
    rest = rest.substr(0, rest.find_last_not_of(u' ') + 1);
    const size_t after = col - 1 + t.mWord[static_cast<size_t>(k)].size();
    if (!rest.empty() && rest.back() == u'-' && after < line.size() && line[after] == u'-') {
      const std::u16string joined = t.mWord[static_cast<size_t>(k)] + t.mWord[static_cast<size_t>(f)];
      t.mWordJoined[static_cast<size_t>(k)] = joined;
      t.mWordJoined[static_cast<size_t>(f)] = joined;
    }
  }
}

namespace {

// Hashes words and lowered keys alike, so a lookup needs no string of its own.
struct WordHash {
  using is_transparent = void;
  size_t operator()(std::u16string_view s) const { return std::hash<std::u16string_view>{}(s); }
};

}  // namespace

void GetDicIdxOfWords(const StrList& dicWord, WordTable& t) {
  t.mWordDicIdx.assign(t.mWord.size(), std::u16string());
  std::unordered_map<std::u16string, std::u16string, WordHash, std::equal_to<>> known;
  known.reserve(t.mWord.size() / 4 + 16);
  std::u16string key;  // the lowered word, reused from word to word
  auto lookup = [&](const std::u16string& word) -> const std::u16string& {
    key.assign(word);
    for (char16_t& ch : key) {
      if (ch >= u'A' && ch <= u'Z') ch = static_cast<char16_t>(ch + (u'a' - u'A'));
    }
    auto it = known.find(std::u16string_view(key));
    if (it == known.end()) it = known.emplace(key, GetDicIdxListOfWord(dicWord, key)).first;
    return it->second;
  };
  for (size_t k = 1; k < t.mWord.size(); ++k) {
    t.mWordDicIdx[k] = lookup(t.mWord[k]);
    if (t.mWordDicIdx[k].empty() && !t.mWordJoined[k].empty()) {
      t.mWordDicIdx[k] = lookup(t.mWordJoined[k]);
    }
  }
}

void SetKnownWordColor(const WordTable& t, Grid<uint8_t>& color) {
  for (size_t k = 1; k < t.mWord.size(); ++k) {
    if (t.mWordDicIdx[k].empty()) continue;
    const int line = t.mWordLine[k];
    const int col = t.mWordCol[k];
    const int len = static_cast<int>(t.mWord[k].size());
    for (int c = col; c < col + len; ++c) color(line, c) = kColorBlue;
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
