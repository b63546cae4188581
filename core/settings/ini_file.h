// The settings file in the profile ("ini") format, keeping other programs' lines.
#pragma once

#include <string>

#include "core/base/file_ops.h"
#include "core/base/status.h"

namespace kelmoa {

// A settings file in the profile ("ini") format: "[section]" lines, each followed by
// "key=value" lines; CP932 text. Section and key names are matched without regard to case.

// The value stored for the key, or defaultValue when the file, the section or the key is
// missing. Spaces and tabs around the value are dropped, and one pair of double quotes around
// it. At most 99 bytes of a value arrive, cut at a character boundary; it ends at the first NUL.
std::u16string GetIniValue(const std::string& path, std::u16string_view section,
                           std::u16string_view key, std::u16string_view defaultValue);

// Writes the value: an existing key keeps its place and spelling and gets the new value; a new
// key goes at the end of its section; a missing section is added at the end; a missing file is
// created. Every other line stays as it was, byte for byte with its own line end; a new line
// ends as the line before it does (CR LF in a new file). The file is replaced atomically
// (ReplaceFileAtomically: through a symbolic link to the file it leads to). A file that is
// there but cannot be read, is no plain file or is write-protected is refused and left as it
// is: nothing is written.
Status SetIniValue(const std::string& path, std::u16string_view section, std::u16string_view key,
                   std::u16string_view value, FileOps& fs = DefaultFileOps());

}  // namespace kelmoa
