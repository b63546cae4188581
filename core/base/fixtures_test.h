// Shared test fixtures: a temporary folder, byte files, CP932 literals.
#pragma once
// Helpers shared by the tests: a temporary folder, byte files, CP932 literals.

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/base/codepage.h"

namespace kelmoa::testing {

// A fresh folder below the system's temporary folder, removed with everything in it at the end.
class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "kelmoa-test-XXXXXX").string();
    mPath = ::mkdtemp(tmpl.data());
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(mPath, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(mPath, ec);
  }
  const std::string& path() const { return mPath; }
  std::string operator/(const std::string& name) const { return mPath + "/" + name; }

 private:
  std::string mPath;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// CP932 bytes of a UTF-8 literal.
inline std::string Sjis(std::string_view utf8) {
  return Utf16ToSjis(Utf8ToUtf16(utf8));
}

// CP932 bytes of UTF-8 lines, each ended by CR LF.
inline std::string SjisLines(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines)
    bytes += Sjis(line) + "\r\n";
  return bytes;
}

// The base folder of an installed program: dic, dic_backup and txt_shift_jis below it.
inline void MakeDataFolders(const std::string& base) {
  for (const char* d : {"bin", "dic", "dic_backup", "txt_shift_jis"}) {
    std::filesystem::create_directories(base + "/" + d);
  }
}

// An English prose text that no one here wrote: a licence text every Debian machine has.
inline std::string LicenceText() {
  return ReadBytes("/usr/share/common-licenses/GPL-3");
}

}  // namespace kelmoa::testing
