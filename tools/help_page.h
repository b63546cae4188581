#pragma once

#include <QUrl>
#include <string>

namespace kelmoa {

// The help page: htm/index.htm below the base folder, as a local file address.
QUrl HelpPageUrl(const std::string& baseFolder);

// Hands the page to the desktop, which opens it with the program registered for it. A missing
// page or a desktop without such a program opens nothing and reports nothing.
void OpenHelpPage(const QUrl& page);

}  // namespace kelmoa
