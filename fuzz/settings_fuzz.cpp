// Any settings file gives settings within their limits, with a message for every value
// replaced by its default.
#include <cstdint>

#include "core/settings/ini_file.h"
#include "core/settings/settings.h"
#include "fuzz/fuzz_util.h"

using namespace kelmoa;
using fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz::WriteInput("k.ini", data, size);
  SettingInfo def, max, s, again;
  SetDefaultSettings(1920, def, max);
  int messages = 0;
  ReadIniSettings(path, def, max, s, [&](const std::u16string&) { ++messages; });
  Require(IsValidFontSize(s.FontSize) && messages <= 4);
  Require(s.LineSpace >= def.LineSpace && s.LineSpace <= max.LineSpace);
  Require(s.FormLeft >= def.FormLeft && s.FormLeft <= max.FormLeft);
  // Writing the four keys keeps the file readable and gives them back.
  Require(WriteIniSettings(path, s, s.FormLeft).ok());
  ReadIniSettings(path, def, max, again, [](const std::u16string&) {});
  Require(again.FontSize == s.FontSize && again.LineSpace == s.LineSpace &&
          again.FormLeft == s.FormLeft);
  return 0;
}
