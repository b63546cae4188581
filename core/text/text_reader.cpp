// The text reader: a text file's lines in UTF-16, or why it is refused.
#include "core/text/text_reader.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>

#include "core/base/codepage.h"
#include "core/base/file_ops.h"
#include "core/base/side_by_side.h"

namespace kelmoa {
namespace {

// Bytes of a line kept for decoding. Longer lines are rejected whatever they hold (every
// character counts at least one byte of the two it can take), so only their length is kept.
constexpr size_t kKeepBytes = size_t{4} * kMaxLineBytes;

// Reading a line stops once it is this long: the file is rejected anyway, and a file of
// gigabytes without a line end (or a sparse one) must not keep the reader busy. The message
// then gives the length as "at least" this many bytes; every shorter line, which is as long
// as a text that can be prepared, is given its true length. Counting costs a look at each
// byte, some tens of milliseconds at the most.
constexpr long long kCountBytesUpTo = 64LL << 20;

// A text of fewer bytes is split into lines on one thread: a second would cost more than it
// saves.
constexpr size_t kBytesForTwoThreads = 1 << 16;

bool IsAscii(std::string_view bytes) {
  unsigned char all = 0;
  for (const char c : bytes)
    all |= static_cast<unsigned char>(c);
  return all < 0x80;
}

// ASCII bytes as the characters they are (CP932 reads the 128 ASCII bytes as themselves).
std::u16string WidenAscii(std::string_view bytes) {
  std::u16string text(bytes.size(), u'\0');
  std::transform(bytes.begin(), bytes.end(), text.begin(),
                 [](char c) { return static_cast<char16_t>(static_cast<unsigned char>(c)); });
  return text;
}

// The text of a line of lineBytes bytes, of which the first are kept (all of them unless there
// are more than kKeepBytes), and its length in CP932 bytes: a line too long to keep whole is
// not decoded, its length says enough.
std::u16string LineText(std::string_view kept, long long lineBytes, SjisDecoder& decoder,
                        long long& len) {
  len = lineBytes;
  if (kept.size() != static_cast<size_t>(lineBytes))
    return {};
  if (IsAscii(kept))
    return WidenAscii(kept);  // a line of English needs no converter
  std::u16string text = decoder.Decode(kept);
  len = GetSjisByteLen(text);
  return text;
}

// Finds the line ends of a stretch of bytes: CR or LF, whichever comes first. Each kind is
// looked for with memchr only once the last one found lies behind, so every byte is looked at
// once for each kind however the two are mixed.
class LineEndFinder {
 public:
  LineEndFinder(const char* begin, const char* end) : mBegin(begin), mEnd(end) {}

  // The first CR or LF at or after p, or null when there is none.
  const char* Next(const char* p) {
    const auto at = static_cast<size_t>(p - mBegin);
    if (!mCrValid || mCr < at) {
      mCr = Find(p, '\r');
      mCrValid = true;
    }
    if (!mLfValid || mLf < at) {
      mLf = Find(p, '\n');
      mLfValid = true;
    }
    const size_t first = std::min(mCr, mLf);
    return first == kNone ? nullptr : mBegin + first;
  }

