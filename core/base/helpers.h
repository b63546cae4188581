// Small string and path helpers shared by the core.
#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace kelmoa {

// Calls piece(part) for every part of s between separators sep, in order, empty parts included
// (an empty s is one empty part). The parts are views into s; nothing is allocated.
template <typename Piece>
void ForEachPiece(std::u16string_view s, char16_t sep, Piece piece) {
  size_t start = 0;
  for (;;) {
    const size_t at = s.find(sep, start);
    piece(s.substr(start, at == std::u16string_view::npos ? at : at - start));
    if (at == std::u16string_view::npos)
      return;
    start = at + 1;
  }
}

// The parts of s between separators sep, as ForEachPiece gives them.
std::vector<std::u16string_view> SplitAt(std::u16string_view s, char16_t sep);

// True for a non-empty string of the ASCII digits "0" to "9" only.
bool IsAllDigits(std::u16string_view s);

// True when the first character is A-Z or a-z and every further one is A-Z, a-z or "'".
bool IsEnglishWord(std::u16string_view s);

// True for "A" to "Z" and "a" to "z" only.
inline bool IsAlphabet(char16_t ch) {
  return (ch >= u'A' && ch <= u'Z') || (ch >= u'a' && ch <= u'z');
}

// A letter or the apostrophe: the characters that may continue a word.
inline bool IsWordChr(char16_t ch) {
  return IsAlphabet(ch) || ch == u'\'';
}

// The word with A-Z lowered and every other character kept, as text words are looked up.
std::u16string LowerAscii(std::u16string_view s);

// The text after the last "/" at positions Len-1 down to 1 (a trailing "/" is not looked at);
// empty when there is none.
std::string GetFileNameOfPath(const std::string& path);

// The text before the last "/" at positions Len-1 down to 1; empty when there is none. For the
// program folder /opt/kelmoa/bin it gives the base folder /opt/kelmoa.
std::string GetBaseFolder(const std::string& path);

// True when path is not empty and names a regular file that is not hidden (its name does not
// begin with "."). Folders do not count.
bool IsFileExist(const std::string& path);

// True when path is not empty and names a folder. A plain file of that name does not count.
bool IsFolderExist(const std::string& path);

// The local date and time now.
std::tm LocalNow();

// "hh:mm:ss" (24-hour clock).
std::string FormatTimeOfDay(const std::tm& t);

}  // namespace kelmoa

namespace kelmoa {

// x to the nearest whole number, halves to the even neighbour (2.5 gives 2, 3.5 gives 4).
long long RoundHalfEven(double x);

// The check of a numeric entry field: text is all ASCII digits and its value lies in
// min..max. A digit string too large for a 32-bit number counts as out of range.
bool IsTextInRange(std::u16string_view text, int min, int max);

// The message shown when a numeric entry field is out of range:
// item name, "：次の範囲で設定してください。", CR LF, four blanks, min, "-", max.
std::u16string MsgOutOfRange(std::u16string_view itemName, int min, int max);

}  // namespace kelmoa
