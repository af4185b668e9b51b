// Buffered writing of the files of a run, with every failure kept: a write
// that fails (a full disk, for one) marks the file, and close() reports it,
// so no stage can go on with a truncated file it believes complete.
#pragma once

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "common/case_buffer.h"
#include "common/status.h"

namespace ruleval {

// Writes a code as "%d " at `at`: the decimal number and one blank, eleven
// characters at most; a missing value as "? ", which no code can be taken
// for. Returns the end of what it wrote.
inline char* put_code(char* at, std::uint32_t code) {
  if (code < 10) {
    at[0] = static_cast<char>('0' + code);
    at[1] = ' ';
    return at + 2;
  }
  if (code < 100) {
    at[0] = static_cast<char>('0' + code / 10);
    at[1] = static_cast<char>('0' + code % 10);
    at[2] = ' ';
    return at + 3;
  }
  if (code == kMissingCode) {
    at[0] = '?';
    at[1] = ' ';
    return at + 2;
  }
  char* end = std::to_chars(at, at + 10, code).ptr;
  *end = ' ';
  return end + 1;
}
inline constexpr std::size_t kLongestCode = 11;

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
    if (text.size() > buffer_.size() - used_) {
      flush();
      if (text.size() > buffer_.size()) return write_through(text);
    }
    std::memcpy(buffer_.data() + used_, text.data(), text.size());
    used_ += text.size();
  }
  void put(char c) {
    if (used_ == buffer_.size() && !make_room()) return;
    buffer_[used_++] = c;
  }
  // Writes a code as "%d ": the decimal number and one blank.
  void write_code(std::uint32_t code) {
    if (buffer_.size() - used_ < kLongestCode && !make_room()) return;
    used_ = static_cast<std::size_t>(put_code(buffer_.data() + used_, code) -
                                     buffer_.data());
  }
  void print(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

  // Whether write_at() can write the file: a regular file, not a pipe.
  bool writable_at() const;
  // Writes text at offset, past the buffer and from several threads at
  // once; false when that fails. Before the buffer is written to.
  bool write_at(std::string_view text, std::uint64_t offset) const;
  // Goes on after the first `end` bytes of the file, which write_at() wrote,
  // and cuts off any after them; with failed, close() then reports a
  // failure.
  void continue_after(std::uint64_t end, bool failed);

  // Flushes and closes the file. On any failure since open() returns the
  // "Cannot write file" status that names it.
  Status close();

 private:
  static constexpr std::size_t kCapacity = 1 << 20;

  void flush();
  // Flushes; false when there is no buffer, the file never opened.
  bool make_room() {
    flush();
    return !buffer_.empty();
  }
  void write_through(std::string_view text);
  // Empties the file when it holds only the byte left of an earlier one;
  // false when that fails.
  bool drop_byte_left();

  std::FILE* file_ = nullptr;
  std::string path_;
  std::vector<char> buffer_;
  std::size_t used_ = 0;
  std::size_t written_ = 0;     // handed to the stream
  bool one_byte_left_ = false;  // of the file that was there
  bool failed_ = false;
};

// The message for a file that could not be written completely.
Status write_failure(const std::string& path);

}  // namespace ruleval
