// The text reader: a text file's lines in UTF-16, or why it is refused.
#pragma once

#include <string>
#include <string_view>

#include "core/base/status.h"
#include "core/base/str_list.h"
#include "core/text/text_limits.h"

namespace kelmoa {

// Why a text breaks the limits of a text file, or kNone.
struct TextLimitBreach {
  enum class Kind { kNone, kLineTooLong, kTooManyLines };
  Kind kind = Kind::kNone;
  long long line = 0;    // kLineTooLong: the line's number
  long long bytes = 0;   // kLineTooLong: its length in bytes
  bool atLeast = false;  // kLineTooLong: it was read only up to `bytes` bytes
  bool broken() const { return kind != Kind::kNone; }
  bool operator==(const TextLimitBreach&) const = default;
};

// Reads a text file into txt (lines in elements 1..n) under the limits: a line ends at CR LF, a
// lone CR or a lone LF, lines are stored exactly as read. Returns no breach on success, or the
// limit the first failing line breaks (txt then holds no lines; MsgTextLimit words it). Reading
// stops at that line, so a huge file costs no more than its first 9001 lines; a line is read
// up to 1 MiB, and a longer one is reported as at least that long.
// A file that cannot be opened or read (missing, a folder, a pipe, no permission) is reported
// in status with no lines and no breach; it is not a rejection.
TextLimitBreach ReadTextLines(const std::string& path, StrList& txt, Status& status);

// The most bytes a text within the limits can have: kMaxLines lines of kMaxLineBytes bytes,
// each ended by CR LF (the longest line end).
inline constexpr long long kMaxTextFileBytes =
    static_cast<long long>(kMaxLines) * (kMaxLineBytes + 2);

// Reads a file of at most kMaxTextFileBytes whole into bytes; fits is false (and bytes empty)
// for a larger one. Errors are those of ReadTextLines.
Status ReadSmallTextFile(const std::string& path, std::string& bytes, bool& fits);

// ReadTextLines for a file's bytes read whole: the same lines, or the same breach.
TextLimitBreach DecodeText(std::string_view bytes, StrList& txt);

// ReadTextLines for a file of any size, read piece by piece: what it does with a file
// too large to read whole.
TextLimitBreach StreamText(const std::string& path, StrList& txt, Status& status);

}  // namespace kelmoa
