// Phrases found in any text: every phrase found at a word covers that word, stays within a
// phrase's reach, names a phrase of the dictionary, and opens the word's popup.
#include <cstdint>
#include <filesystem>
#include <fstream>

#include "core/base/codepage.h"
#include "core/text/reading_session.h"
#include "fuzz/fuzz_util.h"

using namespace kelmoa;
using fuzz::Require;

namespace {

// An installed folder with a small dictionary (irregular forms name their base) and phrase
// dictionary: separable and not, an auxiliary, six words, one with a possessive.
ReadingSession& Session() {
  static const std::string base = [] {
    const std::string dic = fuzz::Scratch() + "/base/dic";
    std::filesystem::create_directories(dic);
    std::ofstream(dic + "/Dic_EJ.txt", std::ios::binary) << Utf16ToSjis(
        u"gave\t①【giveの過去】与えた\r\ngive\t①【他】与える\r\nis\t①【beの三単現】～である\r\n");
    std::ofstream(dic + "/Phrase_EJ.txt", std::ios::binary) << Utf16ToSjis(
        u"as well\t①【副】x\r\nas well as\t①【前】x\r\nbe going to\t①【助動】x\r\n"
        u"give up\t①【他】x\r\nmake up one's mind\t①【自】x\r\npick up\t①【他】x\r\n"
        u"the early bird gets the worm\t①x\r\n");
    return fuzz::Scratch() + "/base";
  }();
  static ReadingSession session(base);
  static const bool loaded = session.LoadDictionary().ok();
  (void)loaded;  // a dictionary that did not load only means fewer phrases
  return session;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ReadingSession& session = Session();
  SettingInfo setting;
  setting.HalfWidth = 7;
  setting.FullWidth = 14;
  if (!session.Open(fuzz::WriteInput("text.txt", data, size), setting).ok())
    return 0;
  const WordTable& t = session.Document().words;
  for (int k = 1; k <= t.Count(); ++k) {
    const PhraseSpan* span = session.PhraseAt(k);
    if (span == nullptr)
      continue;
    // Six words, three of an object between, and the halves of a broken word at most.
    Require(span->firstWord <= k && k <= span->lastWord && span->lastWord - span->firstWord <= 14);
    Require(span->phrase >= 0 && span->phrase < session.Phrases().Count());
    const std::vector<std::u16string> lines = session.PopupLines(k);
    Require(!lines.empty() && lines.front() == session.Phrases()[span->phrase].Text());
  }
  return 0;
}
