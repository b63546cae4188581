// Where the texts were left, as the main window keeps it: a text opens at its line again.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace kelmoa {

class ReadingPositions;

// The places where texts were left in an installed folder (ReadingPositions), opened at their
// first use and kept for the run. A folder whose word list cannot be used (damaged, read-only,
// newer) keeps no places: texts then open at their top, and the word list says why when a
// word is added.
class TextPlaces {
 public:
  explicit TextPlaces(std::string baseFolder);
  ~TextPlaces();

  // The first line to show of the text at path, just opened: where it was left, unless its
  // file changed size since; 1 when it was never left.
  int StartLine(const std::string& path);
  // The text opened last (StartLine) is left with firstLine at the top of the page. Stored only
  // when a text is left or the program ends, never on a scroll.
  void Leave(int firstLine);
  // The text left last, in this window or another on the same folder, in this run or an
  // earlier one, other than shown (the text shown; empty for none).
  std::optional<std::string> LeftLast(const std::string& shown);

 private:
  ReadingPositions* Positions();

  std::string mBaseFolder;
  std::unique_ptr<ReadingPositions> mPositions;
  bool mTried = false;        // their opening was tried (once a run)
  std::string mOpened;        // the text opened last
  long long mOpenedSize = 0;  // its file size when it was read
};

}  // namespace kelmoa
