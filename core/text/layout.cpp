// The page layout: the character grids and the x position of every character.
#include "core/text/layout.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/base/codepage.h"
#include "core/base/helpers.h"
#include "core/base/side_by_side.h"

namespace kelmoa {

namespace {

// C0 controls and DEL: they have no glyph of their own.
constexpr bool IsControlChar(char16_t c) {
  return c < u' ' || c == u'\x7F';
}

// A text of fewer lines is worked through on one thread: a second would cost more than it
// saves.
constexpr int kLinesForTwoThreads = 1000;

}  // namespace

void ClearCharGrid(Grid<char16_t>& chr) {
  // Rows 1..kGridLines lie one after the other: one fill clears them all (and the unused
  // cells at the rows' ends with them).
  std::fill(&chr(1, 0), &chr(kGridLines, kGridCols + 1) + 1, u'\0');
}

void FillCharGrid(const StrList& lines, Grid<char16_t>& chr) {
  for (int i = 1; i <= UpperBound(lines) && i <= kGridLines; ++i) {
    const std::u16string& line = lines[static_cast<size_t>(i)];
    const auto len = std::min(line.size(), static_cast<size_t>(kGridCols));
    // An empty cell ends the line in the grid, so a NUL in the text must not reach it: it
    // and the other control characters stand in the grid as a blank, and the rest of the line
    // shows. The line itself keeps them; no control character is part of a word.
    std::transform(line.data(), line.data() + len, &chr(i, 1),
                   [](char16_t c) { return IsControlChar(c) ? u' ' : c; });
  }
}

void ResetColors(const StrList& lines, Grid<uint8_t>& color) {
  // Rows 1..n lie one after the other: one fill sets them all (and the unused cells at the
  // rows' ends, which are black too).
  const int n = std::min(UpperBound(lines), kGridLines);
  if (n >= 1)
    std::fill(&color(1, 0), &color(n, kGridCols + 1) + 1, kColorBlack);
}

int GetLineLen(const Grid<char16_t>& chr, int line) {
  for (int c = 1; c <= kGridCols; ++c) {
    if (chr(line, c) == u'\0')
      return c - 1;
  }
  return kGridCols;
}

int ComputeLinesPerPage(int paneHeightPx, const SettingInfo& setting) {
  const int pitch = PageGeometry::Of(setting).pitch;
  if (pitch <= 0)
    return 0;
  return static_cast<int>(RoundHalfEven(paneHeightPx - double{PageGeometry::kMarginsPx})) / pitch;
}

namespace {

// The end of a grid row's line, the first empty cell from column 2 on (column 101 when there is
// none), and whether all its characters are ASCII.
struct RowScan {
  int end = kGridCols + 1;
  bool ascii = true;
};

RowScan ScanRow(const char16_t* row, bool rowFollows) {
  RowScan scan;
#if defined(__SSE2__)
  // Eight cells at a time from column 0. Column 101 is always empty, so the scan stops by the
  // block holding it; that block reaches two cells into the next row, which must exist.
  if (rowFollows) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i notAscii = _mm_set1_epi16(static_cast<short>(0xFF80));
    unsigned high = 0;
    for (int b = 0; b <= kGridCols + 1; b += 8) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + b));
      const __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(v, notAscii), zero);
      const auto bits = static_cast<unsigned>(
          _mm_movemask_epi8(_mm_packs_epi16(_mm_cmpeq_epi16(v, zero), ascii)));
      // Columns 0 and 1 do not end a line; column 0 holds no character.
      const unsigned empty = bits & (b == 0 ? 0xFCU : 0xFFU);
      unsigned highHere = ~bits >> 8 & (b == 0 ? 0xFEU : 0xFFU);
      if (empty != 0) {
        const int at = std::countr_zero(empty);
        highHere &= (1U << at) - 1;  // the line's characters only
        scan.end = std::min(b + at, kGridCols + 1);
        scan.ascii = (high | highHere) == 0;
        return scan;
      }
      high |= highHere;
    }
    scan.ascii = high == 0;
    return scan;
  }
