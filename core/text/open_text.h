// Opening a text: names its character code, reads it under the limits, or says why it is refused.
#pragma once

#include <string>

#include "core/base/char_code.h"
#include "core/base/status.h"
#include "core/base/str_list.h"
#include "core/text/text_reader.h"

namespace kelmoa {

// What became of opening a text: it is open, or why not (the text shown before then stays
// open). The windows and kelmoa-tool word a refusal with MsgTextRefusal (core/text/messages.h).
struct OpenResult {
  enum class Outcome {
    kOpened,
    kWrongCode,     // neither ASCII nor Shift_JIS: code is the code found
    kLineTooLong,   // a line over the limit: limit gives its number and length
    kTooManyLines,  // more lines than a text may have
    kUnreadable,    // could not be opened or read: status says why; nothing was read
  };
  Outcome outcome = Outcome::kOpened;
  CharCode code = CharCode::kNone;  // the code the detector named, when it got that far
  TextLimitBreach limit;            // kLineTooLong, kTooManyLines
  Status status;                    // kUnreadable
  int maxRight = 0;                 // kOpened: the right edge of the longest line, in pixels
  int longestLine = 0;              // kOpened: that line's number

  bool ok() const { return outcome == Outcome::kOpened; }
  // Over a limit of a text: such a text can be prepared into parts that keep them.
  bool TooLarge() const {
    return outcome == Outcome::kLineTooLong || outcome == Outcome::kTooManyLines;
  }
};

// The checks of opening a text, before anything of the shown text changes: names the file's
// character code (only ASCII and Shift_JIS pass) and reads it under the limits of a text file
// into lines (elements 1..n; none unless the outcome is kOpened).
OpenResult CheckAndReadTextFile(const std::string& path, StrList& lines);

// Whether opening the file would refuse it (a wrong code, or over a limit): a file larger than
// any text within the limits is, without being read. A file that cannot be read is not a
// refusal.
bool TextWouldBeRefused(const std::string& path);

}  // namespace kelmoa
