// Where the texts were left, as the main window keeps it.
#include "gui/text_places.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "core/wordlist/reading_positions.h"

namespace kelmoa {
namespace {

// The file's size now, or -1 when it cannot be told.
long long FileSizeOf(const std::string& path) {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  return ec ? -1 : static_cast<long long>(size);
}

}  // namespace

TextPlaces::TextPlaces(std::string baseFolder) : mBaseFolder(std::move(baseFolder)) {}

TextPlaces::~TextPlaces() = default;

ReadingPositions* TextPlaces::Positions() {
  if (!mTried) {
    mTried = true;
    if (!ReadingPositions::Open(mBaseFolder, mPositions).ok())
      mPositions.reset();
  }
  return mPositions.get();
}

int TextPlaces::StartLine(const std::string& path) {
  mOpened = path;
  mOpenedSize = FileSizeOf(path);
  int line = 1;
  if (ReadingPositions* positions = Positions(); positions != nullptr)
    (void)positions->FirstLineOf(path, mOpenedSize, line);
  return line;
}

void TextPlaces::Leave(int firstLine) {
  if (mOpened.empty())
    return;
  if (ReadingPositions* positions = Positions(); positions != nullptr)
    (void)positions->Store({mOpened, firstLine, mOpenedSize});
}

std::optional<std::string> TextPlaces::LeftLast(const std::string& shown) {
  ReadingPosition last;
  bool found = false;
  ReadingPositions* positions = Positions();
  if (positions == nullptr || !positions->LastLeft(shown, last, found).ok() || !found)
    return std::nullopt;
  return last.path;
}

}  // namespace kelmoa
