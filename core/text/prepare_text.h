// Preparing a refused text into a copy the reader accepts.
#pragma once
// Preparing a text that the reader refuses (another character code, long lines, too many
// lines) into a copy it accepts: CP932 with CR LF, short lines, parts of at most kMaxLines.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/char_code.h"
#include "core/base/file_ops.h"
#include "core/base/status.h"
#include "core/text/text_limits.h"

namespace kelmoa {

// The longest line of a prepared text in CP932 bytes: the default and the range allowed.
inline constexpr int kDefaultPrepareWidth = 80;
inline constexpr int kMinPrepareWidth = 40;
inline constexpr int kMaxPrepareWidth = kMaxLineBytes;

// The largest file that is prepared: far beyond any book, small enough to hold in memory.
inline constexpr long long kMaxPrepareFileBytes = 64LL << 20;

// Whether a text in this character code can be prepared: UTF-8 with or without a byte-order
// mark, UTF-16 with one, CP932 or ASCII, EUC-JP and ISO-2022-JP. kNone (bytes no code
// explains) and UTF-7 cannot.
bool CanPrepareCode(CharCode code);

// What preparing changed, for the report.
struct PrepareCounts {
  long long linesWrapped = 0;         // lines longer than the width, wrapped or cut
  long long charsTransliterated = 0;  // characters CP932 has not, written in ASCII letters
  long long charsReplaced = 0;        // characters that became "?"
};

// A prepared text: the character code it was read in and its parts as CP932 bytes.
struct PreparedText {
  bool refused = false;  // the character code cannot be read; there are no parts
  CharCode code = CharCode::kNone;
  std::vector<std::string> parts;
  PrepareCounts counts;
};

namespace detail {
class CharMapper;
}

// Prepares texts. Holds the transliterator, which takes a while to make, so one preparer
// serves any number of texts.
class TextPreparer {
 public:
  // Makes a preparer into out; fails when ICU cannot make its transliterator.
  static Status Create(std::unique_ptr<TextPreparer>& out);
  TextPreparer(const TextPreparer&) = delete;
  TextPreparer& operator=(const TextPreparer&) = delete;
  ~TextPreparer();

  // Prepares the bytes of a text file with lines of at most width bytes (kMinPrepareWidth to
  // kMaxPrepareWidth). Preparing a prepared text gives the same bytes.
  PreparedText Prepare(std::string_view bytes, int width);

  // The characters of one line as a prepared text holds them: every character CP932 can hold
  // (and give back unchanged) stays; a typographic apostrophe between letters becomes "'";
  // zero-width, format and control characters other than TAB go; everything else is
  // transliterated into ASCII, or becomes "?" when that fails. Adds to counts.
  std::u16string MapLine(std::u16string_view line, PrepareCounts& counts);

 private:
  explicit TextPreparer(std::unique_ptr<detail::CharMapper> mapper);
  std::unique_ptr<detail::CharMapper> mMapper;
};

// Decodes a text in a character code CanPrepareCode accepts into UTF-16.
std::u16string DecodeText(std::string_view bytes, CharCode code);

// Splits a text into lines: CR LF, a lone CR, a lone LF, U+0085, U+2028 and U+2029 each end a
// line. A last line without an ending is a line; an empty text has none.
std::vector<std::u16string> SplitAnyLines(std::u16string_view text);

// Wraps a line longer than width CP932 bytes at the last space that leaves the part before it
// within the width (the spaces there are the break); a word longer than the width is cut.
// Leading spaces stay. A line within the width comes back as it is.
std::vector<std::u16string> WrapLine(std::u16string_view line, int width);

// Where a text of lineCount lines is split into parts of at most maxLines: the index of the
// first line of each part after the first. A part ends with a blank line when there is one
// among its last lines.
std::vector<size_t> PartStarts(const std::vector<std::u16string>& lines, size_t maxLines);

// The paths of the parts of a text prepared into path: path itself for one part; for more,
// NAME-1.EXT, NAME-2.EXT, ... beside it.
std::vector<std::string> PartPaths(const std::string& path, size_t partCount);

// A free place in folder for a prepared copy of count parts named after baseName (a file
// name without its extension): folder/baseName.txt, or folder/baseName (2).txt, (3), ...
// when that name or the name of one of its parts is taken.
std::string FreePreparedPath(FileOps& fs, const std::string& folder, const std::string& baseName,
                             size_t partCount);

// Reads the file at path (at most kMaxPrepareFileBytes) and prepares it.
Status PrepareTextFile(FileOps& fs, TextPreparer& preparer, const std::string& path, int width,
                       PreparedText& out);

// Writes the parts to PartPaths(path, parts.size()). An existing file is never overwritten:
// when one of the paths is taken nothing is written. Each part appears under its name whole
// or not at all; when one fails, the parts written before it are removed again. partPaths gets
// the paths written.
Status WritePreparedParts(FileOps& fs, const std::string& path,
                          const std::vector<std::string>& parts,
                          std::vector<std::string>& partPaths);

}  // namespace kelmoa
