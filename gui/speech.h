// Speaks words through an outside speech program.
#pragma once

#include <QString>
#include <QStringList>
#include <utility>

namespace kelmoa {

// Speaks words through an outside speech program (espeak-ng unless told otherwise), which runs
// in its own process: nothing is written to disk, no shell is involved, and the caller never
// waits. A missing or failing program speaks nothing and reports nothing.
class WordSpeaker {
 public:
  static constexpr const char* kDefaultProgram = "espeak-ng";

  explicit WordSpeaker(QString program = QString::fromLatin1(kDefaultProgram))
      : mProgram(std::move(program)) {}

  // The program started for each word: a name looked up on PATH, or a path.
  const QString& Program() const { return mProgram; }
  void SetProgram(QString program) { mProgram = std::move(program); }

  // Starts the program with word as its text and returns at once. The word is the one
  // argument; a word beginning with "-" comes after "--", so that it is spoken rather than
  // taken for one of the program's options (some of which write files). Returns whether the
  // program started; callers may ignore it.
  bool SpeakWord(const QString& word) const;

  // The arguments SpeakWord passes for word.
  static QStringList SpeechArguments(const QString& word);

 private:
  QString mProgram;
};

}  // namespace kelmoa
