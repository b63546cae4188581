// Opening a text: names its character code, reads it under the limits, or says why it is refused.
#pragma once

#include <string>

#include "core/base/char_code.h"
#include "core/base/status.h"
#include "core/base/str_list.h"
#include "core/text/text_reader.h"

namespace kelmoa {

// The checks of the open routine, before anything of the shown text changes.
struct TextFileCheck {
  enum Result {
    kOk,          // lines holds the text
    kWrongCode,   // message is message C (ending with the question)
    kTooLarge,    // message is the reader's rejection (the caller adds the question)
    kUnreadable,  // status says why; nothing was read
  } result = kOk;
  std::u16string message;
  CharCode code = CharCode::kNone;  // the character code detected, when it got that far
  TextLimitBreach limit;            // kTooLarge: which limit the text breaks
  StrList lines = NewStrList();
  Status status;
};

// Names the file's character code (only ASCII and Shift_JIS pass) and reads it under the
// limits of a text file.
TextFileCheck CheckAndReadTextFile(const std::string& path);

// Whether opening the file would refuse it (message C, A or B): a file larger than any text
// within the limits is, without being read. A file that cannot be read is not a refusal.
bool TextWouldBeRefused(const std::string& path);

}  // namespace kelmoa
