// Speaks words through an outside speech program.
#include "gui/speech.h"

#include <QProcess>

namespace kelmoa {

QStringList WordSpeaker::SpeechArguments(const QString& word) {
  if (word.startsWith(u'-'))
    return {QStringLiteral("--"), word};
  return {word};
}

bool WordSpeaker::SpeakWord(const QString& word) const {
  if (word.isEmpty() || mProgram.isEmpty())
    return false;
  QProcess process;
  process.setProgram(mProgram);
  process.setArguments(SpeechArguments(word));
  // The program must not wait for input from the terminal Kelmoa was started from.
  process.setStandardInputFile(QProcess::nullDevice());
  return process.startDetached();
}

}  // namespace kelmoa
