// The page layout: the character grids of the loaded text and where each character stands.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/base/str_list.h"
#include "core/settings/settings.h"
#include "core/text/text_limits.h"

namespace kelmoa {

// The size of the character grids: one row per text line, one column per byte of a line (a
// line of single-byte characters fills them all).
inline constexpr int kGridLines = kMaxLines;
inline constexpr int kGridCols = kMaxLineBytes;

// A fixed grid of rows 0..kGridLines and columns 0..kGridCols + 1, allocated once at full
// size. Rows and columns are 1-based like the line and column numbers the user sees; row 0
// and column 0 exist and are not used. The extra column kGridCols + 1 holds, in the position
// grid, the right edge of a line that fills all kGridCols columns.
template <typename T>
class Grid {
 public:
  static constexpr int kRowSize = kGridCols + 2;
  Grid() : mCells(static_cast<size_t>(kGridLines + 1) * kRowSize) {}
  T& operator()(int line, int col) { return mCells[Index(line, col)]; }
  const T& operator()(int line, int col) const { return mCells[Index(line, col)]; }

 private:
  static size_t Index(int line, int col) {
    return static_cast<size_t>(line) * kRowSize + static_cast<size_t>(col);
  }
  std::vector<T> mCells;
};

// Colour codes of characters: console palette numbers.
inline constexpr uint8_t kColorBlack = 0;
inline constexpr uint8_t kColorBlue = 9;

// Every English word of the text in reading order, entries 1..W (entry 0 unused), with the
// range of words of each line. A text of 9000 lines holds over 100,000 words, so the table is
// kept small: a word is its line, column and length (its text stays in the line), each
// distinct list of dictionary hits is stored once, and only the few joined forms are stored at
// all.
struct WordTable {
  std::vector<int16_t> mWordLine{0};       // line of the word
  std::vector<int16_t> mWordCol{0};        // column of its first character
  std::vector<uint8_t> mWordLen{0};        // its length (a line has at most 100 characters)
  std::vector<int16_t> mWordX1{0};         // x of its first character
  std::vector<int16_t> mWordX2{0};         // x just right of its last character
  std::vector<uint32_t> mWordDicIdxId{0};  // its dictionary hits: an entry of mDicHitLists
  std::vector<int> mLineFirstWord{0};      // first word of each line (0: none)
  std::vector<int> mLineLastWord{0};       // last word of each line (0: none)

  std::vector<std::vector<int>> mDicHitLists{std::vector<int>()};  // distinct lists; 0 is empty
  std::unordered_map<int, std::u16string> mWordJoined;             // hyphen-joined forms by word
  const StrList* mLines = nullptr;                                 // the lines the words stand in

  int Count() const { return static_cast<int>(mWordLen.size()) - 1; }
  // The word k exactly as in its line (case kept).
  std::u16string_view Word(int k) const {
    const auto i = static_cast<size_t>(k);
    return std::u16string_view((*mLines)[static_cast<size_t>(mWordLine[i])])
        .substr(static_cast<size_t>(mWordCol[i] - 1), mWordLen[i]);
  }
  // The dictionary entries word k is found under (entry indexes, best first), or none.
  const std::vector<int>& DicHits(int k) const {
    return mDicHitLists[mWordDicIdxId[static_cast<size_t>(k)]];
  }
  // The hyphen-joined form of word k, or empty.
  std::u16string_view Joined(int k) const {
    const auto it = mWordJoined.find(k);
    return it == mWordJoined.end() ? std::u16string_view() : std::u16string_view(it->second);
  }
};

// The loaded text and everything laid out from it: the lines, the three grids and the words.
// Not copyable: the word table points into the lines.
struct TextDocument {
  TextDocument() = default;
  TextDocument(const TextDocument&) = delete;
  TextDocument& operator=(const TextDocument&) = delete;

  StrList mTxt = NewStrList();
  Grid<char16_t> mChr;      // character at (line, column); 0 ends the line
  Grid<int16_t> mChrX;      // x of the character's left edge in the text pane
  Grid<uint8_t> mChrColor;  // kColorBlack or kColorBlue
  WordTable words;

  int LineCount() const { return UpperBound(mTxt); }
};

// Empties rows 1..kGridLines of the character grid.
void ClearCharGrid(Grid<char16_t>& chr);
// Puts character k of line i into cell (i, k).
void FillCharGrid(const StrList& lines, Grid<char16_t>& chr);
// Sets the colour of every cell of lines 1..n to black.
void ResetColors(const StrList& lines, Grid<uint8_t>& color);
// The number of characters of a grid line: the first empty cell's column minus 1.
int GetLineLen(const Grid<char16_t>& chr, int line);

// Where the lines of a page stand in the text pane. Text line i, with line firstLine at the top
// of the page, has its top at (i - firstLine) * pitch + kTopMarginPx; a margin as high stays
// below the last line.
struct PageGeometry {
  static constexpr int kTopMarginPx = 5;
  static constexpr int kMarginsPx = 2 * kTopMarginPx;  // above the first line and below the last

  int pitch = 0;         // CharHeight + LineSpace
  int linesPerPage = 0;  // lines drawn on one page

  static PageGeometry Of(const SettingInfo& s) {
    return {s.CharHeight + s.LineSpace, s.LinesPerPage};
  }
  // The top of text line `line` when firstLine is at the top of the page.
  int LineTop(int line, int firstLine) const { return (line - firstLine) * pitch + kTopMarginPx; }
  // The last line drawn when firstLine is at the top and the text has n lines (never past
  // the grid).
  int LastLine(int firstLine, int n) const {
    return std::min({firstLine + linesPerPage - 1, n, kGridLines});
  }
};

// Text lines that fit a pane of the given inner height in pixels: (height - 10) divided by
// the line pitch (CharHeight + LineSpace), the 10 being the top and bottom margins.
int ComputeLinesPerPage(int paneHeightPx, const SettingInfo& setting);

// x of the first character of every line: room for the line-number column on the left.
inline int TextLeft(const SettingInfo& s) {
  return 6 * s.HalfWidth + 5;
}

// Fills the position grid for lines 1..n from HalfWidth and FullWidth: a double-byte character
// advances FullWidth, everything else HalfWidth. Raises maxRight and longestLine to the line
// with the largest right edge (the first of equals); the right edge of a line is one HalfWidth
// past its last character's left edge.
void ComputeCharPositions(const Grid<char16_t>& chr, const SettingInfo& setting, int n,
                          Grid<int16_t>& pos, int& maxRight, int& longestLine);

// Puts the lines of a newly read text into the document and fills the grids from them: the
// characters, their colours (all black) and their positions, with maxRight and longestLine as
// ComputeCharPositions sets them. The old text's lines are freed beside the filling.
void SetNewTextLines(TextDocument& doc, StrList lines, const SettingInfo& setting, int& maxRight,
                     int& longestLine);

// Splits one line into words: a word starts with a letter A-Z or a-z and goes on with letters
// and apostrophes; one-letter words other than "I", "A" and "a" are dropped. Both lists come
// back with entries 1..m; the column of word j is that of its first character.
void GetWordsInLine(std::u16string_view line, StrList& words, std::vector<int>& cols);

// Builds the word table for lines 1..n. Joined forms and dictionary hits are left as they are:
// after a change of font or line spacing only the positions change.
// The words are views into lines, which must outlive the table's use.
void GetWordListOfText(const StrList& lines, const Grid<int16_t>& pos, WordTable& table);

}  // namespace kelmoa
