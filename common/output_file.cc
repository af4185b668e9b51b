#include "common/output_file.h"

#include <charconv>
#include <cstdarg>

namespace ruleval {

OutputFile::~OutputFile() {
  if (file_ != nullptr) {
    flush();
    std::fclose(file_);
  }
}

bool OutputFile::open(const std::string& path) {
  path_ = path;
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ == nullptr) return false;
  buffer_.reserve(kFlushAt + 4096);
  return true;
}

void OutputFile::write_code(std::uint32_t code) {
  char digits[16];
  const auto result = std::to_chars(digits, digits + sizeof digits, code);
  *result.ptr = ' ';
  write(std::string_view(digits,
                         static_cast<std::size_t>(result.ptr + 1 - digits)));
}

void OutputFile::print(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  write(vformat(fmt, args));
  va_end(args);
}

void OutputFile::flush() {
  if (file_ == nullptr || buffer_.empty()) return;
  if (!failed_ &&
      std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) {
    failed_ = true;
  }
  buffer_.clear();
}

Status OutputFile::close() {
  if (file_ == nullptr) return Status::Ok();
  flush();
  if (std::fflush(file_) != 0 || std::ferror(file_) != 0) failed_ = true;
  if (std::fclose(file_) != 0) failed_ = true;
  file_ = nullptr;
  return failed_ ? write_failure(path_) : Status::Ok();
}

Status write_failure(const std::string& path) {
  return Status::Fatal(format("\nCannot write file: %s ...\n", path.c_str()));
}

}  // namespace ruleval
