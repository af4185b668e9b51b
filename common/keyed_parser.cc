#include "common/keyed_parser.h"

#include "common/messages.h"

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
  return malformed_at(nul, render<Detail::kNulByteInFile>());
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
      return expected_at(at,
                         render<Detail::kWhatIntegerAfter>(std::string(key)));
    case NumberResult::kOutOfRange:
      break;
  }
  return malformed_at(at, render<Detail::kIntegerOutOfRange>(std::string(key)));
}

Status KeyedParser::real_after(std::string_view key, float* value) {
  const std::size_t at = scanner_.position();
  switch (scanner_.real(value)) {
    case NumberResult::kOk:
      return Status::Ok();
    case NumberResult::kMissing:
      return expected_at(at,
                         render<Detail::kWhatNumberAfter>(std::string(key)));
    case NumberResult::kOutOfRange:
      break;
  }
  return malformed_at(at, render<Detail::kNotAFiniteNumber>(name_of(key)));
}

Status KeyedParser::count(std::string_view key, int* value) {
  Status status = this->key(key);
  if (!status.ok()) return status;
  const std::size_t at = scanner_.position();
  status = integer_after(key, value);
  if (status.ok() && *value < 0)
    return malformed_at(at, render<Detail::kNegative>(name_of(key)));
  return status;
}

Status KeyedParser::expected_at(std::size_t at, const std::string& what) const {
  return malformed_at(at, scanner_.at_end()
                              ? render<Detail::kExpectedAtEnd>(what)
                              : render<Detail::kExpected>(what));
}

Status KeyedParser::malformed_at(std::size_t at,
                                 const std::string& problem) const {
  const int line = scanner_.line_at(at);
  switch (kind_) {
    case Kind::kAttributeDescription:
      return Status::Fatal(
          render<Message::kMalformedAttributeFile>(path_, line, problem));
    case Kind::kRuleFile:
      break;
  }
  return Status::Fatal(
      render<Message::kMalformedRuleFile>(path_, line, problem));
}

}  // namespace ruleval
