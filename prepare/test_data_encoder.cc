#include "prepare/test_data_encoder.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <limits>
#include <new>
#include <numeric>
#include <vector>

#include "common/input_file.h"
#include "common/output_file.h"
#include "common/parallel.h"
#include "prepare/part_encoder.h"
#include "prepare/test_lines.h"
#include "prepare/value_coder.h"

namespace ruleval {
namespace {

// The test data held in memory, given as InputFile gives the lines of a
// file: after a byte order mark, and ended as line_format() says.
class TextLines {
 public:
  explicit TextLines(std::string_view text) {
    const LineFormat format = line_format(text);
    text_ = text.substr(format.skip);
    line_end_ = format.line_end;
  }

  // All of the lines at once.
  bool next_lines(std::size_t, std::string_view* lines) {
    if (text_.empty()) return false;
    *lines = text_;
    text_ = std::string_view();
    return true;
  }
  char line_end() const { return line_end_; }
  bool failed() const { return false; }

 private:
  std::string_view text_;
  char line_end_ = '\n';
};

// Codes appended to a string as B.qzf would hold them.
class CodeText {
 public:
  explicit CodeText(std::string* text) : text_(text) {}
  void write(std::string_view text) { text_->append(text); }

 private:
  std::string* text_;
};

// The block of lines split into at most `count` parts, one for each thread,
// the part p writing its codes in (*texts)[p].
std::vector<Part> parts_of(std::string_view lines, std::size_t count,
                           char line_end,
                           std::vector<std::vector<char>>* texts) {
  std::vector<Part> parts;
  for (const std::string_view run : split_lines(lines, count, line_end)) {
    Part part;
    part.lines = run;
    part.line_end = line_end;
    part.line_count =
        static_cast<std::size_t>(std::count(run.begin(), run.end(), line_end));
    part.text = &(*texts)[parts.size()];
    parts.push_back(part);
  }
  return parts;
}

// A line with fewer values than attributes, which ends the test data, and
// the lines after it that hold values all the same.
struct ShortLine {
  bool seen = false;
  int line = 0;
  std::size_t values = 0;
  std::size_t dropped_lines = 0;
};

// Reads the test data a block of lines at a time, splits each block among
// the cores, and takes the parts in order up to the first line that ends
// the encoding: the outcome is that of one thread reading line by line.
// Lines is InputFile or TextLines, Codes OutputFile or CodeText.
template <class Codes>
class BlockEncoder {
 public:
  BlockEncoder(const PartEncoder& encoder, const AttributeTable& table,
               const std::string& path, Codes& out, CaseBuffer* cases)
      : encoder_(encoder),
        table_(table),
        path_(path),
        out_(out),
        cases_(cases) {}

  template <class Lines>
  Status encode(Lines& in, int* num_cases, std::string* warning);

 private:
  // Lays out the parts' cases after the cases so far.
  Status place(std::vector<Part>* parts);
  // Takes the parts in order; false once one ended the encoding.
  bool take(std::vector<Part>& parts, Status* status);
  // The failure for a value of line that could not be coded.
  Status bad_value(const Part& part, int line) const;
  // The warning for lines with values after a short line, or nothing.
  std::string short_line_warning() const;

