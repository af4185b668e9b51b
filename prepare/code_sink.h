// Where the encoder writes the codes of the test cases, as B.qzf holds
// them: the file, or a string (for tests and fuzzing).
#pragma once

#include <string>
#include <string_view>

#include "common/output_file.h"

namespace ruleval {

class CodeSink {
 public:
  virtual ~CodeSink() = default;
  // Writes codes after those written so far.
  virtual void write(std::string_view codes) = 0;
};

// Codes written to a file; its failures are kept in it (see OutputFile).
class FileCodes final : public CodeSink {
 public:
  explicit FileCodes(OutputFile* file) : file_(file) {}
  void write(std::string_view codes) override { file_->write(codes); }

 private:
  OutputFile* file_;
};

// Codes appended to a string.
class StringCodes final : public CodeSink {
 public:
  explicit StringCodes(std::string* text) : text_(text) {}
  void write(std::string_view codes) override { text_->append(codes); }

 private:
  std::string* text_;
};

}  // namespace ruleval
