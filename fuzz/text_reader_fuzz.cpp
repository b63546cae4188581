// Any file is read or rejected under the limits; accepted lines keep to them. Read whole or
// piece by piece, it gives the same lines or the same breach of the limits.
#include <cstdint>

#include "core/base/codepage.h"
#include "core/text/text_reader.h"
#include "fuzz/fuzz_util.h"

using namespace kelmoa;
using fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz::WriteInput("text.txt", data, size);
  StrList lines, pieces;
  Status status;
  const TextLimitBreach breach = ReadTextLines(path, lines, status);
  Require(status.ok());
  Require(StreamText(path, pieces, status) == breach && pieces == lines);
  if (breach.broken()) {
    Require(UpperBound(lines) == 0);
    return 0;
  }
  Require(UpperBound(lines) <= kMaxLines);
  for (size_t i = 1; i < lines.size(); ++i) {
    Require(GetSjisByteLen(lines[i]) <= kMaxLineBytes);
    Require(lines[i].find_first_of(u"\r\n") == std::u16string::npos);
  }
  return 0;
}
