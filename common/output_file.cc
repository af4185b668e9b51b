#include "common/output_file.h"

#include <cstdarg>
#include <cstdio>

#include "common/messages.h"

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
  buffer_.resize(kCapacity);
  return true;
}

void OutputFile::write_through(std::string_view text) {
  if (file_ == nullptr || failed_) return;
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size())
    failed_ = true;
}

void OutputFile::print(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  va_list again;
  va_copy(again, args);
  // Straight into the buffer while it has room, as it mostly has.
  const std::size_t room = buffer_.size() - used_;
  const int length =
      room > 0 ? std::vsnprintf(buffer_.data() + used_, room, fmt, args) : -1;
  if (length >= 0 && static_cast<std::size_t>(length) < room) {
    used_ += static_cast<std::size_t>(length);
  } else {
    write(vformat(fmt, again));
  }
  va_end(again);
  va_end(args);
}

void OutputFile::flush() {
  if (file_ == nullptr || used_ == 0) return;
  if (!failed_ && std::fwrite(buffer_.data(), 1, used_, file_) != used_) {
    failed_ = true;
  }
  used_ = 0;
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
  return Status::Fatal(render<Message::kCannotWriteFile>(path));
}

}  // namespace ruleval
