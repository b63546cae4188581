// Small string and path helpers shared by the core.
#include "core/base/helpers.h"

#include <sys/stat.h>

#include <cmath>
#include <cstdio>

namespace kelmoa {

std::vector<std::u16string_view> SplitAt(std::u16string_view s, char16_t sep) {
  std::vector<std::u16string_view> parts;
  ForEachPiece(s, sep, [&](std::u16string_view part) { parts.push_back(part); });
  return parts;
}

bool IsAllDigits(std::u16string_view s) {
  if (s.empty())
    return false;
  for (const char16_t ch : s) {
    if (ch < u'0' || ch > u'9')
      return false;
  }
  return true;
}

bool IsEnglishWord(std::u16string_view s) {
  if (s.empty() || !IsAlphabet(s[0]))
    return false;
  for (const char16_t ch : s.substr(1)) {
    if (!IsWordChr(ch))
      return false;
  }
  return true;
}

std::u16string LowerAscii(std::u16string_view s) {
  std::u16string out(s);
  for (char16_t& ch : out) {
    if (ch >= u'A' && ch <= u'Z')
      ch = static_cast<char16_t>(ch + (u'a' - u'A'));
  }
  return out;
}

namespace {

// Position (0-based) of the last "/" among the characters before the last one, or npos.
size_t LastInnerSlash(const std::string& path) {
  if (path.size() < 2)
    return std::string::npos;
  return path.rfind('/', path.size() - 2);
}

}  // namespace

std::string GetFileNameOfPath(const std::string& path) {
  const size_t p = LastInnerSlash(path);
  return p == std::string::npos ? std::string() : path.substr(p + 1);
}

std::string GetBaseFolder(const std::string& path) {
  const size_t p = LastInnerSlash(path);
  return p == std::string::npos ? std::string() : path.substr(0, p);
}

bool IsFileExist(const std::string& path) {
  if (path.empty())
    return false;
  const size_t slash = path.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  if (nameStart < path.size() && path[nameStart] == '.')
    return false;
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsFolderExist(const std::string& path) {
  if (path.empty())
    return false;
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::tm LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  return t;
}

std::string FormatTimeOfDay(const std::tm& t) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.tm_hour, t.tm_min, t.tm_sec);
  return buf;
}

}  // namespace kelmoa

namespace kelmoa {

long long RoundHalfEven(double x) {
  return static_cast<long long>(std::nearbyint(x));
}

bool IsTextInRange(std::u16string_view text, int min, int max) {
  if (!IsAllDigits(text))
    return false;
  long long value = 0;
  for (const char16_t ch : text) {
    value = value * 10 + (ch - u'0');
    if (value > 0x7FFFFFFFLL)
      return false;
  }
  return value >= min && value <= max;
}

std::u16string MsgOutOfRange(std::u16string_view itemName, int min, int max) {
  const std::string lo = std::to_string(min), hi = std::to_string(max);
  return std::u16string(itemName) + u"：次の範囲で設定してください。\r\n    " +
         std::u16string(lo.begin(), lo.end()) + u"-" + std::u16string(hi.begin(), hi.end());
}

}  // namespace kelmoa