#endif
  (void)rowFollows;
  scan.end = static_cast<int>(std::find(row + 2, row + kGridCols + 1, u'\0') - row);
  char16_t any = 0;
  for (int k = 1; k < scan.end; ++k)
    any |= row[k];
  scan.ascii = any < 0x80;
  return scan;
}

}  // namespace

void ComputeCharPositions(const Grid<char16_t>& chr, const SettingInfo& setting, int n,
                          Grid<int16_t>& pos, int& maxRight, int& longestLine) {
  const int half = setting.HalfWidth;
  const int full = setting.FullWidth;
  const auto& bytes = SjisByteLengths();
  for (int i = 1; i <= n && i <= kGridLines; ++i) {
    // Positions fit 16 bits: even 100 double-byte characters at the largest font stay far
    // below 32767 pixels.
    int x = TextLeft(setting);
    pos(i, 1) = static_cast<int16_t>(x);
    const char16_t* const row = &chr(i, 0);
    const RowScan scan = ScanRow(row, i < kGridLines);
    const int end = scan.end;
    int16_t* const out = &pos(i, 0);
    // Column k starts after the characters 1..k-1. In a line of ASCII they are all half
    // width, and the positions need no lookups.
    if (scan.ascii) {
      for (int k = 2; k < end; ++k)
        out[k] = static_cast<int16_t>(x + (k - 1) * half);
      x += (end - 2) * half;
    } else {
      for (int k = 2; k < end; ++k) {
        x += bytes[row[k - 1]] == 2 ? full : half;
        out[k] = static_cast<int16_t>(x);
      }
    }
    const int right = x + half;
    out[end] = static_cast<int16_t>(right);
    if (right > maxRight) {
      maxRight = right;
      longestLine = i;
    }
  }
}

void SetNewTextLines(TextDocument& doc, StrList lines, const SettingInfo& setting, int& maxRight,
                     int& longestLine) {
  StrList old = std::exchange(doc.mTxt, std::move(lines));
  // Freeing a long text's lines one by one takes a good part of a millisecond.
  RunSideBySide(
      UpperBound(old) >= kLinesForTwoThreads,
      [&] {
        ClearCharGrid(doc.mChr);
        FillCharGrid(doc.mTxt, doc.mChr);
        ResetColors(doc.mTxt, doc.mChrColor);
        ComputeCharPositions(doc.mChr, setting, doc.LineCount(), doc.mChrX, maxRight, longestLine);
      },
      [&] { StrList().swap(old); });
}

namespace {

// The words of a line as (column, length), in order: each word starts with a letter and runs
// on over letters and apostrophes; of the one-letter words only "I", "A" and "a" count.
template <typename Emit>
void ForEachWordInLineByChar(std::u16string_view line, Emit emit) {
  const char16_t* const begin = line.data();
  const char16_t* const end = begin + line.size();
  const char16_t* p = begin;
  while (p != end) {
    if (!IsAlphabet(*p)) {
      ++p;
      continue;
    }
    const char16_t* const start = p++;
    while (p != end && IsWordChr(*p))
      ++p;
    if (p - start > 1 || *start == u'I' || *start == u'A' || *start == u'a')
      emit(static_cast<int>(start - begin) + 1, static_cast<int>(p - start));
  }
}

// Bit j tells whether unit j of p[0..n) (n <= 64) is a letter, and whether it is a word
// character (a letter or an apostrophe).
struct CharMasks {
  uint64_t letters = 0, wordChars = 0;
};

CharMasks MaskChars(const char16_t* p, size_t n) {
  CharMasks m;
  size_t j = 0;
#if defined(__SSE2__)
  // Eight units at a time. Setting bit 0x20 lowers A-Z; the signed comparisons treat units
  // from 0x8000 on as negative, which no letter is.
  const __m128i bit20 = _mm_set1_epi16(0x20);
  const __m128i beforeA = _mm_set1_epi16(u'a' - 1);
  const __m128i afterZ = _mm_set1_epi16(u'z' + 1);
  const __m128i apostrophe = _mm_set1_epi16(u'\'');
  for (; j + 8 <= n; j += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + j));
    const __m128i lowered = _mm_or_si128(v, bit20);
    const __m128i letter =
        _mm_and_si128(_mm_cmpgt_epi16(lowered, beforeA), _mm_cmplt_epi16(lowered, afterZ));
    const __m128i word = _mm_or_si128(letter, _mm_cmpeq_epi16(v, apostrophe));
    const auto bits = static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(letter, word)));
    m.letters |= static_cast<uint64_t>(bits & 0xFFU) << j;
    m.wordChars |= static_cast<uint64_t>(bits >> 8) << j;
  }