 private:
  static constexpr size_t kNone = static_cast<size_t>(-1);
  size_t Find(const char* p, char c) const {
    const void* hit = std::memchr(p, c, static_cast<size_t>(mEnd - p));
    return hit != nullptr ? static_cast<size_t>(static_cast<const char*>(hit) - mBegin) : kNone;
  }
  const char* mBegin;
  const char* mEnd;
  size_t mCr = 0, mLf = 0;
  bool mCrValid = false, mLfValid = false;
};

// The bytes after a line end at p: CR LF is one line end, a lone CR or a lone LF another.
const char* AfterLineEnd(const char* p, const char* end) {
  if (*p == '\r' && p + 1 < end && p[1] == '\n')
    return p + 2;
  return p + 1;
}

// The lines of a stretch of a text's bytes that starts a line and ends at the end of the text
// or just after a line end, counted from 1 within the stretch.
struct Stretch {
  StrList lines;             // the lines that pass, from element 0 on
  long long failLine = 0;    // the first line over the byte limit, or 0
  long long failLen = 0;     // its length
  bool failAtLeast = false;  // the line was measured only up to failLen bytes
  bool overLimit = false;    // more than kMaxLines lines pass
};

// Splits the stretch into lines up to the first that fails or the first past kMaxLines.
void SplitStretch(std::string_view bytes, Stretch& out) {
  SjisDecoder decoder;
  const char* p = bytes.data();
  const char* const end = p + bytes.size();
  LineEndFinder lineEnds(p, end);
  for (long long i = 1; p < end; ++i) {
    const char* const lineEnd = lineEnds.Next(p);
    const char* const stop = lineEnd ? lineEnd : end;
    const auto lineBytes = static_cast<long long>(stop - p);
    if (lineBytes > kCountBytesUpTo) {
      out.failLine = i;
      out.failLen = kCountBytesUpTo;
      out.failAtLeast = true;
      return;
    }
    long long len = 0;
    std::u16string text =
        LineText(std::string_view(p, std::min(static_cast<size_t>(lineBytes), kKeepBytes)),
                 lineBytes, decoder, len);
    if (len > kMaxLineBytes) {
      out.failLine = i;
      out.failLen = len;
      return;
    }
    if (i > kMaxLines) {
      out.overLimit = true;
      return;
    }
    out.lines.push_back(std::move(text));
    if (!lineEnd)
      return;  // a last line without a line end
    p = AfterLineEnd(lineEnd, end);
  }
}

}  // namespace

Status ReadSmallTextFile(const std::string& path, std::string& bytes, bool& fits) {
  bytes.clear();
  fits = false;
  ReadOnlyFile file;
  if (Status s = file.Open(path); !s.ok())
    return s;
  if (file.size() > kMaxTextFileBytes)
    return Status::Ok();
  // One byte more than the file had, to see whether it has grown since.
  bytes.resize(static_cast<size_t>(file.size()) + 1);
  size_t got = 0;
  for (;;) {
    if (got == bytes.size()) {
      if (got > static_cast<size_t>(kMaxTextFileBytes)) {
        bytes.clear();
        return Status::Ok();
      }
      bytes.resize(std::min(2 * got, static_cast<size_t>(kMaxTextFileBytes) + 1));
    }
    const ssize_t n = ::read(file.fd(), bytes.data() + got, bytes.size() - got);
    if (n < 0) {
      if (errno == EINTR)
        continue;
      const int error = errno;
      bytes.clear();
      return Status::FromErrno("read", path, error);
    }
    if (n == 0)
      break;
    got += static_cast<size_t>(n);
  }
  bytes.resize(got);
  fits = true;
  return Status::Ok();
}

TextLimitBreach DecodeText(std::string_view bytes, StrList& txt) {
  // A long text is split in two stretches side by side, the second starting after the first
  // line end from the middle on.
  size_t cut = bytes.size();
  if (bytes.size() >= kBytesForTwoThreads) {
    const size_t lineEnd = bytes.find_first_of("\r\n", bytes.size() / 2);
    if (lineEnd != std::string_view::npos)
      cut = lineEnd + 1;
  }
  const bool halves = cut < bytes.size();
  std::string_view later = bytes.substr(cut);
  if (!later.empty() && bytes[cut - 1] == '\r' && later.front() == '\n')
    later.remove_prefix(1);  // the second half of a CR LF
  Stretch first, second;
  first.lines = NewStrList();
  // A text within the limits has at most one line more than it has bytes.
  first.lines.reserve(std::min<size_t>(bytes.size(), kMaxLines) + 2);
  RunSideBySide(
      halves, [&] { SplitStretch(bytes.substr(0, cut), first); },
      [&] {
        if (halves)
          SplitStretch(later, second);
      });

  // The message for the first line that fails, counted through both stretches, as reading
  // them one after the other would give it.
  txt = NewStrList();
  const auto firstCount = static_cast<long long>(first.lines.size()) - 1;
  auto tooLong = [](const Stretch& stretch, long long line) {
    return TextLimitBreach{TextLimitBreach::Kind::kLineTooLong, line, stretch.failLen,
                           stretch.failAtLeast};
  };
  const TextLimitBreach tooMany{TextLimitBreach::Kind::kTooManyLines};
  if (first.failLine != 0)
    return tooLong(first, first.failLine);
  if (first.overLimit)
    return tooMany;
  if (second.failLine != 0 && firstCount + second.failLine <= kMaxLines + 1)
    return tooLong(second, firstCount + second.failLine);
  if (second.failLine != 0 || second.overLimit ||
      firstCount + static_cast<long long>(second.lines.size()) > kMaxLines) {
    return tooMany;
  }
  txt = std::move(first.lines);
  std::move(second.lines.begin(), second.lines.end(), std::back_inserter(txt));
  // The lines stay for as long as the text: a short text gives back the room it did not use.
  if (txt.capacity() > 2 * txt.size())
    txt.shrink_to_fit();
  return {};
}

TextLimitBreach ReadTextLines(const std::string& path, StrList& txt, Status& status) {
  txt = NewStrList();
  std::string bytes;
  bool fits = false;
  status = ReadSmallTextFile(path, bytes, fits);
  if (!status.ok())
    return {};
  if (fits)
    return DecodeText(bytes, txt);
  return StreamText(path, txt, status);
}

TextLimitBreach StreamText(const std::string& path, StrList& txt, Status& status) {
  txt = NewStrList();
  ReadOnlyFile file;
  status = file.Open(path);
  if (!status.ok())
    return {};

  SjisDecoder decoder;
  std::string line;         // the current line's first bytes
  long long lineBytes = 0;  // all of its bytes
  bool afterCr = false;     // the previous byte ended a line with CR
  long long i = 0;
  TextLimitBreach result;

  // A file within the limits has at most one line more than it has bytes.
  txt.reserve(static_cast<size_t>(std::min<long long>(file.size(), kMaxLines) + 2));

  // Stores the current line, whose first bytes are kept (all of them unless it is too long);
  // false (with result set) when it fails a check.
  auto endLine = [&](std::string_view kept) {
    ++i;
    long long len = 0;
    std::u16string text = LineText(kept, lineBytes, decoder, len);
    line.clear();
    lineBytes = 0;
    if (len > kMaxLineBytes) {
      result = {TextLimitBreach::Kind::kLineTooLong, i, len, false};
    } else if (i > kMaxLines) {
      result = {TextLimitBreach::Kind::kTooManyLines};
    } else {
      txt.push_back(std::move(text));
      return true;
    }
    txt = NewStrList();
    return false;
  };

  char buf[1 << 16];
  for (;;) {
    const ssize_t got = ::read(file.fd(), buf, sizeof buf);
    if (got < 0) {
      if (errno == EINTR)
        continue;
      status = Status::FromErrno("read", path, errno);
      txt = NewStrList();
      return {};
    }
    if (got == 0)
      break;
    const char* p = buf;
    const char* const end = buf + got;
    if (afterCr && p < end) {
      afterCr = false;
      if (*p == '\n')
        ++p;  // CR LF is one line end
    }
    LineEndFinder lineEnds(p, end);
    while (p < end) {
      const char* const lineEnd = lineEnds.Next(p);
      const char* stop = lineEnd ? lineEnd : end;
      const size_t n = static_cast<size_t>(stop - p);
      // A line that lies whole in this piece is taken from it as it stands.
      const bool whole = lineEnd != nullptr && lineBytes == 0;
      if (!whole)
        line.append(p, std::min(n, kKeepBytes - std::min(kKeepBytes, line.size())));
      lineBytes += static_cast<long long>(n);
      if (lineBytes > kCountBytesUpTo) {
        result = {TextLimitBreach::Kind::kLineTooLong, i + 1, kCountBytesUpTo, true};
        txt = NewStrList();
        return result;
      }
      if (!lineEnd)
        break;
      if (!endLine(whole ? std::string_view(p, std::min(n, kKeepBytes)) : std::string_view(line)))
        return result;
      // A CR that ends the piece may have its LF at the start of the next.
      afterCr = *lineEnd == '\r' && lineEnd + 1 == end;
      p = AfterLineEnd(lineEnd, end);
    }
  }
  // A last line without a line end still counts.
  if (lineBytes > 0 && !endLine(line))
    return result;
  return result;
}

}  // namespace kelmoa
