// Conversions between CP932 bytes, UTF-8 and UTF-16 through iconv.
#include "core/base/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>

namespace kelmoa {

// The conversions name UTF-16LE: char16_t strings are in the machine's order.
static_assert(std::endian::native == std::endian::little);
static_assert(sizeof(wchar_t) == sizeof(char32_t));
static_assert(std::is_same_v<iconv_t, void*>);

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

}  // namespace

IconvConverter::IconvConverter(const char* to, std::initializer_list<const char*> froms)
    : mCd(kNoConverter) {
  for (const char* from : froms) {
    mCd = iconv_open(to, from);
    if (mCd != kNoConverter)
      return;
  }
}

IconvConverter::~IconvConverter() {
  if (mCd != kNoConverter)
    iconv_close(mCd);
}

bool IconvConverter::valid() const {
  return mCd != kNoConverter;
}

size_t IconvConverter::Run(const char** in, size_t* inLeft, char** out, size_t* outLeft) {
  if (mCd == kNoConverter) {
    errno = EBADF;
    return static_cast<size_t>(-1);
  }
  return iconv(mCd, const_cast<char**>(in), inLeft, out, outLeft);
}

void IconvConverter::Reset() {
  if (mCd != kNoConverter)
    iconv(mCd, nullptr, nullptr, nullptr, nullptr);
}

namespace {

using Converter = IconvConverter;

// Converts `in` with cd into units of type Out; on an invalid or unconvertible input unit,
// skips `skip` input bytes and appends `replacement`.
template <typename Out>
std::basic_string<Out> ConvertAll(Converter& cd, const char* in, size_t inLeft, size_t skip,
                                  Out replacement) {
  std::basic_string<Out> result;
  if (!cd.valid())
    return result;
  result.resize(inLeft + 16);
  size_t used = 0;
  cd.Reset();
  while (inLeft > 0) {
    char* out = reinterpret_cast<char*>(result.data() + used);
    size_t outLeft = (result.size() - used) * sizeof(Out);
    const size_t before = outLeft;
    const size_t r = cd.Run(&in, &inLeft, &out, &outLeft);
    used += (before - outLeft) / sizeof(Out);
    if (r != static_cast<size_t>(-1))
      break;
    if (errno == E2BIG) {
      result.resize(result.size() * 2 + 16);
    } else {  // EILSEQ or EINVAL (a sequence cut off at the end)
      const size_t n = skip < inLeft ? skip : inLeft;
      in += n;
      inLeft -= n;
      if (used == result.size())
        result.resize(result.size() * 2 + 16);
      result[used++] = replacement;
      cd.Reset();
    }
  }
  result.resize(used);
  return result;
}

}  // namespace

// Byte lengths of every UTF-16 code unit in CP932, worked out once with iconv.
namespace {

// The CP932 code of every UTF-16 code unit as iconv converts it, worked out once: one byte
// below 0x100, a lead and a trail byte above; kNoCode where CP932 has no character.
constexpr uint16_t kNoCode = 0xFFFF;

const std::array<uint16_t, 65536>& SjisCodes() {
  static const std::array<uint16_t, 65536> table = [] {
    std::array<uint16_t, 65536> t{};
    Converter cd("CP932", "WCHAR_T");
    for (uint32_t u = 0; u < 65536; ++u) {
      const char32_t in = u;
      const char* pin = reinterpret_cast<const char*>(&in);
      size_t inLeft = sizeof in;
      unsigned char out[8];
      char* pout = reinterpret_cast<char*>(out);
      size_t outLeft = sizeof out;
      cd.Reset();
      const size_t r = cd.Run(&pin, &inLeft, &pout, &outLeft);
      const size_t len = sizeof out - outLeft;
      if (r == static_cast<size_t>(-1) || len == 0 || len > 2) {
        t[u] = kNoCode;
      } else {
        t[u] = len == 1 ? out[0] : static_cast<uint16_t>(out[0] << 8 | out[1]);
      }
    }
    return t;
  }();
  return table;
}

}  // namespace

const std::array<uint8_t, 65536>& SjisByteLengths() {
  static const std::array<uint8_t, 65536> table = [] {
    std::array<uint8_t, 65536> t{};
    const auto& codes = SjisCodes();
    for (uint32_t u = 0; u < 65536; ++u)
      t[u] = codes[u] != kNoCode && codes[u] > 0xFF ? 2 : 1;
    return t;
  }();
  return table;
}

namespace {}  // namespace

