// What the tags that open a dictionary meaning say: its word class, or the form it is of.
#include "core/dictionary/meaning_tags.h"

#include <algorithm>
#include <array>
#include <utility>

#include "core/base/helpers.h"

namespace kelmoa {
namespace {

// The tag 【...】 a meaning opens with, after its rank mark; empty when none.
std::u16string_view TagOf(std::u16string_view meaning) {
  if (!meaning.empty() && meaning.front() >= u'\u2460' && meaning.front() <= u'\u2473')
    meaning.remove_prefix(1);
  if (!meaning.starts_with(u'【'))
    return {};
  const size_t close = meaning.find(u'】');
  return close == std::u16string_view::npos ? std::u16string_view() : meaning.substr(1, close - 1);
}

constexpr ClassSet kNoun = ClassBit(WordClass::kNoun);
constexpr ClassSet kVerb = ClassBit(WordClass::kVerb);
constexpr ClassSet kAdjective = ClassBit(WordClass::kAdjective);
constexpr ClassSet kAdverb = ClassBit(WordClass::kAdverb);
constexpr ClassSet kOther = ClassBit(WordClass::kOther);

ClassSet ClassOfTag(std::u16string_view tag) {
  static constexpr std::array<std::pair<std::u16string_view, ClassSet>, 6> kTags = {
      {{u"名", kNoun},
       {u"他", kVerb},
       {u"自", kVerb},
       {u"動", kVerb},
       {u"形", kAdjective},
       {u"副", kAdverb}}};
  for (const auto& [name, classes] : kTags) {
    if (tag == name)
      return classes;
  }
  // A form label: 【goの過去】, 【childの複数】, 【goodの比較級】.
  const size_t of = tag.find(u'の');
  if (of != std::u16string_view::npos && of > 0) {
    const std::u16string_view form = tag.substr(of + 1);
    if (form == u"複数")
      return kNoun;
    if (form == u"比較級" || form == u"最上級")
      return kAdjective | kAdverb;
    // A participle is used as an adjective too (known, broken).
    if (form.ends_with(u"分詞"))
      return kVerb | kAdjective;
    if (form.starts_with(u"過去") || form.starts_with(u"現在") || form == u"三単現")
      return kVerb;
  }
  return kOther;
}

}  // namespace

ClassSet ClassesOfMeanings(std::u16string_view meanings) {
  ClassSet classes = 0;
  ForEachPiece(meanings, u'\t', [&](std::u16string_view meaning) {
    const std::u16string_view tag = TagOf(meaning);
    if (!tag.empty())
      classes |= ClassOfTag(tag);
  });
  return classes;
}

std::vector<std::u16string_view> BasesNamed(std::u16string_view meanings) {
  std::vector<std::u16string_view> bases;
  ForEachPiece(meanings, u'\t', [&](std::u16string_view meaning) {
    const std::u16string_view tag = TagOf(meaning);
    const size_t of = tag.find(u'の');
    if (of == std::u16string_view::npos || of == 0 || ClassOfTag(tag) == kOther)
      return;
    const std::u16string_view base = tag.substr(0, of);
    if (std::find(bases.begin(), bases.end(), base) == bases.end())
      bases.push_back(base);
  });
  return bases;
}

}  // namespace kelmoa
