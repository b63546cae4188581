// Reads FreeDict's English-Japanese dictionary (dictd format) for the dictionary import.
#pragma once
// Reads FreeDict's English-Japanese dictionary (made by WikDict from Wiktionary) in the dictd
// format: an index of `word TAB offset TAB length` lines (base-64 numbers) and the entries'
// text, which Debian ships gzip-compressed (.dict.dz).

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/base/status.h"
#include "core/dictionary/edict_import.h"

namespace kelmoa {

// One Japanese translation of an English word.
struct FreedictTranslation {
  std::u16string japanese;
  WordClass wordClass = WordClass::kOther;  // the class of the entry it stands in
  int senses = 1;                           // how many of the entry's senses it translates
  bool abbreviation = false;                // the entry's word is in capitals only (OL)
};

// The translations of every one-word English head word, and of every phrase of 2 to 6 words
// (give up), lower case, in the order the entries list them. That order is the alphabetical order
// of the senses' English glosses, so it says little about which translation is the everyday one.
using FreedictWords = std::unordered_map<std::u16string, std::vector<FreedictTranslation>>;

// Fills words from the index text and the (decompressed) entries' text. A translation is a
// comma-separated piece of an entry's line written in kana and kanji only, which CP932 can
// encode. Fails when the index holds no usable line, or points outside the entries' text.
Status ReadFreedict(std::string_view index, std::string_view entries, FreedictWords& words);

// The data of a gzip file (one member or several, as dictzip writes them).
Status Gunzip(std::string_view gz, std::string& unpacked);

}  // namespace kelmoa
