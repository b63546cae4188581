// Opening a text: names its character code, reads it under the limits, or says why it is refused.
#include "core/text/open_text.h"

#include <filesystem>
#include <system_error>

#include "core/base/char_code.h"
#include "core/base/codepage.h"
#include "core/base/helpers.h"
#include "core/base/side_by_side.h"
#include "core/text/messages.h"
#include "core/text/text_reader.h"

namespace kelmoa {

TextFileCheck CheckAndReadTextFile(const std::string& path) {
  TextFileCheck check;
  // A file small enough to be a text within the limits is read once, and its character code
  // is worked out from the bytes read; only a code that passes has them split into lines.
  std::string bytes;
  bool fits = false;
  check.status = ReadSmallTextFile(path, bytes, fits);
  if (!check.status.ok()) {
    check.result = TextFileCheck::kUnreadable;
    return check;
  }
  CharCode code = CharCode::kNone;
  TextLimitBreach breach;
  Status readStatus;
  if (fits) {
    code = DetectCharCode(bytes);
    if (IsSjisCompatible(code))
      breach = DecodeText(bytes, check.lines);
  } else {
    // A larger file is read piece by piece while its code is worked out beside it; what was
    // read is dropped when the code turns out to be another. Reading stops at the limits of a
    // text file, so a file of another code costs no more than one of Shift_JIS.
    RunSideBySide(
        true, [&] { check.status = GetFileCharCode(path, code); },
        [&] { breach = StreamText(path, check.lines, readStatus); });
    if (!check.status.ok()) {
      check.result = TextFileCheck::kUnreadable;
      check.lines = NewStrList();
      return check;
    }
  }
  check.code = code;
  if (!IsSjisCompatible(code)) {
    check.result = TextFileCheck::kWrongCode;
    check.message =
        MsgNotShiftJis(Utf8ToUtf16(GetFileNameOfPath(path)), Utf8ToUtf16(GetCharCodeName(code)));
    check.lines = NewStrList();
    return check;
  }
  check.status = readStatus;
  if (!check.status.ok()) {
    check.result = TextFileCheck::kUnreadable;
  } else if (breach.broken()) {
    check.result = TextFileCheck::kTooLarge;
    check.limit = breach;
    check.message = MsgTextLimit(breach);
  }
  return check;
}

bool TextWouldBeRefused(const std::string& path) {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec)
    return false;
  if (size > static_cast<std::uintmax_t>(kMaxTextFileBytes))
    return true;
  const TextFileCheck check = CheckAndReadTextFile(path);
  return check.result == TextFileCheck::kWrongCode || check.result == TextFileCheck::kTooLarge;
}

}  // namespace kelmoa
