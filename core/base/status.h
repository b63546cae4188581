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

// The outcome of an operation that touches files: ok, or what failed. A failure keeps its
// kind, the context (what was done to which path, UTF-8) and the reason (the system's words,
// or this program's) apart; message() joins them as "context: reason". Errors are values
// here; no exception crosses a module boundary.
class Status {
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
  // "context: reason", or the reason alone; empty when ok.
  std::string message() const { return mContext.empty() ? mReason : mContext + ": " + mReason; }

  // The same failure with outer in front of its context ("outer: context: reason"); ok stays ok.
  Status WithContext(const std::string& outer) const {
    if (ok())
      return *this;
    return Status(mCode, mContext.empty() ? outer : outer + ": " + mContext, mReason);
  }

 private:
  Status(StatusCode code, std::string context, std::string reason)
      : mCode(code), mContext(std::move(context)), mReason(std::move(reason)) {}
  StatusCode mCode = StatusCode::kOk;
  std::string mContext;
  std::string mReason;
};

}  // namespace kelmoa
