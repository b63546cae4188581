// What the tags that open a dictionary meaning say: its word class, or the form it is of.
#pragma once

#include <string_view>
#include <vector>

#include "core/dictionary/wordnet_import.h"

namespace kelmoa {

// The word classes the meanings of an entry (joined by TAB) are tagged with, after the rank
// mark ①.. a meaning may start with: 【名】 a noun; 【他】, 【自】, 【動】 a verb; 【形】 an
// adjective; 【副】 an adverb; any other tag (【代】, 【前】, 【間】 ...) kOther. A form label
// counts as the class of its form: 【goの過去】 a verb, 【knowの過去分詞】 a verb and an
// adjective, 【childの複数】 a noun, 【goodの比較級】 an adjective and an adverb. 0 when no
// meaning carries a tag.
ClassSet ClassesOfMeanings(std::u16string_view meanings);

// The words the meanings (joined by TAB) are labelled forms of: go for 【goの過去】, in order,
// each once. Views into meanings.
std::vector<std::u16string_view> BasesNamed(std::u16string_view meanings);

}  // namespace kelmoa
