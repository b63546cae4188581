// Speaks words through an outside speech program.
#include "gui/speech.h"

#include <QFile>
#include <string>
#include <vector>

#include "core/text/messages.h"
#include "gui/editor_launch.h"
#include "gui/window_helpers.h"

namespace kelmoa {

QStringList WordSpeaker::SpeechArguments(const QString& word) {
  if (word.startsWith(u'-'))
    return {QStringLiteral("--"), word};
  return {word};
}

void WordSpeaker::Report::Say(const QString& text) {
  if (said || !say)
    return;
  said = true;  // once is enough: every later word would fail the same way
  say(text);
}

void WordSpeaker::SetFailureReport(QObject& owner, ReportFn report) {
  mOwner = &owner;
  mReport = std::make_shared<Report>();
  mReport->say = std::move(report);
}

bool WordSpeaker::SpeakWord(const QString& word) {
  if (word.isEmpty() || mProgram.isEmpty())
    return false;
  const std::string program = QFile::encodeName(mProgram).toStdString();
  std::vector<std::string> args;
  for (const QString& arg : SpeechArguments(word))
    args.push_back(arg.toStdString());
  QString reason;
  if (mOwner == nullptr)
    return StartDetachedProgram(program, args, reason);
  const std::u16string name = mProgram.toStdU16String();
  std::shared_ptr<Report> report = mReport;
  const bool started = StartWatchedProgram(
      program, args, true, *mOwner,
      [report, name](const ProgramEnd& end) {
        const QString detail = end.errorLine.isEmpty()
                                   ? QStringLiteral("終了コード %1").arg(end.exitCode)
                                   : end.errorLine;
        report->Say(Q(MsgSpeechFailed(name, detail.toStdU16String())));
      },
      reason);
  if (!started)
    report->Say(Q(MsgSpeechNotStarted(name, reason.toStdU16String())));
  return started;
}

}  // namespace kelmoa
