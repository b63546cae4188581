// The popup text: the word under the pointer, its meanings as popup lines, the box's layout.
#include "core/text/popup_text.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/base/codepage.h"
#include "core/base/helpers.h"
#include "core/dictionary/lookup.h"
#include "core/dictionary/meaning_tags.h"

namespace kelmoa {

int LineAtY(double y, int firstLine, int pitch) {
  constexpr int top = PageGeometry::kTopMarginPx;
  if (y < top || pitch <= 0)
    return 0;
  const long long line = firstLine + RoundHalfEven(y - top) / pitch;
  // Far below the text, or before line 1: no line.
  return line < 1 || line > std::numeric_limits<int>::max() ? 0 : static_cast<int>(line);
}

namespace {

// The word classes an entry a rule reached must have for the rule to fit; 0 for any.
ClassSet ClassesTheEndingReaches(WordEnding ending) {
  constexpr ClassSet kNoun = ClassBit(WordClass::kNoun);
  constexpr ClassSet kVerb = ClassBit(WordClass::kVerb);
  constexpr ClassSet kAdjective = ClassBit(WordClass::kAdjective);
  switch (ending) {
    case WordEnding::kPast:
    case WordEnding::kIng:
      return kVerb;
    case WordEnding::kPlural:
    case WordEnding::kAgent:
      return kNoun | kVerb;
    case WordEnding::kComparative:
      return kAdjective | ClassBit(WordClass::kAdverb);
    case WordEnding::kLy:
      return kAdjective;
    default:
      return 0;
  }
}

}  // namespace

Popup BuildPopup(std::u16string_view w, const std::vector<int>& hits, const StrList& dicWord,
                 const StrList& dicMeaning) {
  const std::u16string lowered = LowerAscii(w);
  const int count = std::min(UpperBound(dicWord), UpperBound(dicMeaning));
  auto headOf = [&](int i) -> const std::u16string& { return dicWord[static_cast<size_t>(i)]; };
  auto meaningsOf = [&](int i) -> const std::u16string& {
    return dicMeaning[static_cast<size_t>(i)];
  };
  // The word the rules start from: the word itself, or what follows a negative prefix when the
  // dictionary knows the word only so (no entry is the word, a form of it or shares its first
  // seven letters).
  std::u16string_view ruled = lowered;
  const std::u16string_view negation = NegativePrefixOf(lowered);
  const std::u16string_view firstSeven = std::u16string_view(lowered).substr(0, 7);
  const bool negated = !negation.empty() && std::none_of(hits.begin(), hits.end(), [&](int i) {
    if (i < 1 || i > count)
      return false;
    const std::u16string& d = headOf(i);
    return LowerAscii(d) == lowered || EndingBetween(lowered, d) ||
           (lowered.size() > 7 && d.starts_with(firstSeven));
  });
  if (negated)
    ruled = ruled.substr(negation.size());

  Popup popup;
  // What the word's own entry says it is a form of (minutes: 【minuteの複数】).
  std::vector<std::u16string_view> namedBases;
  for (const int i : hits) {
    if (i < 1 || i > count)
      continue;
    const std::u16string& d = headOf(i);
    const bool own = !negated && LowerAscii(d) == lowered;
    ClassSet needed = 0;  // the classes the rule that reached d reaches; 0 for any
    if (own) {
      namedBases = BasesNamed(meaningsOf(i));
    } else {
      const std::optional<WordEnding> ending = EndingBetween(ruled, d);
      // The own entry names this base, or explains the word as another form the rules reach
      // (shining: 【shineの現在分詞】, so not shin).
      if (std::any_of(namedBases.begin(), namedBases.end(), [&](std::u16string_view base) {
            return base == d || (ending && EndingBetween(ruled, base));
          })) {
        continue;
      }
      needed = ending ? ClassesTheEndingReaches(*ending) : 0;
      const ClassSet classes = ClassesOfMeanings(meaningsOf(i));
      if (needed != 0 && classes != 0 && (classes & needed) == 0)
        continue;
    }
    popup.hits.push_back(i);
    if (std::find(popup.headWords.begin(), popup.headWords.end(), d) == popup.headWords.end())
      popup.headWords.push_back(d);
    // Found through an inflection, a suffix or the prefix search: the head word stands on a
    // line of its own above its meanings; after a negative prefix, with what the prefix says.
    if (negated && popup.hits.size() == 1)
      popup.lines.push_back(std::u16string(negation) + u"-(否定：～でない)＋" + d);
    else if (!own)
      popup.lines.push_back(d);
    // The meanings of an entry are stored joined by TAB, one popup line each. Of an entry a
    // rule reached, those tagged with the class the rule reaches come first (sounded: 聞こえる
    // before sound's 音), each part in the entry's order; a form label names another word's
    // form (ground: 【grindの過去】) and says nothing of grounded.
    const size_t firstLine = popup.lines.size();
    ForEachPiece(meaningsOf(i), u'\t',
                 [&](std::u16string_view meaning) { popup.lines.emplace_back(meaning); });
    if (needed != 0) {
      std::stable_partition(popup.lines.begin() + static_cast<std::ptrdiff_t>(firstLine),
                            popup.lines.end(), [&](const std::u16string& line) {
                              return (ClassesOfMeanings(line) & needed) != 0 &&
                                     BasesNamed(line).empty();
                            });
    }
  }
  return popup;
}

PopupLayout LayoutMeaningPopup(std::vector<std::u16string> lines, int lineTop, int leftX, int pitch,
                               int paneWidth, int paneHeight,
                               const std::function<double(std::u16string_view)>& textWidth) {
  PopupLayout popup;
  popup.lines = std::move(lines);
  if (popup.lines.empty())
    popup.lines.emplace_back();  // the box has one line at least, empty as it may be
  const int n = static_cast<int>(popup.lines.size());

  popup.height = n * pitch + 5;
  popup.top = lineTop + 17;
  if (popup.top + popup.height > paneHeight) {
    // Above the line instead: the popup's bottom edge 12 pixels above the line's top.
    popup.top = lineTop - n * pitch - 17;
  }

  double maxX = 0;
  for (const std::u16string& line : popup.lines) {
    maxX = std::max(maxX, PopupLayout::kTextLeft + textWidth(line));
  }
  popup.width = static_cast<int>(RoundHalfEven(maxX)) + 20;

  popup.left = leftX;
  if (popup.width + popup.left + 2 > paneWidth)
    popup.left = paneWidth - popup.width - 2;
  return popup;
}

}  // namespace kelmoa
