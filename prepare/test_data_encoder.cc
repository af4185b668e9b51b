#include "prepare/test_data_encoder.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <numeric>
#include <system_error>

#include "common/messages.h"
#include "common/output_file.h"
#include "prepare/block_encoder.h"
#include "prepare/code_sink.h"
#include "prepare/line_source.h"
#include "prepare/part_encoder.h"
#include "prepare/value_coder.h"

namespace ruleval {
namespace {

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

// Encodes the lines of in, named path in messages, into cases, and into
// out as text unless out is null; cases keeps the codes of the attributes at
// the rows `kept` of table and makes room for expected_cases cases at first:
// the one way test data is encoded, from a file or from memory.
Status encode_lines(LineSource& in, const AttributeTable& table,
                    const std::vector<int>& kept, const std::string& path,
                    std::size_t expected_cases, CodeSink* out,
                    CaseBuffer* cases, std::string* warning) {
  const std::vector<AttributeCoder> coders = coders_of(table);
  start_case_buffer(table, kept, expected_cases, cases);
  const PartEncoder part_encoder(coders, kept, cases);
  const Status status =
      BlockEncoder(part_encoder, table, path, cases).encode(in, out, warning);
  if (status.ok() && in.failed()) return read_failure(path);
  return status;
}

}  // namespace

Status encode_test_cases(const std::string& test_path,
                         const std::string& codes_path,
                         const AttributeTable& table,
                         const std::vector<int>& kept, CaseBuffer* cases,
                         std::string* warning) {
  FileLines in;
  if (!in.open(test_path)) {
    return Status::Fatal(render<Message::kCannotOpenTestData>(test_path));
  }
  const std::size_t expected_cases =
      most_cases(test_path, table.attributes.size());
  if (codes_path.empty()) {
    return encode_lines(in, table, kept, test_path, expected_cases, nullptr,
                        cases, warning);
  }
  OutputFile out;
  if (!out.open(codes_path)) {
    const char* reason = std::strerror(errno);
    return Status::Fatal(
        render<Message::kCannotCreateTestCodes>(codes_path, reason));
  }
  FileCodes codes(&out);
  const Status status = encode_lines(in, table, kept, test_path, expected_cases,
                                     &codes, cases, warning);
  const Status closed = out.close();
  if (!status.ok()) return status;
  return closed;
}

Status encode_test_text(std::string_view text, const AttributeTable& table,
                        const std::string& path, EncodedText* encoded) {
  std::vector<int> every(table.attributes.size());
  std::iota(every.begin(), every.end(), 0);
  TextLines in(text);
  StringCodes codes(&encoded->codes);
  CaseBuffer cases;
  const Status status = encode_lines(in, table, every, path, 0, &codes, &cases,
                                     &encoded->warning);
  encoded->num_cases = cases.num_cases();
  return status;
}

}  // namespace ruleval
