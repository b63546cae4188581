// Opening a text: names its character code, reads it under the limits, or says why it is refused.
#include "core/text/open_text.h"

#include <filesystem>
#include <system_error>

#include "core/base/char_code.h"
#include "core/base/side_by_side.h"
#include "core/text/text_reader.h"

namespace kelmoa {

OpenResult CheckAndReadTextFile(const std::string& path, StrList& lines) {
  OpenResult result;
  lines = NewStrList();
  const auto unreadable = [&](Status status) {
    result.outcome = OpenResult::Outcome::kUnreadable;
    result.status = std::move(status);
    lines = NewStrList();
    return result;
  };
  // A file small enough to be a text within the limits is read once, and its character code
  // is worked out from the bytes read; only a code that passes has them split into lines.
  std::string bytes;
  bool fits = false;
  if (Status s = ReadSmallTextFile(path, bytes, fits); !s.ok())
    return unreadable(std::move(s));
  CharCode code = CharCode::kNone;
  TextLimitBreach breach;
  Status readStatus;
  if (fits) {
    code = DetectCharCode(bytes);
    if (IsSjisCompatible(code))
      breach = DecodeText(bytes, lines);
  } else {
    // A larger file is read piece by piece while its code is worked out beside it; what was
    // read is dropped when the code turns out to be another. Reading stops at the limits of a
    // text file, so a file of another code costs no more than one of Shift_JIS.
    Status codeStatus;
    RunSideBySide(
        true, [&] { codeStatus = GetFileCharCode(path, code); },
        [&] { breach = StreamText(path, lines, readStatus); });
    if (!codeStatus.ok())
      return unreadable(std::move(codeStatus));
  }
  result.code = code;
  if (!IsSjisCompatible(code)) {
    result.outcome = OpenResult::Outcome::kWrongCode;
    lines = NewStrList();
    return result;
  }
  if (!readStatus.ok())
    return unreadable(std::move(readStatus));
  if (breach.broken()) {
    result.outcome = breach.kind == TextLimitBreach::Kind::kTooManyLines
                         ? OpenResult::Outcome::kTooManyLines
                         : OpenResult::Outcome::kLineTooLong;
    result.limit = breach;
  }
  return result;
}

bool TextWouldBeRefused(const std::string& path) {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec)
    return false;
  if (size > static_cast<std::uintmax_t>(kMaxTextFileBytes))
    return true;
  StrList lines;
  const OpenResult result = CheckAndReadTextFile(path, lines);
  return !result.ok() && result.outcome != OpenResult::Outcome::kUnreadable;
}

}  // namespace kelmoa
