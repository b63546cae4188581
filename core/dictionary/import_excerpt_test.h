// Small excerpts of the dictionary import's sources, written for its tests.
#pragma once
// A small EDICT, FreeDict and WordNet written for the tests of the dictionary import: each line
// is there for one of its rules.

#include <zlib.h>

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/base/fixtures_test.h"
#include "core/dictionary/dictionary_import.h"
#include "core/dictionary/edict_import.h"

namespace kelmoa::testing {

// EUC-JP bytes of UTF-8 text, as EDICT is shipped.
inline std::string Euc(std::string_view utf8) {
  return Encode(utf8, "EUC-JP-MS");
}

// gzip data of bytes.
inline std::string Gzip(std::string_view bytes) {
  z_stream zs{};
  deflateInit2(&zs, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&zs, bytes.size()) + 64, '\0');
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  zs.avail_in = static_cast<uInt>(bytes.size());
  zs.next_out = reinterpret_cast<Bytef*>(out.data());
  zs.avail_out = static_cast<uInt>(out.size());
  deflate(&zs, Z_FINISH);
  out.resize(zs.total_out);
  deflateEnd(&zs);
  return out;
}

inline const char* kExcerptEdict =
    // dog: a sense in capitals, slang and joking ones, spellings that repeat a reading.
    "犬 [いぬ] /(n) (1) dog/(n) (2) (derog) spy/(P)/\n"
    "戌 [いぬ] /(n) dog (11th sign of the Chinese zodiac)/\n"
    "ワンコ /(n) dog/\n"
    "わん公 [わんこう] /(n) (joc) dog/(P)/\n"
    "狗 [いぬ] /(n) dog/(P)/\n"
    // go: the main class (verb) first, a humble sense later, one spelling once.
    "碁 [ご] /(n) go (board game)/(P)/\n"
    "合 [ごう] /(n) (1) go (unit of volume)/(P)/\n"
    "参る [まいる] /(v5r,vi) (1) (hum) to go/(P)/\n"
    "行く [いく] /(v5k-s,vi) (1) to go/(P)/\n"
    "行く [ゆく] /(v5k-s,vi) (1) to go/(P)/\n"
    // usually written in kana
    "沢山 [たくさん] /(adj-no,adj-na,n,adv) (uk) lots/(P)/\n"
    // capitals only: dropped where an ordinary word reaches them (old), kept elsewhere, last
    "オーエル /(n) office lady/OL/\n"
    "古い [ふるい] /(adj-i) old/(P)/\n"
    "ＤＮＡ [ディーエヌエー] /(n) DNA/\n"
    "雄羊 [おひつじ] /(n) ram/\n"
    "ＲＡＭ [ラム] /(n) (comp) RAM/(P)/\n"
    // inflected head words: kept when common and confirmed, dropped otherwise
    "伏せ長 [ふせなが] /(n) going (e.g. of a flight of stairs)/\n"
    "建物 [たてもの] /(n) building/(P)/\n"
    "建てる [たてる] /(v1,vt) to build/(P)/\n"
    // bases of irregular forms
    "子供 [こども] /(n) child/(P)/\n"
    "消防士 [しょうぼうし] /(n) fireman/(P)/\n"
    "人間 [にんげん] /(n) human/(P)/\n"
    "火 [ひ] /(n) fire/(P)/\n"
    "止める [とめる] /(v1,vt) to stop/(P)/\n"
    "良い [よい] /(adj-i) good/(P)/\n"
    "左 [ひだり] /(n) left/(P)/\n"
    "出る [でる] /(v1,vi) to leave/(P)/\n"
    "いらした /(v5r,vi) (hon) went/\n"
    // a word the core vocabulary writes in full: its senses replace these
    "ＩＴ [アイティー] /(n) IT/(P)/\n"
    "前記 [ぜんき] /(adj-no) said/(P)/\n";

