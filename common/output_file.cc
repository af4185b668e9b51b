#include "common/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>

#include "common/file_kind.h"
#include "common/messages.h"

namespace ruleval {

OutputFile::~OutputFile() {
  if (file_ != nullptr) {
    flush();
    drop_byte_left();
    std::fclose(file_);
  }
}

namespace {

// Opens path for writing, created when it does not exist and emptied when
// it does, all but its first byte, which the first write replaces: a file
// cut to nothing is, on some file systems (ext4), flushed to disk when it is
// closed, and the next run that empties it waits for that write, which
// together cost as much as writing the file. Sets *one_byte_left when that
// byte was left. -1 when the file cannot be opened or emptied.
int open_emptied(const std::string& path, bool* one_byte_left) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return -1;
  struct stat status {};
  // Files of other kinds, a terminal or a pipe, are written as they are.
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
      status.st_size == 0) {
    return fd;
  }
  *one_byte_left = true;
  if (status.st_size == 1 || ::ftruncate(fd, 1) == 0) return fd;
  ::close(fd);
  return -1;
}

}  // namespace

bool OutputFile::open(const std::string& path) {
  path_ = path;
  const int fd = open_emptied(path, &one_byte_left_);
  if (fd < 0) return false;
  file_ = ::fdopen(fd, "wb");
  if (file_ == nullptr) {
    ::close(fd);
    return false;
  }
  buffer_.resize(kCapacity);
  return true;
}

bool OutputFile::writable_at() const { return is_regular_file(file_); }

bool OutputFile::write_at(std::string_view text, std::uint64_t offset) const {
  while (!text.empty()) {
    const ssize_t part = ::pwrite(::fileno(file_), text.data(), text.size(),
                                  static_cast<off_t>(offset));
    if (part < 0 && errno == EINTR) continue;
    if (part <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(part));
    offset += static_cast<std::uint64_t>(part);
  }
  return true;
}

void OutputFile::continue_after(std::uint64_t end, bool failed) {
  if (file_ == nullptr) return;
  flush();
  if (failed) failed_ = true;
  if (::ftruncate(::fileno(file_), static_cast<off_t>(end)) != 0) {
    failed_ = true;
    return;
  }
  if (std::fseek(file_, static_cast<long>(end), SEEK_SET) != 0) failed_ = true;
  written_ = end;
}

void OutputFile::write_through(std::string_view text) {
  if (file_ == nullptr || failed_) return;
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) {
    failed_ = true;
    return;
  }
  written_ += text.size();
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
  if (!failed_) written_ += used_;
  used_ = 0;
}

bool OutputFile::drop_byte_left() {
  if (!one_byte_left_ || written_ > 0) return true;
  return std::fflush(file_) == 0 && ::ftruncate(::fileno(file_), 0) == 0;
}

Status OutputFile::close() {
  if (file_ == nullptr) return Status::Ok();
  flush();
  if (std::fflush(file_) != 0 || std::ferror(file_) != 0) failed_ = true;
  if (!drop_byte_left()) failed_ = true;
  if (std::fclose(file_) != 0) failed_ = true;
  file_ = nullptr;
  return failed_ ? write_failure(path_) : Status::Ok();
}

Status write_failure(const std::string& path) {
  return Status::Fatal(render<Message::kCannotWriteFile>(path));
}

}  // namespace ruleval
