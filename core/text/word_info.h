// The words of a text: where each stands and what the dictionary knows of it.
#pragma once

#include "core/base/str_list.h"
#include "core/text/layout.h"

namespace kelmoa {

// Joins the last word of a line and the first word of the next when a hyphen follows the
// first directly and nothing but spaces follows the hyphen: both get the two halves
// concatenated without the hyphen in mWordJoined.
void JoinHyphenatedWords(const StrList& lines, WordTable& t);

// Looks every word up (lowered, A-Z only) in the head words and stores its dictionary hits; a
// half of a hyphen-broken word that is not known by itself takes the hits of the joined word.
// Each distinct lowered word is looked up once; repeats reuse the result. A word found in no
// other way takes the entries it is known by after a negative prefix (unsmiling: smile), for
// which the meanings dicMeaning are read.
void LookUpWords(const StrList& dicWord, const StrList& dicMeaning, WordTable& t);

// Colours blue every character of each word with dictionary hits, and black those of
// the other words (after ResetColors, which leaves every cell black). The cells after a word
// up to its 16th are set black too, which they are already unless a later word stands there.
void SetKnownWordColor(const WordTable& t, Grid<uint8_t>& color);

// Works out which words of the loaded text the dictionary knows: the word table, hyphen
// joining, dictionary hits and the blue colour grid. Run after every load and every dictionary
// change.
void MarkKnownWords(TextDocument& doc, const StrList& dicWord, const StrList& dicMeaning);

}  // namespace kelmoa
