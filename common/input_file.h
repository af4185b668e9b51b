// Buffered reading of text files, sized for test sets of millions of lines:
// whole lines, or blocks of them, found in a large buffer that grows for
// long lines.
#pragma once

#include <cstdint>
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

// How the lines of a whole text are read: the length of a byte order mark
// to skip, and what ends a line: a carriage return in a text that holds
// carriage returns but no line feed (files of old editors), a line feed
// otherwise, where a carriage return is a character of its line.
struct LineFormat {
  std::size_t skip = 0;
  char line_end = '\n';
};
LineFormat line_format(std::string_view text);

class InputFile {
 public:
  InputFile() = default;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  ~InputFile();

  // Opens path for reading; false when it cannot be opened.
  bool open(const std::string& path);

  // The next line without its line feed; a last line without one counts too.
  // A byte order mark at the start of the file is skipped. Lines end as
  // line_format() says for the whole file. The view stays valid until the
  // next call. False at the end of the file or on a read error (see
  // failed()).
  bool next_line(std::string_view* line);
  // The next whole lines, about `size` bytes of them or more, each with its
  // line end; at the end of the file, a last line without one too. Lines
  // are found as next_line finds them. The view stays valid until the next
  // call. False at the end of the file or on a read error (see failed()).
  bool next_lines(std::size_t size, std::string_view* lines);
  // What ends a line: a line feed, or a carriage return in files that hold
  // no line feed. Known once reading lines has begun.
  char line_end() const { return line_end_; }
  // True when reading stopped on an error rather than at the end of the file.
  bool failed() const { return failed_; }

  // Starts reading lines, as the first call of next_lines() does, without
  // taking any; line_end() is known after it.
  void start() {
    if (!lines_started_) start_lines();
  }
  // Whether read_at() can read the file: a regular file, not a pipe.
  bool readable_at() const;
  // Reads up to size bytes into bytes from `offset` bytes after the byte
  // order mark (see start()), without moving where next_lines() reads; from
  // several threads at once. Returns the bytes read, fewer only at the end
  // of the file, or -1 on a read error.
  long long read_at(std::uint64_t offset, char* bytes, std::size_t size) const;

 private:
  // The next byte without consuming it, or EOF.
  int peek() {
    if (pos_ == end_ && !fill()) return EOF;
    return static_cast<unsigned char>(buffer_[pos_]);
  }
  // Moves unread bytes to the front and reads more after them; false when
  // nothing more could be read.
  bool fill();
  // Before the first line: skips a byte order mark and finds how lines end.
  void start_lines();
  // Whether the file holds a line feed after what the buffer holds; reads
  // ahead and comes back where it can. False, with failed() set, when the
  // file cannot be read or returned to.
  bool line_feed_ahead();

  std::FILE* file_ = nullptr;
  bool eof_ = false;
  bool failed_ = false;
  bool lines_started_ = false;
  char line_end_ = '\n';
  std::size_t skip_ = 0;  // the byte order mark
  // Left uninitialised: only the bytes read into it are ever looked at.
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_ = 0;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
};

// The message for a file that could not be read to its end.
Status read_failure(const std::string& path);

}  // namespace ruleval
