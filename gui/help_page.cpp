// The help page: its address, and handing it to the desktop's opener.
#include "gui/help_page.h"

#include <QByteArray>
#include <QProcess>

#include "core/base/helpers.h"
#include "core/base/paths.h"

namespace kelmoa {

QUrl HelpPageUrl(const std::string& baseFolder) {
  const QByteArray path = QByteArray::fromStdString(HelpPagePath(baseFolder));
  return QUrl::fromEncoded("file://" + path.toPercentEncoding("/"), QUrl::StrictMode);
}

std::u16string HelpFailureReason(HelpFailure failure, const QString& program,
                                 const QString& detail) {
  switch (failure) {
    case HelpFailure::kPageMissing:
      return u"ヘルプページのファイルがありません";
    case HelpFailure::kNotStarted:
      return program.toStdU16String() + u" を起動できません（" + detail.toStdU16String() + u"）";
    case HelpFailure::kFailed:
      break;
  }
  return u"ページを開くプログラム（ブラウザ）が設定されていないようです（" +
         program.toStdU16String() + u" の終了コード " + detail.toStdU16String() + u"）";
}

HelpPageOpener::HelpPageOpener(ReportFn report, QObject* parent)
    : QObject(parent), mReport(std::move(report)) {}

void HelpPageOpener::Open(const std::string& pagePath) {
  if (!IsFileExist(pagePath)) {
    mReport(HelpFailure::kPageMissing, {});
    return;
  }
  // The address is plain ASCII (percent-encoded), so the path's bytes survive the way through
  // the opener's argument list.
  const QString address =
      QString::fromLatin1("file://" + QByteArray::fromStdString(pagePath).toPercentEncoding("/"));
  auto* process = new QProcess(this);  // lives until the opener has ended
  process->setStandardInputFile(QProcess::nullDevice());
  process->setStandardOutputFile(QProcess::nullDevice());
  process->setStandardErrorFile(QProcess::nullDevice());
  connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart)
      return;
    mReport(HelpFailure::kNotStarted, process->errorString());
    process->deleteLater();
  });
  connect(process, &QProcess::finished, this,
          [this, process](int exitCode, QProcess::ExitStatus status) {
            if (status != QProcess::NormalExit || exitCode != 0)
              mReport(HelpFailure::kFailed, QString::number(exitCode));
            process->deleteLater();
          });
  process->start(mProgram, {address});
}

}  // namespace kelmoa
