// Helpers the windows share: fonts, conversions, controls at their design positions.
#pragma once

#include <QFont>
#include <QString>
#include <string>
#include <string_view>

class QCoreApplication;
class QLabel;
class QObject;
class QPushButton;
class QRect;
class QWidget;

namespace kelmoa {

// The font of the text pane and the popup, and the font of the windows' controls. The names
// are the system's own; RegisterFontSubstitutions maps them to the fonts installed here.
inline const QString kPaneFontName = QStringLiteral("ＭＳ ゴシック");
inline const QString kUiFontName = QStringLiteral("ＭＳ Ｐゴシック");
inline constexpr double kUiFontPointSize = 9.0;

// The system's UTF-16 text as a QString.
QString Q(std::u16string_view s);
// A file-system path, bytes as stored, as text to show (a name that is not UTF-8 shows with
// replacement marks).
QString QPath(const std::string& path);
std::u16string UPath(const std::string& path);

// A button or a label of a window, placed at its design position (pixels), owned by parent.
QPushButton* MakeButton(QWidget* parent, const QString& caption, const QRect& place,
                        const QString& toolTip = {});
QLabel* MakeLabel(QWidget* parent, const QString& caption, const QRect& place);

// Maps "ＭＳ ゴシック" to IPAGothic and "ＭＳ Ｐゴシック" to IPAPGothic. Call once, after the
// application object exists and before any window is built.
void RegisterFontSubstitutions();

// Loads Qt's own Japanese texts (standard buttons, file dialogs, the text boxes' context menus)
// from Qt's translations folder into app, which keeps them for the run. False when they are not
// installed (Debian's qt6-translations-l10n): Qt's texts then stay English.
bool LoadQtJapanese(QCoreApplication& app);

// The pane font at the given size, bold off.
QFont PaneFont(double pointSize);

// Plays name (a file in programFolder unless it holds a "/") asynchronously. The call returns at
// once; a missing file or a missing audio device plays nothing and reports nothing. The player
// lives as a child of owner until the sound ends.
void PlayWav(const QString& name, const QString& programFolder, QObject* owner);

// Keeps the window above other windows. Takes effect at the window's next showing, without
// moving or resizing it.
void SetTopMost(QWidget& window);

// The primary screen's geometry (1024 x 768 when there is no screen).
QRect PrimaryScreenGeometry();

// Places window centred horizontally over parent, one sixth of the height difference below
// parent's top (outer frames of both).
void CenterFormOnParent(QWidget& window, const QWidget& parent);

// The text metrics of a font in pixels: average character width, maximum character width and
// height. sizeOk is true when the font's size is 9.75, 11.25 or 12.75 points.
void GetPicTextMetrics(const QFont& font, int& aveWidth, int& maxCharWidth, int& lineHeight,
                       bool& sizeOk);

}  // namespace kelmoa