const std::array<uint32_t, 65536>& SjisStores() {
  static const std::array<uint32_t, 65536> table = [] {
    std::array<uint32_t, 65536> t{};
    const auto& codes = SjisCodes();
    for (uint32_t u = 0; u < 65536; ++u) {
      const uint16_t code = codes[u];
      if (code == kNoCode) {
        t[u] = 1U << 16 | '?';
      } else if (code > 0xFF) {
        t[u] = 2U << 16 | (code & 0xFFU) << 8 | code >> 8;
      } else {
        t[u] = 1U << 16 | code;
      }
    }
    return t;
  }();
  return table;
}

char* WriteSjis(std::u16string_view text, char* out) {
  const auto& stores = SjisStores();
  for (const char16_t ch : text)
    out = WriteSjisUnit(stores, ch, out);
  return out;
}

void AppendSjis(std::u16string_view text, std::string& out) {
  const size_t old = out.size();
  out.resize(old + text.size() * 2);  // room for the longest encoding
  char* const end = WriteSjis(text, out.data() + old);
  out.resize(static_cast<size_t>(end - out.data()));
}

std::u16string SjisToUtf16(std::string_view bytes) {
  SjisDecoder decoder;
  return decoder.Decode(bytes);
}

// Decoding goes to the C library's own wide characters (UCS-4), its fastest path, and is then
// narrowed: every CP932 character lies in the basic plane, so each is one UTF-16 unit.
SjisDecoder::SjisDecoder() : mCd("WCHAR_T", "CP932") {}

SjisDecoder::~SjisDecoder() = default;

std::u16string SjisDecoder::Decode(std::string_view bytes) {
  // Converts a piece at a time into a small buffer, so that a large file costs no big
  // intermediate copy. CP932 keeps no state between characters, and a failed character is
  // followed by a reset, so the converter is always ready for the next call.
  constexpr size_t kPiece = 4096;
  char32_t wide[kPiece];
  char16_t narrow[kPiece];
  std::u16string text;
  text.reserve(bytes.size());  // one unit per byte at most; only what is used is touched
  const char* in = bytes.data();
  size_t inLeft = bytes.size();
  mFirstBad = std::u16string::npos;
  while (inLeft > 0) {
    char* out = reinterpret_cast<char*>(wide);
    size_t outLeft = sizeof wide;
    const size_t r = mCd.Run(&in, &inLeft, &out, &outLeft);
    const size_t got = (sizeof wide - outLeft) / sizeof(char32_t);
    for (size_t i = 0; i < got; ++i) {
      if (wide[i] > 0xFFFF) {
        // CP932 has no such character; should a converter give one, only the end of the
        // piece it came in is known, which is near enough to name its line.
        narrow[i] = u'\uFFFD';
        if (mFirstBad == std::u16string::npos)
          mFirstBad = static_cast<size_t>(in - bytes.data()) - 1;
      } else {
        narrow[i] = static_cast<char16_t>(wide[i]);
      }
    }
    text.append(narrow, got);
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      // A byte that starts no character (or a character cut off at the end) becomes one
      // replacement character, and decoding goes on after it.
      if (mFirstBad == std::u16string::npos)
        mFirstBad = static_cast<size_t>(in - bytes.data());
      ++in;
      --inLeft;
      text.push_back(u'\uFFFD');
      mCd.Reset();
    }
  }
  return text;
}

bool DecodeToUtf16(std::string_view bytes, const char* encoding, size_t unitBytes,
                   std::u16string& out) {
  out.clear();
  Converter cd("UTF-16LE", encoding);
  if (!cd.valid())
    return false;  // no such encoding here
  try {
    out = ConvertAll<char16_t>(cd, bytes.data(), bytes.size(), unitBytes, u'\uFFFD');
  } catch (const std::bad_alloc&) {
    return false;  // no memory for the text
  }
  return true;
}

std::string Utf16ToSjis(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  AppendSjis(text, out);
  return out;
}

size_t FindNonSjis(std::u16string_view text) {
  const auto& codes = SjisCodes();
  for (size_t i = 0; i < text.size(); ++i) {
    if (codes[text[i]] == kNoCode)
      return i;
  }
  return std::u16string_view::npos;
}

long long GetSjisByteLen(std::u16string_view text) {
  const auto& table = SjisByteLengths();
  long long n = 0;
  for (const char16_t ch : text)
    n += table[ch];
  return n;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  Converter cd("UTF-8", "UTF-16LE");
  return ConvertAll<char>(cd, reinterpret_cast<const char*>(text.data()),
                          text.size() * sizeof(char16_t), sizeof(char16_t), '?');
}

std::u16string Utf8ToUtf16(std::string_view text) {
  Converter cd("UTF-16LE", "UTF-8");
  return ConvertAll<char16_t>(cd, text.data(), text.size(), 1, u'\uFFFD');
}

}  // namespace kelmoa
