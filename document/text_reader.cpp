#include "document/text_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/codepage.h"

namespace kelmoa {
namespace {

std::u16string Num(long long n) {
  const std::string s = std::to_string(n);
  return std::u16string(s.begin(), s.end());
}

// Bytes of a line kept for decoding. Longer lines are rejected whatever they hold (every
// character counts at least one byte of the two it can take), so only their length is kept.
constexpr size_t kKeepBytes = size_t{4} * kMaxLineBytes;

// Reading a line stops once it is this long: the file is rejected anyway, and a file of
// gigabytes without a line end (or a sparse one) must not keep the reader busy. The message
// then gives the length as "at least" this many bytes.
constexpr long long kCountBytesUpTo = 1LL << 20;

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

}  // namespace

std::u16string MsgLineTooLong(long long lineNo, long long byteLen) {
  return u"1行のバイト数が" + Num(kMaxLineBytes) + u"を超えている行があります。\r\n" + u"  " +
         Num(lineNo) + u"行目：" + Num(byteLen) + u"バイト\r\n\r\n" +
         u"エディタで開いて，改行を加えてすべての行を" + Num(kMaxLineBytes) +
         u"バイト以下にしてから，\r\n" + u"再度このテキストファイルを指定してください。";
}

std::u16string MsgLineTooLongAtLeast(long long lineNo, long long byteLen) {
  std::u16string msg = MsgLineTooLong(lineNo, byteLen);
  const std::u16string unit = u"バイト\r\n\r\n";
  msg.insert(msg.find(unit) + 3, u"以上");
  return msg;
}

std::u16string MsgTooManyLines() {
  return u"読込むテキストファイルの行数は" + Num(kMaxLines) + u"行までです。";
}

std::u16string ReadFileToAryAndChkMsg(const std::string& pPath, StrList& oTxt, Status& oStatus) {
  oTxt = NewStrList();
  oStatus = Status::Ok();
  // Non-blocking, so that a pipe with no writer cannot hold the window; only plain files are
  // read at all.
  const int fd = ::open(pPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    oStatus = Status::FromErrno("open", pPath, errno);
    return {};
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    oStatus = Status::FromErrno("read", pPath, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    return {};
  }

  SjisDecoder decoder;
  std::string line;         // the current line's first bytes
  long long lineBytes = 0;  // all of its bytes
  bool afterCr = false;     // the previous byte ended a line with CR
  long long i = 0;
  std::u16string result;

  // A file within the limits has at most one line more than it has bytes.
  oTxt.reserve(static_cast<size_t>(std::min<long long>(st.st_size, kMaxLines) + 2));

  // Stores the current line, whose first bytes are kept (all of them unless it is too long);
  // false (with result set) when it fails a check.
  auto endLine = [&](std::string_view kept) {
    ++i;
    std::u16string text;
    long long len = lineBytes;
    if (kept.size() == static_cast<size_t>(lineBytes)) {
      if (IsAscii(kept)) {
        // A line of English needs no converter.
        text = WidenAscii(kept);
      } else {
        text = decoder.Decode(kept);
        len = GetSjisByteLen(text);
      }
    }
    line.clear();
    lineBytes = 0;
    if (len > kMaxLineBytes) {
      result = MsgLineTooLong(i, len);
    } else if (i > kMaxLines) {
      result = MsgTooManyLines();
    } else {
      oTxt.push_back(std::move(text));
      return true;
    }
    oTxt = NewStrList();
    return false;
  };

  char buf[1 << 16];
  for (;;) {
    const ssize_t got = ::read(fd, buf, sizeof buf);
    if (got < 0) {
      if (errno == EINTR)
        continue;
      oStatus = Status::FromErrno("read", pPath, errno);
      oTxt = NewStrList();
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
    while (p < end) {
      const char* cr = static_cast<const char*>(std::memchr(p, '\r', static_cast<size_t>(end - p)));
      const char* stop = cr ? cr : end;
      const size_t n = static_cast<size_t>(stop - p);
      // A line that lies whole in this piece is taken from it as it stands.
      const bool whole = cr != nullptr && lineBytes == 0;
      if (!whole)
        line.append(p, std::min(n, kKeepBytes - std::min(kKeepBytes, line.size())));
      lineBytes += static_cast<long long>(n);
      if (lineBytes > kCountBytesUpTo) {
        result = MsgLineTooLongAtLeast(i + 1, kCountBytesUpTo);
        oTxt = NewStrList();
        return result;
      }
      if (!cr)
        break;
      if (!endLine(whole ? std::string_view(p, std::min(n, kKeepBytes)) : std::string_view(line)))
        return result;
      p = cr + 1;
      if (p == end) {
        afterCr = true;  // an LF may begin the next piece
      } else if (*p == '\n') {
        ++p;
      }
    }
  }
  // A last line without a line end still counts.
  if (lineBytes > 0 && !endLine(line))
    return result;
  return result;
}

}  // namespace kelmoa
