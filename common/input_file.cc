#include "common/input_file.h"

#include <cstring>
#include <filesystem>
#include <system_error>

namespace ruleval {
namespace {

constexpr std::size_t kChunk = 1 << 20;

bool is_space(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' ||
         c == '\f';
}

void skip_space(InputFile& in) {
  while (is_space(in.peek())) in.get();
}

// fopen opens a directory for reading on some systems and fails only when
// it is read; a directory is a file that cannot be opened here.
std::FILE* open_for_reading(const std::string& path) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return nullptr;
  return std::fopen(path.c_str(), "rb");
}

}  // namespace

bool read_whole_file(const std::string& path, std::string* text) {
  std::FILE* file = open_for_reading(path);
  if (file == nullptr) return false;
  text->clear();
  char chunk[1 << 16];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    text->append(chunk, got);
  }
  const bool ok = std::ferror(file) == 0;
  std::fclose(file);
  return ok;
}

Status read_failure(const std::string& path) {
  return Status::Fatal(format("\nCannot read file: %s ...\n", path.c_str()));
}

InputFile::~InputFile() {
  if (file_ != nullptr) std::fclose(file_);
}

bool InputFile::open(const std::string& path) {
  file_ = open_for_reading(path);
  if (file_ == nullptr) return false;
  buffer_ = std::make_unique_for_overwrite<char[]>(kChunk);
  capacity_ = kChunk;
  return true;
}

bool InputFile::fill() {
  if (eof_ || failed_ || file_ == nullptr) return false;
  if (pos_ > 0) {
    std::memmove(buffer_.get(), buffer_.get() + pos_, end_ - pos_);
    end_ -= pos_;
    pos_ = 0;
  }
  if (end_ == capacity_) {
    auto larger = std::make_unique_for_overwrite<char[]>(capacity_ * 2);
    std::memcpy(larger.get(), buffer_.get(), end_);
    buffer_ = std::move(larger);
    capacity_ *= 2;
  }
  const std::size_t got =
      std::fread(buffer_.get() + end_, 1, capacity_ - end_, file_);
  end_ += got;
  if (got == 0) {
    if (std::ferror(file_)) {
      failed_ = true;
    } else {
      eof_ = true;
    }
    return false;
  }
  return true;
}

bool InputFile::next_line(std::string_view* line) {
  std::size_t searched = pos_;
  for (;;) {
    const char* start = buffer_.get() + searched;
    const void* found = std::memchr(start, '\n', end_ - searched);
    if (found != nullptr) {
      const std::size_t newline = static_cast<std::size_t>(
          static_cast<const char*>(found) - buffer_.get());
      *line = std::string_view(buffer_.get() + pos_, newline - pos_);
      pos_ = newline + 1;
      return true;
    }
    const std::size_t scanned = end_ - pos_;
    if (!fill()) break;
    searched = pos_ + scanned;
  }
  if (failed_ || pos_ == end_) return false;
  *line = std::string_view(buffer_.get() + pos_, end_ - pos_);
  pos_ = end_;
  return true;
}

bool read_integer(InputFile& in, long long* value) {
  skip_space(in);
  int c = in.peek();
  bool negative = false;
  if (c == '+' || c == '-') {
    negative = c == '-';
    in.get();
    c = in.peek();
  }
  if (c < '0' || c > '9') return false;
  long long magnitude = 0;
  while (c >= '0' && c <= '9') {
    if (magnitude < (1LL << 40)) magnitude = magnitude * 10 + (c - '0');
    in.get();
    c = in.peek();
  }
  *value = negative ? -magnitude : magnitude;
  skip_space(in);
  return true;
}

}  // namespace ruleval