#endif
  for (; j < n; ++j) {
    const uint64_t letter = IsAlphabet(p[j]);
    m.letters |= letter << j;
    m.wordChars |= (letter | static_cast<uint64_t>(p[j] == u'\'')) << j;
  }
  return m;
}

// The same for a line of up to 128 characters, which every line of a text is: the letters and
// word characters are marked in bit masks first, and the words are read off the masks, so
// that the work per character never waits on a guess about where the next word starts.
template <typename Emit>
void ForEachWordInLine(std::u16string_view line, Emit emit) {
  __extension__ typedef unsigned __int128 Mask;  // GCC and Clang have it on 64-bit machines
  if (line.size() > 128) {
    ForEachWordInLineByChar(line, emit);
    return;
  }
  const size_t n = line.size();
  const CharMasks low = MaskChars(line.data(), std::min<size_t>(n, 64));
  const CharMasks high = n > 64 ? MaskChars(line.data() + 64, n - 64) : CharMasks{};
  const Mask letters = static_cast<Mask>(high.letters) << 64 | low.letters;
  const Mask wordChars = static_cast<Mask>(high.wordChars) << 64 | low.wordChars;
  auto lowest = [](Mask m) {
    const auto bits = static_cast<uint64_t>(m);
    return bits != 0 ? std::countr_zero(bits)
                     : 64 + std::countr_zero(static_cast<uint64_t>(m >> 64));
  };
  // Each run of word characters holds one word, from its first letter to the run's end (an
  // apostrophe may come before the letter but does not begin the word).
  Mask runs = wordChars & ~(wordChars << 1);
  while (runs != 0) {
    const int r = lowest(runs);
    // The run ends at the first character that is no word character, or with the line.
    const int end = std::min(r + lowest(~wordChars >> r), static_cast<int>(n));
    runs = end >= 128 ? 0 : runs & ~((static_cast<Mask>(1) << end) - 1);
    const Mask fromRun = letters >> r;
    if (fromRun == 0)
      break;
    const int s = r + lowest(fromRun);
    if (s >= end)
      continue;
    const char16_t first = line[static_cast<size_t>(s)];
    if (end - s > 1 || first == u'I' || first == u'A' || first == u'a')
      emit(s + 1, end - s);
  }
}

}  // namespace

void GetWordsInLine(std::u16string_view line, StrList& words, std::vector<int>& cols) {
  words.resize(1);  // keeps the lists' storage from line to line
  cols.resize(1);
  ForEachWordInLine(line, [&](int col, int len) {
    words.emplace_back(line.substr(static_cast<size_t>(col - 1), static_cast<size_t>(len)));
    cols.push_back(col);
  });
}

namespace {

// The columns of a word table being filled, entries 1, 2, ... (entry 0 is not a word).
struct WordColumns {
  std::vector<int16_t>* line;
  std::vector<int16_t>* col;
  std::vector<uint8_t>* len;
  std::vector<int16_t>* x1;
  std::vector<int16_t>* x2;

