#include "common/input_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "common/file_kind.h"
#include "common/messages.h"
#include "common/text_scanner.h"

namespace ruleval {
namespace {

constexpr std::size_t kChunk = 1 << 20;

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
  // Room for all of it at once, where the size is known: growing by
  // doubling would copy it over and over and keep two copies at a time.
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (!error && size < text->max_size())
    text->reserve(static_cast<std::size_t>(size));
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
  return Status::Fatal(render<Message::kCannotReadFile>(path));
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

LineFormat line_format(std::string_view text) {
  LineFormat format;
  if (text.starts_with(kByteOrderMark)) format.skip = kByteOrderMark.size();
  if (text.find('\n') == std::string_view::npos &&
      text.find('\r') != std::string_view::npos) {
    format.line_end = '\r';
  }
  return format;
}

void InputFile::start_lines() {
  lines_started_ = true;
  if (peek() == EOF) return;
  const std::string_view start(buffer_.get() + pos_, end_ - pos_);
  LineFormat format = line_format(start);
  pos_ += format.skip;
  skip_ = format.skip;
  // Carriage returns end the lines only in a file that holds no line feed,
  // which the first read cannot always tell.
  if (format.line_end == '\r' && line_feed_ahead()) format.line_end = '\n';
  line_end_ = format.line_end;
}

bool InputFile::line_feed_ahead() {
  const auto has_line_feed = [](const char* bytes, std::size_t size) {
    return std::memchr(bytes, '\n', size) != nullptr;
  };
  const long here = std::ftell(file_);
  if (here < 0) {
    // Not a file to come back in (a pipe): keep what is read.
    for (std::size_t searched = end_; fill(); searched = end_) {
      if (has_line_feed(buffer_.get() + searched, end_ - searched)) return true;
    }
    return false;
  }
  // Read on in a chunk of its own, then come back: the buffer stays a
  // buffer, whatever the size of the file.
  const auto chunk = std::make_unique_for_overwrite<char[]>(kChunk);
  bool found = false;
  std::size_t got = 0;
  while (!found && (got = std::fread(chunk.get(), 1, kChunk, file_)) > 0) {
    found = has_line_feed(chunk.get(), got);
  }
  if (std::ferror(file_) != 0 || std::fseek(file_, here, SEEK_SET) != 0) {
    failed_ = true;
  }
  return found;
}

bool InputFile::next_lines(std::size_t size, std::string_view* lines) {
  if (!lines_started_) start_lines();
  while (end_ - pos_ < size && fill()) {
  }
  for (;;) {
    std::size_t end = end_;
    while (end > pos_ && buffer_[end - 1] != line_end_) --end;
    if (end > pos_) {
      *lines = std::string_view(buffer_.get() + pos_, end - pos_);
      pos_ = end;
      return true;
    }
    // No line ends in the buffer: one long line, or the last one.
    if (!fill()) break;
  }
  if (failed_ || pos_ == end_) return false;
  *lines = std::string_view(buffer_.get() + pos_, end_ - pos_);
  pos_ = end_;
  return true;
}

bool InputFile::next_line(std::string_view* line) {
  if (!lines_started_) start_lines();
  std::size_t searched = pos_;
  for (;;) {
    const char* start = buffer_.get() + searched;
    const void* found = std::memchr(start, line_end_, end_ - searched);
    if (found != nullptr) {
      const std::size_t end = static_cast<std::size_t>(
          static_cast<const char*>(found) - buffer_.get());
      *line = std::string_view(buffer_.get() + pos_, end - pos_);
      pos_ = end + 1;
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

bool InputFile::readable_at() const { return is_regular_file(file_); }

long long InputFile::read_at(std::uint64_t offset, char* bytes,
                             std::size_t size) const {
  std::size_t got = 0;
  while (got < size) {
    const ssize_t part = ::pread(::fileno(file_), bytes + got, size - got,
                                 static_cast<off_t>(skip_ + offset + got));
    if (part == 0) break;
    if (part < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    got += static_cast<std::size_t>(part);
  }
  return static_cast<long long>(got);
}

}  // namespace ruleval
