// Conversions between the file encoding (CP932), UTF-8 and the UTF-16 the program works in.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>

namespace kelmoa {

// One iconv conversion, opened once and closed when it goes out of scope. It throws nothing:
// when iconv knows none of the source encodings, valid() is false and every conversion fails.
class IconvConverter {
 public:
  // Opens the first of the source encodings iconv knows.
  IconvConverter(const char* to, std::initializer_list<const char*> froms);
  IconvConverter(const char* to, const char* from) : IconvConverter(to, {from}) {}
  IconvConverter(const IconvConverter&) = delete;
  IconvConverter& operator=(const IconvConverter&) = delete;
  ~IconvConverter();

  bool valid() const;
  // Converts as much as it can and advances the pointers; returns iconv's result, -1 with
  // errno set on a failure (EBADF when the converter is not valid).
  size_t Run(const char** in, size_t* inLeft, char** out, size_t* outLeft);
  // Back to the initial shift state.
  void Reset();

  // Converts all of in into out (outUnits long at first, then cut to what was written);
  // false when in holds an invalid or unconvertible sequence, or out is too short.
  template <typename In, typename Out>
  bool ConvertWhole(std::basic_string_view<In> in, std::basic_string<Out>& out, size_t outUnits) {
    out.resize(outUnits);
    Reset();
    const char* pin = reinterpret_cast<const char*>(in.data());
    size_t inLeft = in.size() * sizeof(In);
    char* pout = reinterpret_cast<char*>(out.data());
    size_t outLeft = out.size() * sizeof(Out);
    const size_t r = Run(&pin, &inLeft, &pout, &outLeft);
    out.resize(out.size() - outLeft / sizeof(Out));
    return r != static_cast<size_t>(-1) && inLeft == 0;
  }

 private:
  void* mCd;  // an iconv_t
};

// Conversions between the file encoding (Microsoft code page 932, "Shift_JIS" in this
// program's texts) and UTF-16 in memory. Every CP932 character is one UTF-16 code unit.

// Decodes CP932 bytes. A byte that does not start a valid character becomes U+FFFD, one
// replacement per byte, so that a line's byte count survives decoding.
std::u16string SjisToUtf16(std::string_view bytes);

// Decodes CP932 line by line without reopening the converter for every line.
class SjisDecoder {
 public:
  SjisDecoder();
  SjisDecoder(const SjisDecoder&) = delete;
  SjisDecoder& operator=(const SjisDecoder&) = delete;
  ~SjisDecoder();
  // As SjisToUtf16.
  std::u16string Decode(std::string_view bytes);
  // Where the bytes of the last Decode held the first byte that starts no CP932 character
  // (or a character CP932 has no Unicode for); npos when every byte decoded.
  size_t FirstBadByte() const { return mFirstBad; }

 private:
  IconvConverter mCd;
  size_t mFirstBad = std::u16string::npos;
};

// Where text holds the first character CP932 cannot encode, npos when there is none. A
// character outside the basic plane (a surrogate pair, such as an emoji) is one of them.
size_t FindNonSjis(std::u16string_view text);

// Encodes to CP932. A character CP932 cannot encode is written as "?". The conversion is
// iconv's, looked up in a table made once from it.
std::string Utf16ToSjis(std::u16string_view text);
// The same, appended to out.
void AppendSjis(std::u16string_view text, std::string& out);
// The same, written at out, which must have room for 2 * text.size() bytes (more than is
// used: the bytes after the returned end may be overwritten). Returns the end.
char* WriteSjis(std::u16string_view text, char* out);

// The CP932 bytes of every code unit ready to store: the first byte in bits 0-7, the second
// (if any) in bits 8-15, the number of bytes in bits 16-23; "?" where CP932 has no character.
const std::array<uint32_t, 65536>& SjisStores();

// Writes one code unit at out (room for two bytes) and returns the end. Both bytes are stored
// and out moves on by the unit's length, so that a mix of one- and two-byte characters costs
// no branch: the next unit overwrites what was stored too much.
inline char* WriteSjisUnit(const std::array<uint32_t, 65536>& stores, char16_t ch, char* out) {
  const uint32_t v = stores[ch];
  const auto two = static_cast<uint16_t>(v);
  std::memcpy(out, &two, 2);
  return out + (v >> 16);
}

// Number of bytes of text in CP932: 2 for a double-byte character, 1 for everything else
// (a character CP932 cannot encode is written as one "?").
long long GetSjisByteLen(std::u16string_view text);

// Bytes each UTF-16 code unit takes in CP932 (1 or 2), indexed by the unit; worked out once.
const std::array<uint8_t, 65536>& SjisByteLengths();

// True when the code unit takes two bytes in CP932.
inline bool IsDoubleByteChar(char16_t ch) {
  return SjisByteLengths()[ch] == 2;
}

// Decodes bytes in another encoding that iconv knows ("UTF-8", "UTF-16LE", "EUC-JP-MS", ...)
// into out. A malformed or cut-off sequence becomes one U+FFFD for every unitBytes bytes it
// holds, and decoding goes on after it. False (out empty) when iconv has no such encoding.
bool DecodeToUtf16(std::string_view bytes, const char* encoding, size_t unitBytes,
                   std::u16string& out);

// UTF-8 for the command-line companion and for file-system paths.
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

// Shorthand for ASCII and UTF-8 literals in code and tests.
inline std::u16string U16(std::string_view utf8) {
  return Utf8ToUtf16(utf8);
}

}  // namespace kelmoa