  void Resize(size_t size) const {
    line->resize(size);
    col->resize(size);
    len->resize(size);
    x1->resize(size);
    x2->resize(size);
  }
};

// Splits lines [from, to) into words, stored in w from entry 1 on, and marks each line's first
// and last word in first and last. Returns the number of words; the columns may be longer.
size_t SplitLines(const StrList& lines, const Grid<int16_t>& pos, int from, int to,
                  const WordColumns& w, std::vector<int>& first, std::vector<int>& last) {
  // The columns grow as a line needs room (a word and what follows it take two characters)
  // and are filled through plain pointers.
  size_t count = 0;  // words so far
  auto makeRoom = [&](size_t words) {
    const size_t need = count + 1 + words;
    if (w.len->size() < need)
      w.Resize(std::max(need, w.len->size() * 2));
  };
  for (int i = from; i < to; ++i) {
    const std::u16string& line = lines[static_cast<size_t>(i)];
    makeRoom((line.size() + 1) / 2);
    const size_t before = count;
    const int16_t* const row = &pos(i, 0);
    int16_t* const wordLine = w.line->data();
    int16_t* const wordCol = w.col->data();
    uint8_t* const wordLen = w.len->data();
    int16_t* const x1 = w.x1->data();
    int16_t* const x2 = w.x2->data();
    ForEachWordInLine(line, [&](int c, int len) {
      ++count;
      wordLine[count] = static_cast<int16_t>(i);  // at most 9000 lines
      wordCol[count] = static_cast<int16_t>(c);
      wordLen[count] = static_cast<uint8_t>(len);
      x1[count] = row[c];
      x2[count] = row[c + len];  // column 101 holds the edge after column 100
    });
    if (count == before)
      continue;
    first[static_cast<size_t>(i)] = static_cast<int>(before) + 1;
    last[static_cast<size_t>(i)] = static_cast<int>(count);
  }
  return count;
}

}  // namespace

void GetWordListOfText(const StrList& lines, const Grid<int16_t>& pos, WordTable& t) {
  const int n = std::min(UpperBound(lines), kGridLines);
  t.mLines = &lines;
  t.mLineFirstWord.assign(static_cast<size_t>(n) + 1, 0);
  t.mLineLastWord.assign(static_cast<size_t>(n) + 1, 0);
  // A long text is split in two halves side by side; the second half's words are then
  // appended to the first's.
  const bool halves = n >= kLinesForTwoThreads;
  const int mid = halves ? n / 2 + 1 : n + 1;  // the first line of the second half
  const WordColumns table{&t.mWordLine, &t.mWordCol, &t.mWordLen, &t.mWordX1, &t.mWordX2};
  std::vector<int16_t> line{0}, col{0}, x1{0}, x2{0};
  std::vector<uint8_t> len{0};
  const WordColumns later{&line, &col, &len, &x1, &x2};
  size_t count = 0, laterCount = 0;
  RunSideBySide(
      halves,
      [&] { count = SplitLines(lines, pos, 1, mid, table, t.mLineFirstWord, t.mLineLastWord); },
      [&] {
        // Room for as many words as English prose has in these lines, and more, so that the
        // columns seldom grow.
        size_t units = 0;
        for (int i = mid; i <= n; ++i)
          units += lines[static_cast<size_t>(i)].size();
        later.Resize(units / 5 + 1);
        laterCount = SplitLines(lines, pos, mid, n + 1, later, t.mLineFirstWord, t.mLineLastWord);
      });
  table.Resize(count + laterCount + 1);
  auto append = [&](const auto& from, auto& to) {
    std::copy_n(from.begin() + 1, laterCount, to.begin() + static_cast<long>(count) + 1);
  };
  append(line, t.mWordLine);
  append(col, t.mWordCol);
  append(len, t.mWordLen);
  append(x1, t.mWordX1);
  append(x2, t.mWordX2);
  for (auto i = static_cast<size_t>(mid); i <= static_cast<size_t>(n); ++i) {
    if (t.mLineFirstWord[i] != 0) {
      t.mLineFirstWord[i] += static_cast<int>(count);
      t.mLineLastWord[i] += static_cast<int>(count);
    }
  }
  // The table stays for as long as the text: give back the room it did not use.
  t.mWordLine.shrink_to_fit();
  t.mWordLen.shrink_to_fit();
  t.mWordCol.shrink_to_fit();
  t.mWordX1.shrink_to_fit();
  t.mWordX2.shrink_to_fit();
}

}  // namespace kelmoa
