#include "tools/help_page.h"

#include <QDesktopServices>
#include <QFile>

namespace kelmoa {

QUrl HelpPageUrl(const std::string& baseFolder) {
  return QUrl::fromLocalFile(QFile::decodeName((baseFolder + "/htm/index.htm").c_str()));
}

void OpenHelpPage(const QUrl& page) {
  (void)QDesktopServices::openUrl(page);
}

}  // namespace kelmoa
