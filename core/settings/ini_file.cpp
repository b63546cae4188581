// The settings file in the profile ("ini") format, keeping other programs' lines.
#include "core/settings/ini_file.h"

#include <optional>
#include <vector>

#include "core/base/codepage.h"
#include "core/base/helpers.h"

namespace kelmoa {
namespace {

constexpr long long kMaxValueBytes = 99;

std::u16string_view Trim(std::u16string_view s) {
  const size_t first = s.find_first_not_of(u" \t");
  if (first == std::u16string_view::npos)
    return {};
  const size_t last = s.find_last_not_of(u" \t");
  return s.substr(first, last - first + 1);
}

bool SameName(std::u16string_view a, std::u16string_view b) {
  return LowerAscii(Trim(a)) == LowerAscii(Trim(b));
}

// The file's lines. Other programs may end lines with LF alone, so LF, CR LF and CR all end
// a line here.
std::vector<std::u16string> ReadLines(const std::string& path, bool& exists) {
  std::string bytes;
  exists = DefaultFileOps().ReadAll(path, bytes).ok();
  std::vector<std::u16string> lines;
  if (!exists)
    return lines;
  const std::u16string text = SjisToUtf16(bytes);
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find_first_of(u"\r\n", start);
    if (end == std::u16string::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == u'\r' && start < text.size() && text[start] == u'\n')
      ++start;
  }
  return lines;
}

// The section name of a "[name]" line.
std::optional<std::u16string_view> SectionOf(std::u16string_view line) {
  const std::u16string_view t = Trim(line);
  if (t.size() < 2 || t.front() != u'[')
    return std::nullopt;
  const size_t close = t.find(u']');
  if (close == std::u16string_view::npos)
    return std::nullopt;
  return t.substr(1, close - 1);
}

// Where the key of a "key=value" line ends (the "=" position), if it is one.
std::optional<size_t> EqualsOf(std::u16string_view line) {
  const size_t eq = line.find(u'=');
  if (eq == std::u16string_view::npos || Trim(line.substr(0, eq)).empty())
    return std::nullopt;
  return eq;
}

struct Found {
  long sectionLine = -1;  // index of the "[section]" line
  long keyLine = -1;      // index of the key's line
  long lastLine = -1;     // last non-empty line of the section
};

Found Find(const std::vector<std::u16string>& lines, std::u16string_view section,
           std::u16string_view key) {
  Found f;
  bool inSection = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (const auto name = SectionOf(lines[i])) {
      if (inSection)
        break;  // the section ended
      inSection = SameName(*name, section);
      if (inSection)
        f.sectionLine = f.lastLine = static_cast<long>(i);
      continue;
    }
    if (!inSection)
      continue;
    if (!Trim(lines[i]).empty())
      f.lastLine = static_cast<long>(i);
    const auto eq = EqualsOf(lines[i]);
    if (eq && f.keyLine < 0 && SameName(std::u16string_view(lines[i]).substr(0, *eq), key)) {
      f.keyLine = static_cast<long>(i);
    }
  }
  return f;
}

}  // namespace

std::u16string GetIniValue(const std::string& path, std::u16string_view section,
                           std::u16string_view key, std::u16string_view defaultValue) {
  bool exists = false;
  const std::vector<std::u16string> lines = ReadLines(path, exists);
  const Found f = Find(lines, section, key);
  if (f.keyLine < 0)
    return std::u16string(defaultValue);
  const std::u16string_view line = lines[static_cast<size_t>(f.keyLine)];
  std::u16string_view value = Trim(line.substr(*EqualsOf(line) + 1));
  if (value.size() >= 2 && value.front() == u'"' && value.back() == u'"') {
    value = value.substr(1, value.size() - 2);
  }
  std::u16string result;
  long long bytes = 0;
  for (const char16_t ch : value) {
    if (ch == u'\0')
      break;
    bytes += IsDoubleByteChar(ch) ? 2 : 1;
    if (bytes > kMaxValueBytes)
      break;
    result += ch;
  }
  return result;
}

namespace {

// One line of the file as stored: its bytes, its own line end (CR LF, CR, LF, or none for a
// last line without one), and its text decoded, to find sections and keys by.
struct StoredLine {
  std::string bytes;
  std::string end;
  std::u16string text;
};

// The file's lines as they are stored, none for a missing file. LF, CR LF and CR all end a
// line, as when reading. A file that is there but cannot be read is an error: written anew
// from nothing, it would lose every line but the one written.
Status ReadStoredLines(const std::string& path, FileOps& fs, std::vector<StoredLine>& lines) {
  std::string bytes;
  lines.clear();
  if (Status s = fs.ReadAll(path, bytes); !s.ok()) {
    if (s.IsNotFound() && !fs.Exists(path))
      return Status::Ok();
    return Status::Found(s.code(),
                         s.IsInvalidArgument() ? Finding::kNotPlainFile : Finding::kUnreadable,
                         "read " + path, s.reason());
  }
  SjisDecoder decoder;
  size_t start = 0;
  while (start < bytes.size()) {
    const size_t end = bytes.find_first_of("\r\n", start);
    StoredLine line;
    line.bytes = bytes.substr(start, end == std::string::npos ? end : end - start);
    if (end == std::string::npos) {
      start = bytes.size();
    } else {
      const size_t next = bytes.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1;
      line.end = bytes.substr(end, next - end);
      start = next;
    }
    line.text = decoder.Decode(line.bytes);
    lines.push_back(std::move(line));
  }
  return Status::Ok();
}

}  // namespace

Status SetIniValue(const std::string& path, std::u16string_view section, std::u16string_view key,
                   std::u16string_view value, FileOps& fs) {
  // Only the key's own line is written anew; every other line goes back byte for byte with its
  // own line end, so that what other programs keep in the file (in codes this program cannot
  // read, or with Linux line ends) comes through unchanged.
  std::vector<StoredLine> lines;
  if (Status s = ReadStoredLines(path, fs, lines); !s.ok())
    return s;
  std::vector<std::u16string> texts;
  texts.reserve(lines.size());
  for (const StoredLine& line : lines)
    texts.push_back(line.text);
  const Found f = Find(texts, section, key);
  if (f.keyLine >= 0) {
    // The key keeps its spelling and the spaces around it: everything up to "=" stays. "=" is
    // below every second byte of a double-byte character, so its first byte is the first "=".
    StoredLine& line = lines[static_cast<size_t>(f.keyLine)];
    line.bytes.resize(line.bytes.find('=') + 1);
    line.bytes += Utf16ToSjis(value);
  } else {
    const std::string entry = Utf16ToSjis(std::u16string(key) + u"=" + std::u16string(value));
    // New lines end as the line before them does; the file's last line gets an end when a
    // line follows it now.
    const auto add = [&](size_t at, std::string bytes) {
      std::string end = "\r\n";
      if (at > 0) {
        StoredLine& before = lines[at - 1];
        if (before.end.empty())
          before.end = "\r\n";
        end = before.end;
      }
      lines.insert(lines.begin() + static_cast<long>(at), StoredLine{std::move(bytes), end, {}});
    };
    if (f.sectionLine >= 0) {
      add(static_cast<size_t>(f.lastLine) + 1, entry);
    } else {
      add(lines.size(), Utf16ToSjis(u"[" + std::u16string(section) + u"]"));
      add(lines.size(), entry);
    }
  }
  std::string bytes;
  for (const StoredLine& line : lines)
    bytes += line.bytes + line.end;
  return ReplaceFileAtomically(fs, path, bytes);
}

}  // namespace kelmoa
