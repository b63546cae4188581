// Reads the WordNet files the dictionary import uses: lemmas, irregular forms, sense counts.
#include "core/dictionary/wordnet_import.h"

#include <algorithm>

#include "core/base/codepage.h"
#include "core/base/helpers.h"
#include "core/dictionary/phrases.h"

namespace kelmoa {
namespace {

// Calls each(line) for every line of text.
template <typename Each>
void ForEachLine(std::string_view text, Each each) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos)
      end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (line.ends_with('\r'))
      line.remove_suffix(1);
    each(line);
    start = end + 1;
  }
}

// A WordNet word as a head word: lower-case letters and apostrophes, two characters or more;
// empty for a collocation (good_morning) or anything else.
std::u16string HeadWordOf(std::string_view word) {
  if (word.size() < 2)
    return {};
  std::u16string w;
  for (const char c : word) {
    if (!((c >= 'a' && c <= 'z') || c == '\''))
      return {};
    w += static_cast<char16_t>(c);
  }
  return IsEnglishWord(w) ? w : std::u16string();
}

}  // namespace

Wordnet ReadWordnet(const WordnetFiles& files) {
  Wordnet wn;
  for (size_t k = 0; k < kWordnetClasses.size(); ++k) {
    const WordClass wordClass = kWordnetClasses[k];
    // index.*: the licence text (lines starting with spaces), then one lemma a line.
    ForEachLine(files.index[k], [&](std::string_view line) {
      const std::string_view lemma = line.substr(0, line.find(' '));
      const std::u16string w = HeadWordOf(lemma);
      if (!w.empty()) {
        wn.lemmas[w] |= ClassBit(wordClass);
      } else if (lemma.find('_') != std::string_view::npos) {
        std::u16string phrase = Utf8ToUtf16(lemma);
        std::replace(phrase.begin(), phrase.end(), u'_', u' ');
        if (!PhraseWords(phrase).empty())
          wn.phrases.insert(std::move(phrase));
      }
    });
    // *.exc: "form base [base...]".
    ForEachLine(files.exceptions[k], [&](std::string_view line) {
      const size_t sp = line.find(' ');
      if (sp == std::string_view::npos)
        return;
      const std::u16string form = HeadWordOf(line.substr(0, sp));
      std::string_view bases = line.substr(sp + 1);
      while (!form.empty() && !bases.empty()) {
        const size_t next = bases.find(' ');
        const std::u16string base = HeadWordOf(bases.substr(0, next));
        if (!base.empty() && base != form)
          wn.irregularForms.push_back({form, base, wordClass});
        if (next == std::string_view::npos)
          break;
        bases.remove_prefix(next + 1);
      }
    });
  }
  // cntlist.rev: "lemma%class:...:: sense-number count"; class 1 noun, 2 verb, 3 adjective,
  // 4 adverb, 5 adjective satellite.
  std::unordered_map<std::u16string, std::array<long long, 4>> counts;
  ForEachLine(files.senseCounts, [&](std::string_view line) {
    const size_t percent = line.find('%');
    const size_t lastSpace = line.rfind(' ');
    if (percent == std::string_view::npos || lastSpace == std::string_view::npos ||
        percent + 1 >= line.size()) {
      return;
    }
    const std::u16string w = HeadWordOf(line.substr(0, percent));
    const int type = line[percent + 1] - '0';
    if (w.empty() || type < 1 || type > 5)
      return;
    long long n = 0;
    for (const char c : line.substr(lastSpace + 1)) {
      if (c < '0' || c > '9' || n > 1'000'000'000)
        return;
      n = n * 10 + (c - '0');
    }
    counts[w][type == 5 ? 2 : type - 1] += n;
  });
  for (const auto& [w, byClass] : counts) {
    size_t best = 0;
    for (size_t k = 1; k < byClass.size(); ++k) {
      if (byClass[k] > byClass[best])
        best = k;
    }
    if (byClass[best] > 0)
      wn.mainClass[w] = kWordnetClasses[best];
  }
  return wn;
}

}  // namespace kelmoa
