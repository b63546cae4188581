// The help page: its address, and handing it to the desktop's opener.
#pragma once

#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>
#include <string>

namespace kelmoa {

// The help page (HelpPagePath, core/base/paths.h) as a local file address that keeps the
// path's bytes (percent-encoded), whatever they are.
QUrl HelpPageUrl(const std::string& baseFolder);

// Why the help page did not open.
enum class HelpFailure {
  kPageMissing,  // there is no page file
  kNotStarted,   // the desktop's opener could not be started
  kFailed,       // the opener ended with a failure: no browser set up, for one
};

// Why the page did not open, in the user's words: program is the opener, detail what
// HelpPageOpener reported with the failure.
std::u16string HelpFailureReason(HelpFailure failure, const QString& program,
                                 const QString& detail);

// Hands the page to the desktop's opener (xdg-open), which starts the program registered for
// it, and reports a failure: a missing page at once, an opener that cannot start or that ends
// with a failure when it ends. The call never waits for the opener; an opener still running
// when this goes is stopped, the browser it started is not.
class HelpPageOpener : public QObject {
  Q_OBJECT

 public:
  // detail: the system's or the opener's word on the failure (may be empty).
  using ReportFn = std::function<void(HelpFailure failure, const QString& detail)>;

  HelpPageOpener(ReportFn report, QObject* parent);

  // The opener program; tests put a stand-in here.
  void SetProgram(QString program) { mProgram = std::move(program); }
  const QString& Program() const { return mProgram; }

  void Open(const std::string& pagePath);

 private:
  ReportFn mReport;
  QString mProgram = QStringLiteral("xdg-open");
};

}  // namespace kelmoa
