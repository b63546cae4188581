// Texts of the reading window: its progress lines, its greeting and its messages.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/base/status.h"
#include "core/text/open_text.h"
#include "core/text/prepare_text.h"
#include "core/text/text_reader.h"

namespace kelmoa {

// Texts of the main window: the progress lines and the greeting written into the text pane,
// and the messages of its dialogs. Message lines are joined by CR LF.

inline constexpr char16_t kDicLoading[] = u"　辞書ファイルを読み込んでいます...";
inline constexpr char16_t kDicLoaded[] = u"　読込完了";
inline constexpr char16_t kDicWordCount[] = u"　辞書の単語数＝";

// The twelve lines that stand in the pane until a text is opened.
std::array<std::u16string, 12> GreetingLines();

// The question that follows every rejection of a text: the user may open the file in the editor.
inline constexpr char16_t kAskOpenInEditor[] = u"このテキストファイルを開きますか？";

// The text file is neither ASCII nor Shift_JIS: its name and code, and the question.
std::u16string MsgNotShiftJis(std::u16string_view fileName, std::u16string_view codeName);

// The rejection of a text over its limits (MsgLineTooLong or MsgTooManyLines), or empty for
// none.
std::u16string MsgTextLimit(const TextLimitBreach& breach);
// A line longer than kMaxLineBytes bytes, with its line number and byte length.
std::u16string MsgLineTooLong(long long lineNo, long long byteLen);
// The same for a line read only up to byteLen bytes: its length is given as at least that.
std::u16string MsgLineTooLongAtLeast(long long lineNo, long long byteLen);
// More than kMaxLines lines.
std::u16string MsgTooManyLines();

// Why the text at path was refused, as the reader words it: MsgNotShiftJis (with its question)
// for a wrong code, MsgTextLimit (without the question) for a text over a limit;
// empty for a text that opened or could not be read.
std::u16string MsgTextRefusal(const OpenResult& result, const std::string& path);

// A rejection message followed by an empty line and the question.
std::u16string WithQuestion(std::u16string_view message);

// A failed status in the user's words, whole: "context: reason", the reason being what this
// program found in the user's words (Finding) or else the system's; a finding that is a whole
// message (the word list's) stands alone.
std::u16string StatusInWords(const Status& status);

// The reason of a failed status without its context ("open /x/a.txt: Permission denied" gives
// "Permission denied"): what this program found, in the user's words, or else the system's.
std::u16string SystemReason(const Status& status);

// The dictionary file is missing; the program ends after it.
std::u16string MsgDicNotFound(std::u16string_view path);
// The dictionary file is neither ASCII nor Shift_JIS; the program ends after it.
std::u16string MsgDicNotShiftJis(std::u16string_view path, std::u16string_view codeName);
// The dictionary file exists but cannot be read; the program ends after it rather than go on
// with part of the dictionary, which a later change would write back as the whole.
std::u16string MsgDicUnreadable(std::u16string_view path, std::u16string_view reason);

// A text file that cannot be opened or read (missing, a folder, no permission).
std::u16string MsgTextFileUnreadable(std::u16string_view path, std::u16string_view reason);

// Why path cannot be opened as a text, in the user's words, as the file system tells it now:
// missing, a folder, not a plain file (a pipe, a device), no permission to read. Empty for a
// plain file that this program may read.
std::u16string TextFileProblem(const std::string& path);

// The help page could not be opened: the page and the reason.
std::u16string MsgHelpNotOpened(std::u16string_view page, std::u16string_view reason);

// The external editor could not be started.
std::u16string MsgEditorNotStarted(std::u16string_view editor, std::u16string_view reason);

// The external editor was started but ended with an error (reason says which).
std::u16string MsgEditorFailed(std::u16string_view editor, std::u16string_view reason);

// The package that speaks words, named when speaking fails.
inline constexpr char16_t kSpeechPackage[] = u"espeak-ng";
// A word cannot be spoken: the speech program could not be started (reason says why), or it
// failed (detail: its error line or exit status). One line each, for the status line.
std::u16string MsgSpeechNotStarted(std::u16string_view program, std::u16string_view reason);
std::u16string MsgSpeechFailed(std::u16string_view program, std::u16string_view detail);

// A refused text could not be prepared into a copy that Kelmoa reads (path names the copy).
std::u16string MsgTextNotPrepared(std::u16string_view path, std::u16string_view reason);

// Why an operation on a file failed, in the user's words: what this program found, when it
// found something, else what the kind of failure means.
std::u16string ReasonInWords(const Status& status);

// A refused text would be split into more than kMaxPreparedParts parts.
std::u16string MsgTooManyPreparedParts(std::u16string_view path);

// A text was prepared as UTF-8 although some bytes were not: how many became "?", and where.
std::u16string MsgDamagedUtf8(std::u16string_view path, const Utf8Damage& damage);

}  // namespace kelmoa
