// Status: the outcome of an operation that touches files, ok or what failed and why.
#pragma once

#include <string>
#include <utility>

namespace kelmoa {

// The outcome of an operation that touches files: ok, or a description of what failed
// (UTF-8, naming the operation, the path and the system's reason). Errors are values here;
// no exception crosses a module boundary.
class Status {
 public:
  Status() = default;
  static Status Ok() { return {}; }
  static Status Error(std::string message) { return Status(std::move(message)); }
  // "what path: reason" from a C errno value.
  static Status FromErrno(const std::string& what, const std::string& path, int err);

  bool ok() const { return !mFailed; }
  const std::string& message() const { return mMessage; }

 private:
  explicit Status(std::string message) : mFailed(true), mMessage(std::move(message)) {}
  bool mFailed = false;
  std::string mMessage;
};

}  // namespace kelmoa
