#include "common/replaced_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace ruleval {
namespace {

// The directory part of path with its slash, or nothing.
std::string directory_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Creates a new file with a name of its own beside path, readable and
// writable as the user's file creation mask allows; -1 when it cannot.
int create_beside(const std::string& path, std::string* name) {
  const std::string stem = directory_of(path) + "." +
                           path.substr(directory_of(path).size()) + ".tmp" +
                           std::to_string(::getpid()) + ".";
  for (int k = 0; k < 1000; ++k) {
    *name = stem + std::to_string(k);
    const int fd =
        ::open(name->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

ReplacedFile::~ReplacedFile() { discard(); }

bool ReplacedFile::open(const std::string& path) {
  path_ = path;
  const int fd = create_beside(path, &temporary_);
  if (fd < 0) {
    reason_ = std::strerror(errno_or_io());
    temporary_.clear();
    return false;
  }
  file_ = ::fdopen(fd, "wb");
  if (file_ == nullptr) {
    const int error = errno_or_io();
    ::close(fd);
    return fail(error);
  }
  return true;
}

bool ReplacedFile::close() {
  if (file_ == nullptr) return false;
  if (error_ != 0) return fail(error_);
  if (std::fflush(file_) != 0 || std::ferror(file_) != 0)
    return fail(errno_or_io());
  const int closed = std::fclose(file_);
  file_ = nullptr;
  if (closed != 0) return fail(errno_or_io());
  return true;
}

bool ReplacedFile::commit() {
  if (file_ != nullptr || temporary_.empty()) return false;
  if (std::rename(temporary_.c_str(), path_.c_str()) != 0)
    return fail(errno_or_io());
  temporary_.clear();
  return true;
}

int ReplacedFile::errno_or_io() { return errno != 0 ? errno : EIO; }

bool ReplacedFile::fail(int error) {
  reason_ = std::strerror(error);
  discard();
  return false;
}

void ReplacedFile::discard() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
  if (!temporary_.empty()) {
    ::unlink(temporary_.c_str());
    temporary_.clear();
  }
}

}  // namespace ruleval
