// The outcome of a stage: success, or a failure whose message is the exact
// text the user sees. Stages never print failures or end the process; they
// hand the Status up to main, which prints it and chooses the exit status.
#pragma once

#include <cstdarg>
#include <string>
#include <utility>

namespace ruleval {

class Status {
 public:
  static Status Ok() { return Status(); }
  // A failure that ends the run; message is printed as it stands.
  static Status Fatal(std::string message) {
    return Status(std::move(message));
  }

  bool ok() const { return !failed_; }
  const std::string& message() const { return message_; }

 private:
  Status() = default;
  explicit Status(std::string message)
      : failed_(true), message_(std::move(message)) {}

  bool failed_ = false;
  std::string message_;
};

// printf into a std::string, so messages keep their exact printf formats.
std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// The same with the arguments in a va_list, which it consumes.
std::string vformat(const char* fmt, std::va_list args)
    __attribute__((format(printf, 1, 0)));

}  // namespace ruleval
