// Reads FreeDict's English-Japanese dictionary (dictd format) for the dictionary import.
#include "core/dictionary/freedict_import.h"

#include <zlib.h>

#include <algorithm>

#include "core/base/codepage.h"
#include "core/base/helpers.h"
#include "core/dictionary/phrases.h"

namespace kelmoa {
namespace {

// A dictd number: base 64 with the digits A-Z a-z 0-9 + /. False for anything else or one too
// large to be an offset.
bool DecodeNumber(std::string_view digits, size_t& value) {
  value = 0;
  if (digits.empty() || digits.size() > 8)
    return false;
  for (const char c : digits) {
    int d = 0;
    if (c >= 'A' && c <= 'Z')
      d = c - 'A';
    else if (c >= 'a' && c <= 'z')
      d = c - 'a' + 26;
    else if (c >= '0' && c <= '9')
      d = c - '0' + 52;
    else if (c == '+')
      d = 62;
    else if (c == '/')
      d = 63;
    else
      return false;
    value = value * 64 + static_cast<size_t>(d);
  }
  return true;
}

bool IsJapaneseChar(char16_t c) {
  return (c >= u'\u3040' && c <= u'\u30FF') || (c >= u'\u3400' && c <= u'\u4DBF') ||
         (c >= u'\u4E00' && c <= u'\u9FFF') || c == u'\u3005' || c == u'\u3006' || c == u'\uFF5E';
}

std::u16string_view TrimSpaces(std::u16string_view s) {
  while (!s.empty() && (s.front() == u' ' || s.front() == u'\t'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == u' ' || s.back() == u'\t'))
    s.remove_suffix(1);
  return s;
}

// Takes a sense number "12." off the front or the end of a piece.
std::u16string_view WithoutSenseNumber(std::u16string_view s) {
  s = TrimSpaces(s);
  size_t digits = 0;
  while (digits < s.size() && s[digits] >= u'0' && s[digits] <= u'9')
    ++digits;
  if (digits > 0 && digits < s.size() && s[digits] == u'.')
    s = TrimSpaces(s.substr(digits + 1));
  if (s.ends_with(u'.')) {
    size_t from = s.size() - 1;
    while (from > 0 && s[from - 1] >= u'0' && s[from - 1] <= u'9')
      --from;
    if (from < s.size() - 1 && (from == 0 || s[from - 1] == u' '))
      s = TrimSpaces(s.substr(0, from));
  }
  return s;
}

WordClass ClassOfHeader(std::u16string_view header) {
  const size_t open = header.rfind(u'<');
  const size_t close = header.rfind(u'>');
  if (open == std::u16string_view::npos || close == std::u16string_view::npos || close < open)
    return WordClass::kOther;
  const std::u16string_view pos = header.substr(open + 1, close - open - 1);
  if (pos == u"n")
    return WordClass::kNoun;
  if (pos == u"v")
    return WordClass::kVerb;
  if (pos == u"adj")
    return WordClass::kAdjective;
  if (pos == u"adv")
    return WordClass::kAdverb;
  return WordClass::kOther;
}

// Appends the translations of one entry's text to out; the entry is the one of a head word of
// headLength characters.
void ReadEntry(std::u16string_view text, size_t headLength, std::vector<FreedictTranslation>& out) {
  size_t lineEnd = text.find(u'\n');
  const WordClass wordClass = ClassOfHeader(text.substr(0, lineEnd));
  const std::u16string_view written = text.substr(0, std::min(headLength, lineEnd));
  const bool abbreviation = std::none_of(written.begin(), written.end(),
                                         [](char16_t c) { return c >= u'a' && c <= u'z'; });
  while (lineEnd != std::u16string_view::npos) {
    const size_t start = lineEnd + 1;
    lineEnd = text.find(u'\n', start);
    const std::u16string_view line =
        text.substr(start, lineEnd == std::u16string_view::npos ? lineEnd : lineEnd - start);
    std::vector<std::u16string_view> seen;  // a sense that repeats a word counts it once
    size_t from = 0;
    for (;;) {
      const size_t comma = line.find(u',', from);
      const std::u16string_view piece = WithoutSenseNumber(
          line.substr(from, comma == std::u16string_view::npos ? comma : comma - from));
      if (!piece.empty() && std::all_of(piece.begin(), piece.end(), IsJapaneseChar) &&
          Cp932BytesOrMinus(piece) > 0 &&
          std::find(seen.begin(), seen.end(), piece) == seen.end()) {
        seen.push_back(piece);
        const auto it = std::find_if(out.begin(), out.end(), [&](const FreedictTranslation& t) {
          return t.japanese == piece && t.wordClass == wordClass;
        });
        if (it == out.end())
          out.push_back({std::u16string(piece), wordClass, 1, abbreviation});
        else
          ++it->senses;
      }
      if (comma == std::u16string_view::npos)
        break;
      from = comma + 1;
    }
  }
}

}  // namespace

Status ReadFreedict(std::string_view index, std::string_view entries, FreedictWords& words) {
  words.clear();
  long long usable = 0;
  size_t start = 0;
  while (start < index.size()) {
    size_t end = index.find('\n', start);
    if (end == std::string_view::npos)
      end = index.size();
    const std::string_view line = index.substr(start, end - start);
    start = end + 1;
    const size_t tab1 = line.find('\t');
    const size_t tab2 = tab1 == std::string_view::npos ? tab1 : line.find('\t', tab1 + 1);
    size_t offset = 0, length = 0;
    if (tab2 == std::string_view::npos ||
        !DecodeNumber(line.substr(tab1 + 1, tab2 - tab1 - 1), offset) ||
        !DecodeNumber(line.substr(tab2 + 1), length)) {
      continue;
    }
    const std::u16string head = LowerAscii(Utf8ToUtf16(line.substr(0, tab1)));
    if ((head.size() < 2 || !IsEnglishWord(head)) && PhraseWords(head).empty())
      continue;
    if (offset > entries.size() || length > entries.size() - offset) {
      return Status::Make(StatusCode::kCorrupt, "",
                          "the index points past the end of the entries (word \"" +
                              std::string(line.substr(0, tab1)) + "\")");
    }
    ++usable;
    ReadEntry(Utf8ToUtf16(entries.substr(offset, length)), head.size(), words[head]);
  }
  if (usable == 0)
    return Status::Make(StatusCode::kCorrupt, "",
                        "no dictd index line of a one-word English head word found");
  return Status::Ok();
}

Status Gunzip(std::string_view gz, std::string& unpacked) {
  unpacked.clear();
  z_stream zs{};
  // 16 + MAX_WBITS: a gzip header and trailer around the deflate data.
  if (inflateInit2(&zs, 16 + MAX_WBITS) != Z_OK)
    return Status::Error("zlib cannot start decompressing");
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(gz.data()));
  zs.avail_in = static_cast<uInt>(gz.size());
  char buffer[1 << 16];
  int rc = Z_OK;
  for (;;) {
    zs.next_out = reinterpret_cast<Bytef*>(buffer);
    zs.avail_out = sizeof buffer;
    rc = inflate(&zs, Z_NO_FLUSH);
    unpacked.append(buffer, sizeof buffer - zs.avail_out);
    if (rc == Z_STREAM_END && zs.avail_in > 0) {
      inflateReset(&zs);  // another member follows
      continue;
    }
    if (rc != Z_OK)
      break;
  }
  inflateEnd(&zs);
  if (rc != Z_STREAM_END) {
    unpacked.clear();
    return Status::Make(StatusCode::kCorrupt, "", "not gzip data, or cut short");
  }
  return Status::Ok();
}

}  // namespace kelmoa
