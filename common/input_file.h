// Buffered reading of text files, sized for test sets of millions of lines:
// whole lines found with memchr in a large buffer that grows for long lines,
// or single bytes for the integer streams of the coded case files.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/status.h"

namespace ruleval {

// Reads a whole file into text. Returns false when the file cannot be opened
// or read (a directory, for one).
bool read_whole_file(const std::string& path, std::string* text);

class InputFile {
 public:
  InputFile() = default;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  ~InputFile();

  // Opens path for reading; false when it cannot be opened.
  bool open(const std::string& path);

  // The next line without its line feed; a last line without one counts too.
  // The view stays valid until the next call. False at the end of the file
  // or on a read error (see failed()).
  bool next_line(std::string_view* line);
  // The next byte, or EOF at the end of the file or on a read error.
  int get() {
    if (pos_ == end_ && !fill()) return EOF;
    return static_cast<unsigned char>(buffer_[pos_++]);
  }
  // The next byte without consuming it, or EOF.
  int peek() {
    if (pos_ == end_ && !fill()) return EOF;
    return static_cast<unsigned char>(buffer_[pos_]);
  }
  // True when reading stopped on an error rather than at the end of the file.
  bool failed() const { return failed_; }

 private:
  // Moves unread bytes to the front and reads more after them; false when
  // nothing more could be read.
  bool fill();

  std::FILE* file_ = nullptr;
  bool eof_ = false;
  bool failed_ = false;
  // Left uninitialised: only the bytes read into it are ever looked at.
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_ = 0;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
};

// The message for a file that could not be read to its end.
Status read_failure(const std::string& path);

// Reads an optionally signed decimal integer after any white space, as "%d "
// does, and skips the white space after it. Returns false at the end of the
// input or when no digits stand there.
bool read_integer(InputFile& in, long long* value);

}  // namespace ruleval
