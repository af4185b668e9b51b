// Buffered writing of the files of a run, with every failure kept: a write
// that fails (a full disk, for one) marks the file, and close() reports it,
// so no stage can go on with a truncated file it believes complete.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "common/status.h"

namespace ruleval {

class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  // Creates path, or empties it; false when it cannot be created.
  bool open(const std::string& path);
  const std::string& path() const { return path_; }

  void write(std::string_view text) {
    buffer_.append(text);
    if (buffer_.size() >= kFlushAt) flush();
  }
  void put(char c) {
    buffer_.push_back(c);
    if (buffer_.size() >= kFlushAt) flush();
  }
  // Writes a code as "%d ": the decimal number and one blank.
  void write_code(std::uint32_t code);
  void print(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

  // Flushes and closes the file. On any failure since open() returns the
  // "Cannot write file" status that names it.
  Status close();

 private:
  static constexpr std::size_t kFlushAt = 1 << 20;

  void flush();

  std::FILE* file_ = nullptr;
  std::string path_;
  std::string buffer_;
  bool failed_ = false;
};

// The message for a file that could not be written completely.
Status write_failure(const std::string& path);

}  // namespace ruleval
