// Helpers the windows share: fonts, conversions, controls at their design positions.
#include "gui/window_helpers.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QPushButton>
#include <QRect>
#include <QScreen>
#include <QSoundEffect>
#include <QTranslator>
#include <QUrl>
#include <QWidget>
#include <memory>

#include "core/settings/settings.h"

namespace kelmoa {

QString Q(std::u16string_view s) {
  return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

QString QPath(const std::string& path) {
  return QFile::decodeName(path.c_str());
}

std::u16string UPath(const std::string& path) {
  return QPath(path).toStdU16String();
}

QRect PrimaryScreenGeometry() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
}

QPushButton* MakeButton(QWidget* parent, const QString& caption, const QRect& place,
                        const QString& toolTip) {
  auto* button = new QPushButton(caption, parent);
  button->setGeometry(place);
  if (!toolTip.isEmpty())
    button->setToolTip(toolTip);
  return button;
}

QLabel* MakeLabel(QWidget* parent, const QString& caption, const QRect& place) {
  auto* label = new QLabel(caption, parent);
  label->setGeometry(place);
  return label;
}

bool LoadQtJapanese(QCoreApplication& app) {
  // The program speaks Japanese whatever the desktop's language, and so do Qt's own texts.
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                        QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    return false;
  translator->setParent(&app);  // the application keeps it for the run
  return QCoreApplication::installTranslator(translator.release());
}

void RegisterFontSubstitutions() {
  QFont::insertSubstitution(kPaneFontName, QStringLiteral("IPAGothic"));
  QFont::insertSubstitution(kUiFontName, QStringLiteral("IPAPGothic"));
}

QFont PaneFont(double pointSize) {
  QFont font(kPaneFontName);
  font.setPointSizeF(pointSize);
  font.setBold(false);
  return font;
}

void PlayWav(const QString& name, const QString& programFolder, QObject* owner) {
  const QString path = name.contains(u'/') ? name : programFolder + u'/' + name;
  if (!QFileInfo(path).isFile())
    return;
  auto* effect = new QSoundEffect(owner);
  // The player goes once the sound has ended or could not be played.
  QObject::connect(effect, &QSoundEffect::playingChanged, effect, [effect] {
    if (!effect->isPlaying())
      effect->deleteLater();
  });
  QObject::connect(effect, &QSoundEffect::statusChanged, effect, [effect] {
    if (effect->status() == QSoundEffect::Error)
      effect->deleteLater();
  });
  effect->setSource(QUrl::fromLocalFile(path));
  effect->play();
}

void SetTopMost(QWidget& window) {
  window.setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

void CenterFormOnParent(QWidget& window, const QWidget& parent) {
  const QRect p = parent.frameGeometry();
  const QRect w = window.frameGeometry();
  window.move(p.x() + (p.width() - w.width()) / 2, p.y() + (p.height() - w.height()) / 6);
}

void GetPicTextMetrics(const QFont& font, int& aveWidth, int& maxCharWidth, int& lineHeight,
                       bool& sizeOk) {
  const QFontMetrics fm(font);
  aveWidth = fm.averageCharWidth();
  maxCharWidth = fm.maxWidth();
  lineHeight = fm.height();
  sizeOk = IsValidFontSize(static_cast<float>(font.pointSizeF()));
}

}  // namespace kelmoa
