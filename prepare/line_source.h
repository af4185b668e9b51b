// Where the encoder reads the test data from, a block of whole lines at a
// time: the test data file, or text in memory (for tests and fuzzing), both
// read the same way.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "common/input_file.h"

namespace ruleval {

class LineSource {
 public:
  virtual ~LineSource() = default;

  // The next whole lines, about `size` bytes of them or more, each with its
  // line end; at the end, a last line without one too. The view stays valid
  // until the next call. False at the end or when reading failed.
  virtual bool next_lines(std::size_t size, std::string_view* lines) = 0;
  // What ends a line (see line_format()); known once reading has begun.
  virtual char line_end() const = 0;
  // True when reading stopped on an error rather than at the end.
  virtual bool failed() const = 0;
};

// The lines of a file, as InputFile reads them.
class FileLines final : public LineSource {
 public:
  // Opens path for reading; false when it cannot be opened.
  bool open(const std::string& path) { return file_.open(path); }

  bool next_lines(std::size_t size, std::string_view* lines) override {
    return file_.next_lines(size, lines);
  }
  char line_end() const override { return file_.line_end(); }
  bool failed() const override { return file_.failed(); }

 private:
  InputFile file_;
};

// Text held in memory, read as the lines of a file that holds it: after a
// byte order mark, and ended as line_format() says. All of the lines come
// at once; the text must outlive the source.
class TextLines final : public LineSource {
 public:
  explicit TextLines(std::string_view text);

  bool next_lines(std::size_t size, std::string_view* lines) override;
  char line_end() const override { return line_end_; }
  bool failed() const override { return false; }

 private:
  std::string_view text_;
  char line_end_ = '\n';
};

}  // namespace ruleval