// dictd entries: head word, entry text.
inline const std::vector<std::pair<std::string, std::string>> kExcerptFreedict = {
    {"building", "building /ˈbɪl.dɪŋ/ <n>\n建物\nclosed structure\n"},
    {"dog", "dog /dɒɡ/ <n>\n1. 犬, 狗\nanimal\n2. ぶす\nunattractive girl\n"},
    {"go", "go /ɡəʊ/ <n>\n1. 番\nturn at something\n2. 囲碁, 碁\nboard game\n"},
    {"go", "go /ɡəʊ/ <v>\n1. 行く\nto move\n2. 通る, 行く\nto fit\n"},
    {"kitten", "kitten /ˈkɪtən/ <n>\n1. 子猫, 仔猫\nyoung cat\n"},
    {"left", "left /lɛft/ <n>\n左\nthe left side\n"},
    {"ol", "OL /oʊ ɛl/ <n>\nオーエル\noffice lady\n"},
    {"the", "the /ðə/ <article>\n1. その\narticle\n"},
};

// The dictd index text and entries' text of entries.
inline std::pair<std::string, std::string> Dictd(
    const std::vector<std::pair<std::string, std::string>>& entries) {
  const auto number = [](size_t n) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string s;
    do {
      s.insert(s.begin(), kDigits[n % 64]);
      n /= 64;
    } while (n > 0);
    return s;
  };
  std::string index = "00databaseinfo\tA\tB\n", text = "#";
  for (const auto& [word, entry] : entries) {
    index += word + "\t" + number(text.size()) + "\t" + number(entry.size()) + "\n";
    text += entry;
  }
  return {index, text};
}

inline WordnetFiles ExcerptWordnetFiles() {
  WordnetFiles files;
  const std::string licence = "  1 This software and database is being provided\n";
  files.index[0] = licence +
                   "building n 3 2 @ ~ 3 1 1\nchild n 4 3 @ ~ 4 2 1\ndog n 7 4 @ ~ 7 1 1\n"
                   "dna n 1 2 @ ~ 1 0 1\nfire n 8 2 @ ~ 8 3 1\nfireman n 4 2 @ ~ 4 0 1\n"
                   "go n 5 2 @ ~ 5 0 1\nhuman n 2 2 @ ~ 2 0 1\nkitten n 1 2 @ ~ 1 0 1\n"
                   "good_morning n 1 1 @ 1 0 1\nram n 4 2 @ ~ 4 0 1\n";
  files.index[1] = licence +
                   "build v 10 2 @ ~ 10 3 1\ndog v 2 2 @ ~ 2 0 1\ngo v 30 2 @ ~ 30 20 1\n"
                   "leave v 14 2 @ ~ 14 3 1\nstop v 15 2 @ ~ 15 3 1\n";
  files.index[2] = licence + "good a 21 2 @ ~ 21 3 1\nold a 8 2 @ ~ 8 3 1\n";
  files.index[3] = licence + "well r 13 2 @ ~ 13 3 1\n";
  files.exceptions[0] = "children child\n";
  files.exceptions[1] = "flew fly\ngone go\nleft leave\nstopped stop\nwent go\n";
  files.exceptions[2] = "better good well\n";
  files.exceptions[3] = "better well\n";
  files.senseCounts =
      "go%2:38:00:: 1 343\ngo%1:04:00:: 2 1\ndog%1:05:00:: 1 42\nleave%2:38:01:: 1 50\n";
  return files;
}

// A core vocabulary for the excerpt: senses before the sources' (go), a word written in full
// (it, well), a form whose own line decides its order (said).
inline const char* kExcerptCoreVocabulary =
    "# a comment line\n"
    "go\t【自】行く\t【自】(～に)なる\n"
    "it\t【代】それは、それを\tonly\n"
    "said\t【sayの過去・過去分詞】言った\tonly\n"
    "the\t【冠】その\tonly\n"
    "well\t【副】よく、上手に\t【名】井戸\tonly\n";

// The excerpt as read sources, with the excerpt's core vocabulary.
inline DictionarySources ExcerptSources() {
  DictionarySources sources;
  sources.edict = Euc(kExcerptEdict);
  const auto [index, text] = Dictd(kExcerptFreedict);
  EXPECT_TRUE(ReadFreedict(index, text, sources.freedict).ok());
  sources.wordnet = ReadWordnet(ExcerptWordnetFiles());
  sources.coreVocabulary = kExcerptCoreVocabulary;
  return sources;
}

}  // namespace kelmoa::testing
