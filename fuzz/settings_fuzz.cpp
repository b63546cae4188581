// Any settings file gives settings within their limits, with a message for every value
// replaced by its default.
#include <cstdint>
#include <cstdlib>

#include "core/settings/ini_file.h"
#include "core/settings/settings.h"
#include "fuzz/fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = kelmoa::fuzz::WriteInput("k.ini", data, size);
  kelmoa::SettingInfo def, max, s;
  kelmoa::SetDefaultSettings(1920, def, max);
  int messages = 0;
  kelmoa::ReadIniSettings(path, def, max, s, [&](const std::u16string&) { ++messages; });
  if (!kelmoa::IsValidFontSize(s.FontSize))
    std::abort();
  if (s.LineSpace < def.LineSpace || s.LineSpace > max.LineSpace)
    std::abort();
  if (s.FormLeft < def.FormLeft || s.FormLeft > max.FormLeft)
    std::abort();
  if (messages > 4)
    std::abort();
  // Writing the four keys keeps the file readable and gives them back.
  if (!kelmoa::WriteIniSettings(path, s, s.FormLeft).ok())
    std::abort();
  kelmoa::SettingInfo again;
  kelmoa::ReadIniSettings(path, def, max, again, [](const std::u16string&) {});
  if (again.FontSize != s.FontSize || again.LineSpace != s.LineSpace ||
      again.FormLeft != s.FormLeft) {
    std::abort();
  }
  return 0;
}
