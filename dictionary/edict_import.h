#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/status.h"
#include "common/str_list.h"

namespace kelmoa {

// Builds Kelmoa's English-Japanese dictionary from EDICT, the Japanese-English dictionary file
// of the Electronic Dictionary Research and Development Group (EUC-JP text, one line per
// Japanese word: `KANJI [KANA] /(codes) gloss/gloss/.../(P)/`).
//
// Every gloss that is one English word, once its parenthesised notes, the "to " of a verb and
// a leading article are taken off, becomes a head word (lower case, letters and apostrophes,
// two characters or more). Its meaning is the Japanese word, with the reading in parentheses
// when EDICT gives one (犬(いぬ)), headed by a part-of-speech tag (【名】, 【形】, 【副】, 【他】,
// 【自】, 【助】, 【接】) when the sense's codes name one.

// What the import read and made.
struct EdictImportStats {
  long long lines = 0;             // lines of the EDICT text
  long long undecodableLines = 0;  // lines that are not valid EUC-JP, skipped
  long long headWords = 0;         // head words of the dictionary made
  long long meanings = 0;          // meanings of the dictionary made (its file lines)
};

// The dictionary made from EDICT: head words ascending in code-unit order, each with one to
// kMaxEdictMeanings distinct meanings ranked everyday sense first: a gloss in capitals only
// ("IT" for it) after all others; common words (P) before the rest; a Japanese word in
// katakana only (ツリー for tree) after those with kanji or hiragana; then by sense number, by
// the gloss's place in its sense, by the Japanese word's length (shorter first), by the number
// of glosses of the sense (fewer first) and last by file order. Only the best-ranked meanings
// are kept; the dictionary file lists them in the dictionary's own order.
struct EdictDictionary {
  StrList words;                                      // elements 1..n; element 0 empty
  std::vector<std::vector<std::u16string>> meanings;  // meanings[i]: words[i]'s, ranked
  EdictImportStats stats;
};

// At most this many meanings are kept per head word.
inline constexpr int kMaxEdictMeanings = 5;
// A meaning longer than this many bytes in CP932 is left out (never cut).
inline constexpr int kMaxEdictMeaningBytes = 50;

// Reads EDICT text (EUC-JP bytes, lines ended by LF or CR LF). A line that does not decode is
// skipped and counted; a line that is not an EDICT entry, or whose Japanese word CP932 cannot
// encode, gives nothing. The result depends on the bytes only.
EdictDictionary BuildEdictDictionary(std::string_view edictBytes);

// The dictionary file of dic: one line per meaning, head word, TAB, meaning, in the
// dictionary's line order (so the program loads it without sorting), CP932, each line ended
// by CR LF.
std::string MakeEdictDicFileBytes(const EdictDictionary& dic);

// BuildEdictDictionary and MakeEdictDicFileBytes in one. Fails, leaving oDicBytes empty, when
// the text gives no dictionary entry at all (not EDICT, or not EUC-JP), so that a wrong input
// never replaces a dictionary with an empty one. oStats, when given, receives the counts.
Status ImportEdict(std::string_view edictBytes, std::string& oDicBytes,
                   EdictImportStats* oStats = nullptr);

}  // namespace kelmoa