  const PartEncoder& encoder_;
  const AttributeTable& table_;
  const std::string& path_;
  Codes& out_;
  CaseBuffer* cases_;
  std::size_t num_cases_ = 0;
  ShortLine short_line_;
};

template <class Codes>
template <class Lines>
Status BlockEncoder<Codes>::encode(Lines& in, int* num_cases,
                                   std::string* warning) {
  constexpr std::size_t kBlockBytes = std::size_t{1} << 21;
  constexpr std::size_t kLeastPartBytes = std::size_t{1} << 16;
  std::vector<std::vector<char>> texts(worker_count(kMostWorkers));
  Status status = Status::Ok();
  std::string_view lines;
  while (status.ok() && in.next_lines(kBlockBytes, &lines)) {
    std::vector<Part> parts =
        parts_of(lines, worker_count(1 + lines.size() / kLeastPartBytes),
                 in.line_end(), &texts);
    status = place(&parts);
    if (!status.ok()) break;
    run_in_parallel(parts.size(),
                    [&](std::size_t p) { encoder_.encode(&parts[p]); });
    if (!take(parts, &status)) break;
  }
  cases_->resize(num_cases_);
  *num_cases = static_cast<int>(num_cases_);
  if (short_line_.seen) {
    // The rest of the file is read only to say what the test data lost.
    while (in.next_lines(kBlockBytes, &lines)) {
      short_line_.dropped_lines += lines_with_values(lines, in.line_end());
    }
    *warning = short_line_warning();
  }
  return status;
}

template <class Codes>
Status BlockEncoder<Codes>::place(std::vector<Part>* parts) {
  constexpr auto kMostCases =
      static_cast<std::size_t>(std::numeric_limits<int>::max());
  std::size_t next = num_cases_;
  for (Part& part : *parts) {
    part.first_case = next;
    part.most_cases = kMostCases - std::min(kMostCases, next);
    // A last line without a line end is a case too.
    next += part.line_count + (part.lines.ends_with(part.line_end) ? 0 : 1);
  }
  try {
    cases_->resize(std::min(next, kMostCases));
  } catch (const std::bad_alloc&) {
    return Status::Fatal("\nNot enough memory for casebuffer...");
  }
  return Status::Ok();
}

template <class Codes>
bool BlockEncoder<Codes>::take(std::vector<Part>& parts, Status* status) {
  for (std::size_t p = 0; p < parts.size(); ++p) {
    const Part& part = parts[p];
    out_.write(std::string_view(part.text->data(), part.text_size));
    num_cases_ += part.cases;
    // Every line before the one that ended the encoding was a case.
    const int line = static_cast<int>(num_cases_) + 1;
    switch (part.end) {
      case PartEnd::kAllLines:
        continue;
      case PartEnd::kShortLine:
        short_line_.seen = true;
        short_line_.line = line;
        short_line_.values = part.values;
        short_line_.dropped_lines = lines_with_values(
            part.lines.substr(part.end_offset), part.line_end);
        for (std::size_t q = p + 1; q < parts.size(); ++q) {
          short_line_.dropped_lines +=
              lines_with_values(parts[q].lines, parts[q].line_end);
        }
        break;
      case PartEnd::kUnknownValue:
      case PartEnd::kNotANumber:
        *status = bad_value(part, line);
        break;
      case PartEnd::kNulByte:
        *status = Status::Fatal(
            format("\nMalformed test data file %s, line %d: NUL byte in the "
                   "line\n",
                   path_.c_str(), line));
        break;
      case PartEnd::kTooManyCases:
        *status = Status::Fatal("\nToo many test cases...\n");
        break;
    }
    return false;
  }
  return true;
}

template <class Codes>
Status BlockEncoder<Codes>::bad_value(const Part& part, int line) const {
  const std::string value(part.value);
  const char* name = table_.attributes[part.attribute].AttriName.c_str();
  if (part.end == PartEnd::kNotANumber) {
    return Status::Fatal(
        format("\nMalformed test data file %s, line %d: value \"%s\" of "
               "attribute %s is not a number\n",
               path_.c_str(), line, value.c_str(), name));
  }
  return Status::Fatal(
      format("\n String  of case %d is over the limition"
             "\nMalformed test data file %s, line %d: \"%s\" is not a value "
             "of attribute %s\n",
             line, path_.c_str(), line, value.c_str(), name));
}

template <class Codes>
std::string BlockEncoder<Codes>::short_line_warning() const {
  if (short_line_.dropped_lines == 0) return std::string();
  return format(
      "ruleval: warning: %s, line %d holds %d values, fewer than the %d "
      "attributes: the test data ends there, and the %d lines after it that "
      "hold values are not evaluated\n",
      path_.c_str(), short_line_.line, static_cast<int>(short_line_.values),
      static_cast<int>(table_.attributes.size()),
      static_cast<int>(std::min<std::size_t>(
          short_line_.dropped_lines,
          static_cast<std::size_t>(std::numeric_limits<int>::max()))));
}

// The most cases a file of this size can hold: every value takes a
// character and a separator.
std::size_t most_cases(const std::string& path, std::size_t attributes) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error || attributes == 0) return 0;
  return static_cast<std::size_t>(size / (2 * attributes) + 1);
}

// Starts the case buffer for the kept attributes, its codes as wide as the
// largest code one of them can have.
void start_case_buffer(const AttributeTable& table,
                       const std::vector<int>& kept, std::size_t expected_cases,
                       CaseBuffer* cases) {
  std::uint64_t code_limit = 1;
  for (const int a : kept) {
    code_limit = std::max<std::uint64_t>(
        code_limit, code_count(table.attributes[static_cast<std::size_t>(a)]));
  }
  cases->start(kept.size(), code_limit, expected_cases);
}

}  // namespace

Status encode_test_cases(const std::string& test_path,
                         const std::string& codes_path,
                         const AttributeTable& table,
                         const std::vector<int>& kept, CaseBuffer* cases,
                         int* num_cases, std::string* warning) {
  const std::string& path = test_path;
  InputFile in;
  if (!in.open(path)) {
    return Status::Fatal(
        format("\n Cannot open test data file: %s...\n", path.c_str()));
  }
  OutputFile out;
  if (!out.open(codes_path)) {
    const char* reason = std::strerror(errno);
    return Status::Fatal(
        format("\nFailed to create .qzf file...\nCannot create file: %s (%s)\n",
               codes_path.c_str(), reason));
  }

  const std::vector<AttributeCoder> coders = coders_of(table);
  start_case_buffer(table, kept, most_cases(path, table.attributes.size()),
                    cases);
  const PartEncoder part_encoder(coders, kept, cases);
  const Status status =
      BlockEncoder<OutputFile>(part_encoder, table, path, out, cases)
          .encode(in, num_cases, warning);
  const Status closed = out.close();
  if (!status.ok()) return status;
  if (in.failed()) return read_failure(path);
  return closed;
}

Status encode_test_text(std::string_view text, const AttributeTable& table,
                        const std::string& path, std::string* codes,
                        int* num_cases, std::string* warning) {
  const std::vector<AttributeCoder> coders = coders_of(table);
  std::vector<int> every(coders.size());
  std::iota(every.begin(), every.end(), 0);
  CaseBuffer cases;
  start_case_buffer(table, every, 0, &cases);
  const PartEncoder part_encoder(coders, every, &cases);
  CodeText out(codes);
  TextLines lines(text);
  return BlockEncoder<CodeText>(part_encoder, table, path, out, &cases)
      .encode(lines, num_cases, warning);
}

}  // namespace ruleval
