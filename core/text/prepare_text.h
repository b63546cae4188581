// Preparing a refused text into a copy the reader accepts.
#pragma once
// Preparing a text that the reader refuses (another character code, long lines, too many
// lines) into a copy it accepts: CP932 with CR LF, short lines, parts of at most kMaxLines.

#include <atomic>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/char_code.h"
#include "core/base/file_ops.h"
#include "core/base/paths.h"
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

// The most parts a prepared text may be split into: a text longer than that (900,000 lines
// after wrapping) is refused rather than scattered over hundreds of files.
inline constexpr size_t kMaxPreparedParts = 100;

// What preparing changed, for the report.
struct PrepareCounts {
  long long linesWrapped = 0;         // lines longer than the width, wrapped or cut
  long long charsTransliterated = 0;  // characters CP932 has not, written in ASCII letters
  long long charsReplaced = 0;        // characters that became "?"
};

// A text read as UTF-8 although a few of its bytes are not UTF-8: each such byte sequence
// became one "?". badBytes counts the bytes; lines (from 1, as the text's own line ends count
// them) names the first kMaxListedLines lines that held one, lineCount all of them.
struct Utf8Damage {
  static constexpr size_t kMaxListedLines = 20;
  long long badBytes = 0;
  long long lineCount = 0;
  std::vector<long long> lines;
};

// How a preparation ended.
enum class PrepareOutcome {
  kPrepared,      // parts holds the prepared text
  kUnknownCode,   // the character code cannot be read; no parts
  kTooManyParts,  // it would take more than kMaxPreparedParts parts; no parts
  kCancelled,     // stopped through PrepareProgress; no parts
};

// A prepared text: the character code it was read in and its parts as CP932 bytes.
struct PreparedText {
  PrepareOutcome outcome = PrepareOutcome::kPrepared;
  CharCode code = CharCode::kNone;
  std::vector<std::string> parts;
  PrepareCounts counts;
  Utf8Damage damage;  // badBytes > 0 when a damaged UTF-8 text was read as UTF-8
};

// Lets another thread follow a preparation and stop it: the window's progress dialog reads
// Permille() and calls Cancel() while the preparation runs on a thread of its own.
class PrepareProgress {
 public:
  // How far preparing (up to kPreparedPermille) and writing (the rest) have come, 0 to 1000.
  static constexpr int kPreparedPermille = 900;
  int Permille() const { return mPermille.load(std::memory_order_relaxed); }
  void Cancel() { mCancelled.store(true, std::memory_order_relaxed); }
  bool Cancelled() const { return mCancelled.load(std::memory_order_relaxed); }
  // done of total in the stretch from..to of the thousand.
  void Report(long long done, long long total, int from, int to) {
    const long long span = to - from;
    mPermille.store(total > 0 ? from + static_cast<int>(span * done / total) : to,
                    std::memory_order_relaxed);
  }

 private:
  std::atomic<int> mPermille{0};
  std::atomic<bool> mCancelled{false};
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
  // kMaxPrepareWidth), in one pass over the text: time and memory grow with its size alone.
  // Preparing a prepared text gives the same bytes. A text the detector takes for Shift_JIS
  // or ASCII that is UTF-8 but for a few bytes (LooksLikeDamagedUtf8) is read as UTF-8, its
  // bad bytes replaced and reported in damage. progress, when given, is kept up to date and
  // may stop the work.
  PreparedText Prepare(std::string_view bytes, int width, PrepareProgress* progress = nullptr);

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

// Whether bytes are UTF-8 with a little damage: some byte sequences are not UTF-8, and more
// than 99% of the sequences outside ASCII are.
bool LooksLikeDamagedUtf8(std::string_view bytes);

// A free place in folder for a prepared copy of count parts named after baseName (a file
// name without its extension): folder/baseName.txt, or folder/baseName (2).txt, (3), ...
// (PreparedCopyName) when that name or the name of one of its parts (PartPaths) is taken.
std::string FreePreparedPath(FileOps& fs, const std::string& folder, const std::string& baseName,
                             size_t partCount);

// Reads the file at path and prepares it. A file larger than kMaxPrepareFileBytes is refused
// with kTooLarge before it is read.
Status PrepareTextFile(FileOps& fs, TextPreparer& preparer, const std::string& path, int width,
                       PreparedText& out, PrepareProgress* progress = nullptr);

// Whether the file at path is small enough to be prepared (kMaxPrepareFileBytes at most).
bool FitsPreparation(const std::string& path);

// A copy of a text prepared into a folder.
struct PreparedCopy {
  PreparedText prepared;           // its parts dropped once they are written
  std::string path;                // the name chosen for the copy; empty before
  std::vector<std::string> parts;  // the paths of the parts written, the first to open
};

// Prepares the text at textPath (PrepareTextFile) and, when it is prepared, writes its parts
// (WritePreparedParts) into folder under a free name after the text's own without its
// extension (FreePreparedPath: "story.md" becomes "story.txt", or "story (2).txt"). A text
// that is not prepared (copy.prepared.outcome) writes nothing. Fails as those do.
Status PrepareIntoFolder(FileOps& fs, TextPreparer& preparer, const std::string& textPath,
                         const std::string& folder, PreparedCopy& copy,
                         PrepareProgress* progress = nullptr);

// Writes the parts to PartPaths(path, parts.size()). An existing file is never overwritten:
// when one of the paths is taken nothing is written. Each part appears under its name whole
// or not at all; when one fails, or progress is cancelled, the parts written before are
// removed again (a cancel is kCancelled). partPaths gets the paths written.
Status WritePreparedParts(FileOps& fs, const std::string& path,
                          const std::vector<std::string>& parts,
                          std::vector<std::string>& partPaths, PrepareProgress* progress = nullptr);

}  // namespace kelmoa
