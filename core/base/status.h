// Status: the outcome of an operation that touches files, ok or what failed and why.
#pragma once

#include <string>
#include <utility>

namespace kelmoa {

// What kind of failure a Status holds, so that callers decide by kind rather than by text.
enum class StatusCode {
  kOk,
  kNotFound,          // no such file or folder
  kPermissionDenied,  // the system refused access
  kAlreadyExists,     // the name is taken
  kCorrupt,           // the data is not what it should be
  kInvalidArgument,   // the request itself cannot be met (a folder where a file belongs, ...)
  kTooLarge,          // over a limit of this program or of the file system
  kOutOfMemory,
  kBusy,         // in use by another program
  kNoSpace,      // the disk or the quota is full
  kUnsupported,  // a conversion or feature this system does not have
  kIoError,      // any other failure of the system
  kCancelled,    // stopped at the user's wish before it was done
};

// What this program found wrong by itself, where the system's words do not say it. A Status
// never holds the user's words: they are composed where a failure is shown (StatusInWords,
// core/text/messages.h) from the finding, the context and the figure.
enum class Finding {
  kNone,  // the reason is the system's (or SQLite's) words
  // The finding replaces the reason; the context stays in front of it.
  kNotPlainFile,       // a folder, a device or a pipe where a plain file belongs
  kWriteProtected,     // the file allows nobody to write to it
  kUnreadable,         // the file could not be read; the reason says why
  kDicTooLarge,        // a dictionary over its size limit; figure: its size in bytes
  kTooLargeToPrepare,  // a text over the size a copy is prepared of; figure: its size in bytes
  kNoMemoryToLoad,     // the memory ran out while a file was loaded
  kNoMemoryToChange,   // the memory ran out while a change was made
  // The finding is the whole message; the context is the path it names, if any.
  kPositionsUnusable,          // the reading positions could not be read or written (reason)
  kExportExists,               // the export's file is there already
  kWordListNoBaseFolder,       // the installed folder of the word list is missing
  kWordListFolderNotMade,      // its folder could not be made (reason)
  kWordListFolderIsFile,       // something other than a folder stands where its folder belongs
  kWordListFolderNotWritable,  // its folder cannot be written
  kWordListNotPlainFile,       // the database is no plain file
  kWordListWriteProtected,     // the database allows nobody to write to it
  kWordListDamaged,            // the database is damaged, or no database
  kWordListBusy,               // another program kept writing to it
  kWordListStaleSharedMemory,  // its -shm cannot be written: a reader of a protected list left it
  kWordListUnopenable,         // it could not be opened or written (reason)
  kWordListUnusable,           // it could not be read or written (reason)
  kWordListForeign,            // a database of another program
  kWordListNewer,              // made by a newer Kelmoa; figure: its schema version
};

// The outcome of an operation that touches files: ok, or what failed. A failure keeps its
// kind, the context (what was done to which path, UTF-8), the reason (the system's words,
// or this program's in English) and what this program found (Finding) apart; message() joins
// the context and the reason as "context: reason". Errors are values here; no exception
// crosses a module boundary.
class [[nodiscard]] Status {
 public:
  Status() = default;
  static Status Ok() { return {}; }
  // A failure described by a reason alone.
  static Status Error(std::string reason) {
    return Status(StatusCode::kIoError, {}, std::move(reason));
  }
  // A failure of a kind, with the context and the reason apart.
  static Status Make(StatusCode code, std::string context, std::string reason) {
    return Status(code, std::move(context), std::move(reason));
  }
  // A failure this program found by itself: finding tells which, figure the number it names.
  static Status Found(StatusCode code, Finding finding, std::string context, std::string reason,
                      long long figure = 0) {
    Status s(code, std::move(context), std::move(reason));
    s.mFinding = finding;
    s.mFigure = figure;
    return s;
  }
  // "what path: reason" from a C errno value; the kind follows the errno value.
  static Status FromErrno(const std::string& what, const std::string& path, int err);

  bool ok() const { return mCode == StatusCode::kOk; }
  StatusCode code() const { return mCode; }
  bool IsNotFound() const { return mCode == StatusCode::kNotFound; }
  bool IsPermissionDenied() const { return mCode == StatusCode::kPermissionDenied; }
  bool IsAlreadyExists() const { return mCode == StatusCode::kAlreadyExists; }
  bool IsCorrupt() const { return mCode == StatusCode::kCorrupt; }
  bool IsInvalidArgument() const { return mCode == StatusCode::kInvalidArgument; }
  bool IsTooLarge() const { return mCode == StatusCode::kTooLarge; }
  bool IsOutOfMemory() const { return mCode == StatusCode::kOutOfMemory; }
  bool IsBusy() const { return mCode == StatusCode::kBusy; }
  bool IsNoSpace() const { return mCode == StatusCode::kNoSpace; }
  bool IsUnsupported() const { return mCode == StatusCode::kUnsupported; }
  bool IsIoError() const { return mCode == StatusCode::kIoError; }
  bool IsCancelled() const { return mCode == StatusCode::kCancelled; }

  // What was done to which path ("read /home/a/b.txt"); empty when the reason says it all.
  const std::string& context() const { return mContext; }
  // Why it failed: the system's words for an errno value, or this program's.
  const std::string& reason() const { return mReason; }
  // What this program found, kNone when the reason says it all.
  Finding finding() const { return mFinding; }
  // The number the finding names (a size, a version).
  long long figure() const { return mFigure; }
  // "context: reason", or the reason alone; empty when ok.
  std::string message() const { return mContext.empty() ? mReason : mContext + ": " + mReason; }

  // The same failure with outer in front of its context ("outer: context: reason"); ok stays ok.
  Status WithContext(const std::string& outer) const {
    if (ok())
      return *this;
    Status s = *this;
    s.mContext = mContext.empty() ? outer : outer + ": " + mContext;
    return s;
  }

 private:
  Status(StatusCode code, std::string context, std::string reason)
      : mCode(code), mContext(std::move(context)), mReason(std::move(reason)) {}
  StatusCode mCode = StatusCode::kOk;
  std::string mContext;
  std::string mReason;
  Finding mFinding = Finding::kNone;
  long long mFigure = 0;
};

}  // namespace kelmoa
