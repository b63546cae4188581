// Shared by the fuzz targets: the input as bytes or as a file in a private folder, and the
// check that ends the run when a property fails.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace kelmoa::fuzz {

// A failed property: libFuzzer keeps the input that led here.
inline void Require(bool holds) {
  if (!holds)
    std::abort();
}

inline std::string_view Bytes(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

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
  std::ofstream(path, std::ios::binary | std::ios::trunc) << Bytes(data, size);
  return path;
}

}  // namespace kelmoa::fuzz
