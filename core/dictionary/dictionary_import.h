// Builds the default English-Japanese dictionary from sources Debian ships.
#pragma once
// Builds Kelmoa's default English-Japanese dictionary from three sources Debian ships and a
// core vocabulary the project writes:
//
// - EDICT (package edict), Japanese-English: every one-word English gloss gives its head word
//   a candidate meaning (edict_import.h);
// - FreeDict's English-Japanese dictionary (package dict-freedict-eng-jpn): it confirms
//   EDICT's candidates and gives the meanings of one-word English words EDICT lacks;
// - WordNet (package wordnet-base): which class a word mostly belongs to, its lemmas, and the
//   irregular forms (went, children, better), which become head words naming their base;
// - the phrase table (data/phrases): phrasal verbs and fixed expressions with the senses a
//   learner needs first, for the phrase dictionary, which also takes the phrases EDICT's
//   glosses (to give up), FreeDict's head words and WordNet's lemmas agree on;
// - the core vocabulary (data/core_vocabulary): the senses a learner needs first for the most
//   frequent English words and for the forms that hide them (said, minutes), ahead of what the
//   sources give; function words (pronouns, articles, auxiliaries, modals, contractions,
//   prepositions, conjunctions, determiners, common adverbs) with these senses alone.
//
// Each head word keeps at most kMaxImportMeanings meanings, each starting with its rank
// ①..⑤ so that the program, which sorts the file's lines on loading, shows them in rank order
// and before meanings a user adds later.

#include <string>
#include <string_view>
#include <vector>

#include "core/base/status.h"
#include "core/base/str_list.h"
#include "core/dictionary/edict_import.h"
#include "core/dictionary/freedict_import.h"
#include "core/dictionary/wordnet_import.h"

namespace kelmoa {

// At most this many meanings are kept per head word.
inline constexpr int kMaxImportMeanings = 5;

// The sources, read. An empty FreeDict or WordNet stands for a source left out.
struct DictionarySources {
  std::string edict;  // EUC-JP text
  FreedictWords freedict;
  Wordnet wordnet;
  // UTF-8 table: word TAB sense TAB sense... [TAB only], "#" comments (data/core_vocabulary)
  std::string coreVocabulary;
  // The same for phrases: phrase TAB sense... (data/phrases)
  std::string phraseTable;
};

// What the import read and made.
struct DictionaryImportStats {
  EdictImportStats edict;
  long long fromFreedictOnly = 0;  // head words only FreeDict gave
  long long irregularForms = 0;    // head words that name the base of an irregular form
  long long coreWords = 0;         // head words of the core vocabulary
  long long acronymsDropped = 0;   // capital-only meanings left off words reached by accident
  long long inflectedDropped = 0;  // inflected head words dropped in favour of their base
  long long headWords = 0;
  long long meanings = 0;
  long long phrases = 0;           // phrases of the phrase dictionary
  long long phrasesFromTable = 0;  // of them, those of the phrase table
};

// Head words with their ranked meanings: the dictionary's, or the phrase dictionary's.
struct ImportedEntries {
  StrList words;                                      // elements 1..n; element 0 empty
  std::vector<std::vector<std::u16string>> meanings;  // meanings[i]: words[i]'s, ranked, ①..
};

struct ImportedDictionary : ImportedEntries {
  ImportedEntries phrases;  // the phrase dictionary: phrases of 2 to 6 words
  DictionaryImportStats stats;
};

// Builds the dictionary. The result depends on the sources only.
ImportedDictionary BuildDictionary(const DictionarySources& sources);

// The dictionary file of entries: one line per meaning, head word, TAB, meaning, in the order
// the program sorts lines in (so it loads them without sorting), CP932, each line ended by
// CR LF.
std::string MakeImportedDicFileBytes(const ImportedEntries& entries);

// BuildDictionary and MakeImportedDicFileBytes in one, for the dictionary and, when
// phraseBytes is given, the phrase dictionary. Fails, leaving both empty, when EDICT gives no
// entry at all (not EDICT, or not EUC-JP), so that a wrong input never replaces a dictionary
// with an empty one, or when a table line of the project's is not an entry.
Status ImportDictionary(const DictionarySources& sources, std::string& dicBytes,
                        DictionaryImportStats* importStats = nullptr,
                        std::string* phraseBytes = nullptr);

// Where the sources are on a Debian system.
struct SourcePaths {
  std::string edict = "/usr/share/edict/edict";
  std::string freedict = "/usr/share/dictd/freedict-eng-jpn";  // + .index and .dict.dz
  std::string wordnet = "/usr/share/wordnet";
};

// Reads the source files (the core vocabulary is built into the program). Fails, naming the
// file and the Debian package that brings it, when one cannot be read or makes no sense.
Status ReadDictionarySources(const SourcePaths& paths, DictionarySources& sources);

// The core vocabulary built into the program (UTF-8): data/core_vocabulary/*.txt.
std::string_view CoreVocabularyTable();
// The phrase table built into the program (UTF-8): data/phrases/*.txt.
std::string_view PhraseTable();

}  // namespace kelmoa
