// A file written whole or not at all: its text goes to a temporary file in
// the same directory, which takes the file's name only once every byte is
// written and closed. A file that fails, or is dropped before it is
// finished, leaves nothing behind, and an older file of the name stays as
// it was.
#pragma once

#include <cerrno>
#include <cstdio>
#include <string>
#include <string_view>

namespace ruleval {

class ReplacedFile {
 public:
  ReplacedFile() = default;
  ReplacedFile(const ReplacedFile&) = delete;
  ReplacedFile& operator=(const ReplacedFile&) = delete;
  // Removes the temporary file of a file not finished.
  ~ReplacedFile();

  // Creates the temporary file for path; false when it cannot be, with
  // reason() set.
  bool open(const std::string& path);

  void write(std::string_view text) {
    if (file_ != nullptr && error_ == 0 && !text.empty() &&
        std::fwrite(text.data(), 1, text.size(), file_) != text.size())
      error_ = errno_or_io();
  }

  // Closes the temporary file and gives it the file's name; false when a
  // write, the close or the renaming failed, the temporary file removed.
  bool finish() { return close() && commit(); }
  // The two steps of finish(), for a file whose text is complete before it
  // may take its name: close() ends the writing (false when a write or the
  // close failed), commit() gives the closed file its name.
  bool close();
  bool commit();

  // Why open() or finish() failed, as the system says it.
  const std::string& reason() const { return reason_; }

 private:
  static int errno_or_io();
  bool fail(int error);
  void discard();

  std::string path_;
  std::string temporary_;
  std::FILE* file_ = nullptr;
  int error_ = 0;  // the first failure's error number
  std::string reason_;
};

}  // namespace ruleval
