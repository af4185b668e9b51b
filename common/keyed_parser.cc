#include "common/keyed_parser.h"

namespace ruleval {
namespace {

using NumberResult = TextScanner::NumberResult;

std::string name_of(std::string_view key) {
  if (!key.empty() && key.back() == '=') key.remove_suffix(1);
  return std::string(key);
}

}  // namespace

Status KeyedParser::check_no_nul() const {
  const std::size_t nul = text_.find('\0');
  if (nul == std::string_view::npos) return Status::Ok();
  return malformed_at(nul, "NUL byte in the file");
}

Status KeyedParser::key(std::string_view key) {
  scanner_.skip_space();
  if (scanner_.literal(key)) return Status::Ok();
  return expected(std::string(key));
}

Status KeyedParser::integer_after(std::string_view key, int* value) {
  const std::size_t at = scanner_.position();
  switch (scanner_.integer(value)) {
    case NumberResult::kOk:
      return Status::Ok();
    case NumberResult::kMissing:
      return expected_at(at, "an integer after " + std::string(key));
    case NumberResult::kOutOfRange:
      break;
  }
  return malformed_at(at, "integer out of range after " + std::string(key));
}

Status KeyedParser::real_after(std::string_view key, float* value) {
  const std::size_t at = scanner_.position();
  switch (scanner_.real(value)) {
    case NumberResult::kOk:
      return Status::Ok();
    case NumberResult::kMissing:
      return expected_at(at, "a number after " + std::string(key));
    case NumberResult::kOutOfRange:
      break;
  }
  return malformed_at(at, name_of(key) + " is not a finite number");
}

Status KeyedParser::count(std::string_view key, int* value) {
  Status status = this->key(key);
  if (!status.ok()) return status;
  const std::size_t at = scanner_.position();
  status = integer_after(key, value);
  if (status.ok() && *value < 0)
    return malformed_at(at, name_of(key) + " must not be negative");
  return status;
}

Status KeyedParser::expected_at(std::size_t at, const std::string& what) const {
  return malformed_at(
      at,
      (scanner_.at_end() ? "unexpected end of file, expected " : "expected ") +
          what);
}

Status KeyedParser::malformed_at(std::size_t at,
                                 const std::string& problem) const {
  return Status::Fatal(format("\nMalformed %s file %s, line %d: %s\n", kind_,
                              path_.c_str(), scanner_.line_at(at),
                              problem.c_str()));
}

}  // namespace ruleval
