// The settings record: defaults, limits, and reading and writing the settings file.
#include "core/settings/settings.h"

#include <charconv>
#include <optional>

#include "core/base/codepage.h"
#include "core/base/helpers.h"
#include "core/settings/ini_file.h"

namespace kelmoa {
namespace {

std::u16string Ascii(const std::string& s) {
  return std::u16string(s.begin(), s.end());
}

std::u16string FormatInt(long long n) {
  return Ascii(std::to_string(n));
}

std::string Narrow(std::u16string_view s) {
  std::string out;
  for (const char16_t ch : s) {
    if (ch > 0x7F)
      return {};  // no number holds anything but ASCII
    out += static_cast<char>(ch);
  }
  return out;
}

// A decimal number with "." as separator, whatever the locale; nullopt when the text is no
// number (letters, empty).
std::optional<double> ParseNumber(std::u16string_view text) {
  const std::string s = Narrow(text);
  if (s.empty())
    return std::nullopt;
  double value = 0;
  const char* begin = s.data() + (s[0] == '+' ? 1 : 0);
  const auto [end, ec] = std::from_chars(begin, s.data() + s.size(), value);
  if (ec != std::errc() || end != s.data() + s.size())
    return std::nullopt;
  return value;
}

// A whole number; nullopt when the text is no whole number or out of 32-bit range.
std::optional<int> ParseWhole(std::u16string_view text) {
  const std::string s = Narrow(text);
  if (s.empty())
    return std::nullopt;
  int value = 0;
  const char* begin = s.data() + (s[0] == '+' ? 1 : 0);
  const auto [end, ec] = std::from_chars(begin, s.data() + s.size(), value);
  if (ec != std::errc() || end != s.data() + s.size())
    return std::nullopt;
  return value;
}

std::u16string FormatNumber(double v) {
  char buf[400];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
  return Ascii(std::string(buf, r.ptr));
}

}  // namespace

bool IsValidFontSize(float size) {
  for (const float s : kFontSizes) {
    if (size == s)
      return true;
  }
  return false;
}

void SetDefaultSettings(int screenWidthPx, SettingInfo& def, SettingInfo& max) {
  def = SettingInfo{};
  max = SettingInfo{};
  max.FontSize = 12.75f;
  max.LineSpace = 5;
  max.FormLeft = static_cast<int>(RoundHalfEven(0.9 * screenWidthPx));
}

std::u16string FormatFontSize(float size) {
  return FormatNumber(size);
}

std::u16string MsgIniOutOfRange(std::u16string_view label, std::u16string_view value,
                                std::u16string_view defaultValue) {
  return u"iniファイルの設定値が範囲外でした。\r\n    " + std::u16string(label) +
         std::u16string(value) + u"\r\nデフォルト値" + std::u16string(defaultValue) +
         u"に設定します。\r\n";
}

void ReadIniSettings(const std::string& iniPath, const SettingInfo& def, const SettingInfo& max,
                     SettingInfo& setting,
                     const std::function<void(const std::u16string&)>& showMessage) {
  setting = def;
  auto read = [&](std::u16string_view key, std::u16string_view fallback) {
    return GetIniValue(iniPath, kIniSection, key, fallback);
  };
  // A value that is a number is shown as that number; one that is none, as it was read.
  auto shown = [](const std::u16string& raw, std::optional<double> v) {
    return v ? FormatNumber(*v) : raw;
  };

  const std::u16string fontText = read(u"FontSize", FormatFontSize(def.FontSize));
  const std::optional<double> font = ParseNumber(fontText);
  if (font && IsValidFontSize(static_cast<float>(*font)) &&
      static_cast<double>(static_cast<float>(*font)) == *font) {
    setting.FontSize = static_cast<float>(*font);
  } else {
    showMessage(
        MsgIniOutOfRange(u"フォントサイズ：", shown(fontText, font), FormatFontSize(def.FontSize)));
    setting.FontSize = def.FontSize;
  }

  const std::u16string spaceText = read(u"LineSpace", FormatInt(def.LineSpace));
  const std::optional<int> space = ParseWhole(spaceText);
  if (space && *space >= def.LineSpace && *space <= max.LineSpace) {
    setting.LineSpace = *space;
  } else {
    showMessage(MsgIniOutOfRange(u"行間：", space ? FormatInt(*space) : spaceText,
                                 FormatInt(def.LineSpace)));
    setting.LineSpace = def.LineSpace;
  }

  // FormWidth and FormHeight may stand in the file; the window is always fitted to the text,
  // so they are not used.
  const std::u16string leftText = read(u"FormLeft", FormatInt(def.FormLeft));
  const std::optional<int> left = ParseWhole(leftText);

  setting.TextEditor = read(u"TextEditor", u"");
  if (!setting.TextEditor.empty() && !IsFileExist(Utf16ToUtf8(setting.TextEditor))) {
    showMessage(kMsgEditorNotFound);
    setting.TextEditor.clear();
  }
  setting.ShowLineNumbers = true;
  setting.HoverAddsWord = read(kIniHoverAddsWordKey, u"0") == u"1";

  if (left && *left >= def.FormLeft && *left <= max.FormLeft) {
    setting.FormLeft = *left;
  } else {
    showMessage(MsgIniOutOfRange(u"フォームLeft：", left ? FormatInt(*left) : leftText,
                                 FormatInt(def.FormLeft)));
    setting.FormLeft = def.FormLeft;
  }
}

Status WriteIniSettings(const std::string& iniPath, const SettingInfo& setting, int formLeftPx) {
  for (const auto& [key, value] : {std::pair<std::u16string_view, std::u16string>{
                                       u"Fontsize", FormatFontSize(setting.FontSize)},
                                   {u"LineSpace", FormatInt(setting.LineSpace)},
                                   {u"TextEditor", setting.TextEditor},
                                   {u"FormLeft", FormatInt(formLeftPx)}}) {
    if (Status s = SetIniValue(iniPath, kIniSection, key, value); !s.ok())
      return s;
  }
  if (!setting.HoverAddsWord &&
      GetIniValue(iniPath, kIniSection, kIniHoverAddsWordKey, u"").empty())
    return Status::Ok();
  return SetIniValue(iniPath, kIniSection, kIniHoverAddsWordKey,
                     setting.HoverAddsWord ? u"1" : u"0");
}

Status WriteIniFormLeft(const std::string& iniPath, int leftPx, int topPx) {
  if (leftPx < 0 || topPx < 0)
    return Status::Ok();
  return SetIniValue(iniPath, kIniSection, u"FormLeft", FormatInt(leftPx));
}

std::optional<WindowPlace> ReadIniWindowPlace(const std::string& iniPath, std::u16string_view key) {
  const std::u16string value = GetIniValue(iniPath, kIniSection, key, u"");
  int numbers[4] = {};
  size_t n = 0;
  bool whole = true;
  ForEachPiece(value, u',', [&](std::u16string_view piece) {
    const std::optional<int> v = n < 4 ? ParseWhole(piece) : std::nullopt;
    if (v)
      numbers[n] = *v;
    whole = whole && v.has_value();
    ++n;
  });
  if (!whole || n != 4 || numbers[2] <= 0 || numbers[3] <= 0)
    return std::nullopt;
  return WindowPlace{numbers[0], numbers[1], numbers[2], numbers[3]};
}

Status WriteIniWindowPlace(const std::string& iniPath, std::u16string_view key,
                           const WindowPlace& place) {
  return SetIniValue(iniPath, kIniSection, key,
                     FormatInt(place.left) + u"," + FormatInt(place.top) + u"," +
                         FormatInt(place.width) + u"," + FormatInt(place.height));
}

}  // namespace kelmoa
