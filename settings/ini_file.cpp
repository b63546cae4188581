#include "settings/ini_file.h"

#include <optional>
#include <vector>

#include "common/codepage.h"
#include "common/helpers.h"

namespace kelmoa {
namespace {

constexpr long long kMaxValueBytes = 99;

std::u16string_view Trim(std::u16string_view s) {
  const size_t first = s.find_first_not_of(u" \t");
  if (first == std::u16string_view::npos) return {};
  const size_t last = s.find_last_not_of(u" \t");
  return s.substr(first, last - first + 1);
}

bool SameName(std::u16string_view a, std::u16string_view b) {
  return LowerAscii(Trim(a)) == LowerAscii(Trim(b));
}

// The file's lines. Other programs may end lines with LF alone, so LF, CR LF and CR all end
// a line here.
std::vector<std::u16string> ReadLines(const std::string& path, bool& oExists) {
  std::string bytes;
  oExists = DefaultFileOps().ReadAll(path, bytes).ok();
  std::vector<std::u16string> lines;
  if (!oExists) return lines;
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
    if (text[end] == u'\r' && start < text.size() && text[start] == u'\n') ++start;
  }
  return lines;
}

// The section name of a "[name]" line.
std::optional<std::u16string_view> SectionOf(std::u16string_view line) {
  const std::u16string_view t = Trim(line);
  if (t.size() < 2 || t.front() != u'[') return std::nullopt;
  const size_t close = t.find(u']');
  if (close == std::u16string_view::npos) return std::nullopt;
  return t.substr(1, close - 1);
}

// Where the key of a "key=value" line ends (the "=" position), if it is one.
std::optional<size_t> EqualsOf(std::u16string_view line) {
  const size_t eq = line.find(u'=');
  if (eq == std::u16string_view::npos || Trim(line.substr(0, eq)).empty()) return std::nullopt;
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
      if (inSection) break;  // the section ended
      inSection = SameName(*name, section);
      if (inSection) f.sectionLine = f.lastLine = static_cast<long>(i);
      continue;
    }
    if (!inSection) continue;
    if (!Trim(lines[i]).empty()) f.lastLine = static_cast<long>(i);
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
  if (f.keyLine < 0) return std::u16string(defaultValue);
  const std::u16string_view line = lines[static_cast<size_t>(f.keyLine)];
  std::u16string_view value = Trim(line.substr(*EqualsOf(line) + 1));
  if (value.size() >= 2 && value.front() == u'"' && value.back() == u'"') {
    value = value.substr(1, value.size() - 2);
  }
  std::u16string result;
  long long bytes = 0;
  for (const char16_t ch : value) {
    if (ch == u'\0') break;
    bytes += IsDoubleByteChar(ch) ? 2 : 1;
    if (bytes > kMaxValueBytes) break;
    result += ch;
  }
  return result;
}

Status SetIniValue(const std::string& path, std::u16string_view section, std::u16string_view key,
                   std::u16string_view value, FileOps& fs) {
  bool exists = false;
  std::vector<std::u16string> lines = ReadLines(path, exists);
  const Found f = Find(lines, section, key);
  if (f.keyLine >= 0) {
    std::u16string& line = lines[static_cast<size_t>(f.keyLine)];
    line.replace(*EqualsOf(line) + 1, std::u16string::npos, value);
  } else {
    const std::u16string entry = std::u16string(key) + u"=" + std::u16string(value);
    if (f.sectionLine >= 0) {
      lines.insert(lines.begin() + f.lastLine + 1, entry);
    } else {
      lines.push_back(u"[" + std::u16string(section) + u"]");
      lines.push_back(entry);
    }
  }
  std::u16string text;
  for (const std::u16string& line : lines) text += line + u"\r\n";
  return ReplaceFileAtomically(fs, path, Utf16ToSjis(text));
}

}  // namespace kelmoa
