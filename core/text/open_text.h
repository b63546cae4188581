// Opening a text: names its character code, reads it under the limits, or says why it is refused.
#pragma once

#include <string>

#include "core/base/char_code.h"
#include "core/base/status.h"
#include "core/base/str_list.h"

namespace kelmoa {

// The question that follows every rejection: the user may open the file in the editor.
inline constexpr char16_t kAskOpenInEditor[] = u"このテキストファイルを開きますか？";

// Message C: the file is neither ASCII nor Shift_JIS.
std::u16string MsgNotShiftJis(std::u16string_view fileName, std::u16string_view codeName);

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
  StrList lines = NewStrList();
  Status status;
};

// A rejection message followed by an empty line and the question.
std::u16string WithQuestion(std::u16string_view message);

// Names the file's character code (only ASCII and Shift_JIS pass) and reads it under the
// limits of a text file.
TextFileCheck CheckAndReadTextFile(const std::string& path);

}  // namespace kelmoa
