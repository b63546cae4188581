// Shared by the fuzz targets: the input written to a file in a private folder.
#pragma once
// Shared by the fuzz targets: a file in a private temporary folder holding the input.

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace kelmoa::fuzz {

// A temporary folder for the process, made once and reused by every input.
inline const std::string& Scratch() {
  static const std::string dir = [] {
    // A memory-backed folder where there is one: every input is written and synced.
    const std::filesystem::path base = std::filesystem::is_directory("/dev/shm")
                                           ? std::filesystem::path("/dev/shm")
                                           : std::filesystem::temp_directory_path();
    std::string tmpl = (base / "kelmoa-fuzz-XXXXXX").string();
    return std::string(::mkdtemp(tmpl.data()));
  }();
  return dir;
}

inline std::string WriteInput(const std::string& name, const uint8_t* data, size_t size) {
  const std::string path = Scratch() + "/" + name;
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return path;
}

}  // namespace kelmoa::fuzz
