// Copies of refused texts that Kelmoa reads: made behind a progress dialog, kept for the run.
#pragma once

#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "core/base/status.h"
#include "core/text/prepare_text.h"

class QProgressDialog;
class QWidget;

namespace kelmoa {

// The copies of refused texts made in this run into one folder (txt_shift_jis): preparing one
// while the window goes on being drawn, and the chooser's note on a text that would be refused.
class TextCopies {
 public:
  // Gets the progress dialog of a preparation as it begins (tests).
  using DialogHook = std::function<void(QProgressDialog& dialog)>;

  explicit TextCopies(std::string folder);
  ~TextCopies();

  // Says a message to the user (the main window's message dialog).
  using TellFn = std::function<void(const std::u16string& message)>;

  // Prepares the text at refusedPath, which is only read, into a copy in the folder (its
  // parts, when it has to be split) and remembers it. Returns the path of the copy, or of its
  // first part; empty when none was made: tell has said why, unless the user cancelled. A
  // text read as UTF-8 with bad bytes is told so.
  std::string MakeCopy(QWidget& parent, const QString& caption, const std::string& refusedPath,
                       const TellFn& tell);

  // The chooser's note on a file that would be refused again: where its copy is, when one was
  // made in this run, else that it needs one. Empty for a file that opens.
  QString ChooserNote(const std::string& path) const;

  void SetDialogHook(DialogHook hook) { mDialogHook = std::move(hook); }

 private:
  // Runs the preparation on a thread of its own behind a progress dialog over parent that
  // shows after a moment; its キャンセル stops the work and removes every part written
  // (status kCancelled).
  PreparedCopy Make(QWidget& parent, const QString& caption, const std::string& refusedPath,
                    Status& status);

  std::string mFolder;
  std::unique_ptr<TextPreparer> mPreparer;     // made at its first use
  std::map<std::string, std::string> mCopies;  // refused text -> its copy
  DialogHook mDialogHook;
};

}  // namespace kelmoa
