// Speaks words through an outside speech program.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <utility>

class QObject;

namespace kelmoa {

// Speaks words through an outside speech program (espeak-ng unless told otherwise), which runs
// in its own process: nothing is written to disk, no shell is involved, and the caller never
// waits. A program that is missing, or that ends with an error or says "error:" (no sound
// device, for one), is reported through the failure report, once per speaker at most.
class WordSpeaker {
 public:
  static constexpr const char* kDefaultProgram = "espeak-ng";
  // Says a failure to speak in the user's words.
  using ReportFn = std::function<void(const QString& text)>;

  explicit WordSpeaker(QString program = QString::fromLatin1(kDefaultProgram))
      : mProgram(std::move(program)) {}

  // The program started for each word: a name looked up on PATH, or a path.
  const QString& Program() const { return mProgram; }
  void SetProgram(QString program) { mProgram = std::move(program); }

  // Failures are watched from owner's thread and said through report; without it they stay
  // silent.
  void SetFailureReport(QObject& owner, ReportFn report);

  // Starts the program with word as its text and returns at once. The word is the one
  // argument; a word beginning with "-" comes after "--", so that it is spoken rather than
  // taken for one of the program's options (some of which write files). Returns whether the
  // program started; callers may ignore it.
  bool SpeakWord(const QString& word);

  // The arguments SpeakWord passes for word.
  static QStringList SpeechArguments(const QString& word);

 private:
  // The report and whether it has spoken, shared with the watches of programs still running.
  struct Report {
    ReportFn say;
    bool said = false;
    void Say(const QString& text);
  };

  QString mProgram;
  QObject* mOwner = nullptr;
  std::shared_ptr<Report> mReport;
};

}  // namespace kelmoa
