// The settings record: what the user sets, with its defaults, limits and file.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "core/base/status.h"

namespace kelmoa {

// The settings record: what the user sets, and the font metrics the layout fills in.
struct SettingInfo {
  float FontSize = 9.75f;       // points: 9.75, 11.25 or 12.75
  int LineSpace = 3;            // extra pixels between text lines
  int FormLeft = 0;             // main window's left edge, pixels from the screen's left edge
  std::u16string TextEditor;    // external editor path; empty when none is set
  bool ShowLineNumbers = true;  // the line-number column is always drawn
  int HalfWidth = 0;            // advance of a single-byte character, pixels
  int FullWidth = 0;            // advance of a double-byte character, pixels
  int CharHeight = 0;           // character cell height, pixels
  int LinesPerPage = 0;         // text lines that fit the text pane
  bool HoverAddsWord = false;   // a popup that stays 2 s under a still pointer adds its word
                                // to the word list
};

// The settings file's key of HoverAddsWord: "1" on, anything else off.
inline constexpr char16_t kIniHoverAddsWordKey[] = u"HoverAddsWord";

// The settings file's section (the file is named by SettingsPath, core/base/paths.h).
inline constexpr char16_t kIniSection[] = u"setting";

// The three font sizes the text pane offers.
inline constexpr float kFontSizes[] = {9.75f, 11.25f, 12.75f};
bool IsValidFontSize(float size);

// Defaults (which are also the lower limits) and upper limits. The upper limit of FormLeft is
// 0.9 of the screen width, to the nearest pixel.
void SetDefaultSettings(int screenWidthPx, SettingInfo& def, SettingInfo& max);

// Numbers as the settings file holds them: plain decimal, "." as separator (9.75, 3, -20).
std::u16string FormatFontSize(float size);

// Reads the settings file into setting, starting from the defaults. A value outside its valid
// set or range, or one that is no number, is reported through showMessage and replaced by its
// default; an editor path that names no file is reported and cleared. Messages come in the
// order FontSize, LineSpace, editor, FormLeft, each a complete text for a message box.
void ReadIniSettings(const std::string& iniPath, const SettingInfo& def, const SettingInfo& max,
                     SettingInfo& setting,
                     const std::function<void(const std::u16string&)>& showMessage);

// Writes the four keys after a settings change: Fontsize, LineSpace, TextEditor and FormLeft
// (the window's current left edge, written even when negative); and HoverAddsWord when it is
// on or already stands in the file, so a file of a user who never turns it on keeps its four.
Status WriteIniSettings(const std::string& iniPath, const SettingInfo& setting, int formLeftPx);

// Stores the window's left edge on ending, unless the window's left or top edge lies off the
// screen (negative): then nothing is written.
Status WriteIniFormLeft(const std::string& iniPath, int leftPx, int topPx);

// A window's place and size on the screen, in pixels.
struct WindowPlace {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const WindowPlace&) const = default;
};

// The key of the word-list window's place.
inline constexpr char16_t kIniWordListPlaceKey[] = u"WordListWindow";

// The place stored under key as "left,top,width,height"; nothing when the key is missing or its
// value is not four whole numbers with a width and height above 0.
std::optional<WindowPlace> ReadIniWindowPlace(const std::string& iniPath, std::u16string_view key);
Status WriteIniWindowPlace(const std::string& iniPath, std::u16string_view key,
                           const WindowPlace& place);

// The message for a value out of range: label, the value as read, and the default.
std::u16string MsgIniOutOfRange(std::u16string_view label, std::u16string_view value,
                                std::u16string_view defaultValue);

// Shown when the stored editor path names no file.
inline constexpr char16_t kMsgEditorNotFound[] =
    u"設定ファイルに指定のテキストエディタが見つかりませんでした。";

}  // namespace kelmoa
