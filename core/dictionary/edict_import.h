// Reads EDICT's Japanese-English entries for the dictionary import.
#pragma once
// Reads EDICT, the Japanese-English dictionary file of the Electronic Dictionary Research and
// Development Group, into the candidate meanings of English head words.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/status.h"

namespace kelmoa {

// The word classes the dictionary's sources agree on.
enum class WordClass : uint8_t { kOther, kNoun, kVerb, kAdjective, kAdverb };

// What the EDICT reading saw.
struct EdictImportStats {
  long long lines = 0;             // lines of the EDICT text
  long long undecodableLines = 0;  // lines that are not valid EUC-JP, skipped
  long long headWords = 0;         // English head words its glosses gave
};

// One possible meaning of an English head word, taken from one gloss of an EDICT entry
// (`KANJI [KANA] /(codes) gloss/gloss/.../(P)/`), with what ranks it.
//
// Every gloss that is one English word, once its parenthesised notes, the "to " of a verb and
// a leading article are taken off, gives a candidate for that word (lower case, letters and
// apostrophes, two characters or more). Its meaning is a part-of-speech tag (【名】, 【形】,
// 【副】, 【他】, 【自】, 【助】, 【接】) when the sense's codes name one, then the Japanese word
// with its reading in parentheses (犬(いぬ)), or the reading alone where the sense is usually
// written in kana (それ).
struct EdictCandidate {
  std::u16string head;       // the English word, lower case
  std::u16string tag;        // 【名】 and the like, or empty
  std::u16string written;    // the Japanese word as EDICT writes it
  std::u16string reading;    // its reading, empty when EDICT gives none
  bool usuallyKana = false;  // the sense is usually written in kana: show the reading alone
  WordClass wordClass = WordClass::kOther;
  bool abbreviation = false;  // the gloss is in capitals only (OL, ROA)
  bool offbeat = false;       // archaic, obsolete, rare, slang, vulgar, derogatory, joking, or an
                              // irregular or outdated spelling
  bool specialist = false;    // honorific, humble, poetic, onomatopoeic or a specialist's word
  bool common = false;        // the entry is marked common (P)
  bool katakana = false;      // the Japanese word is in katakana only (ツリー for tree)
  int sense = 1;              // the sense number in the entry
  int gloss = 0;              // the gloss's place in its sense, 0 for the first
  int length = 0;             // characters of the Japanese word: basic words are short
  int sameSense = 1;          // glosses in that sense: the fewer, the closer the match
  long long line = 0;         // the line number: file order decides the rest

  // The meaning as the dictionary shows it, without its rank: tag, word, (reading).
  std::u16string Meaning() const;
};

// A meaning longer than this many bytes in CP932 is left out (never cut); the rank mark in
// front of it takes two more.
inline constexpr int kMaxMeaningBytes = 48;

// Reads EDICT text (EUC-JP bytes, lines ended by LF or CR LF). A line that does not decode is
// skipped and counted; a line that is not an EDICT entry, or whose Japanese word CP932 cannot
// encode, gives nothing. Candidates whose meaning is longer than kMaxMeaningBytes are left
// out. The result depends on the bytes only. When phrases is given, it gets the candidates of
// the glosses of 2 to 6 words in the same way ("to give up" gives the phrase give up).
std::vector<EdictCandidate> ReadEdictCandidates(std::string_view edictBytes,
                                                EdictImportStats& stats,
                                                std::vector<EdictCandidate>* phrases = nullptr);

// The number of CP932 bytes of text, or -1 when CP932 cannot encode a character of it.
long long Cp932BytesOrMinus(std::u16string_view text);

}  // namespace kelmoa
