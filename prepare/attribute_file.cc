#include "prepare/attribute_file.h"

#include <limits>

#include "common/input_file.h"
#include "common/keyed_parser.h"
#include "common/messages.h"
#include "common/text_scanner.h"

namespace ruleval {
namespace {

using NumberResult = TextScanner::NumberResult;

class DescriptionParser {
 public:
  DescriptionParser(std::string_view text, const std::string& path)
      : parser_(text, path, KeyedParser::Kind::kAttributeDescription),
        scanner_(parser_.scanner()) {}

  Status parse(AttributeTable* table, int* num_cases);

 private:
  Status parse_header(int* attribute_count, int* num_cases);
  Status parse_keys(Attribute* attribute);
  Status parse_values(const Attribute& attribute, AttributeTable* table);

  Status key(std::string_view key) { return parser_.key(key); }
  Status integer_after(std::string_view key, int* value) {
    return parser_.integer_after(key, value);
  }
  Status letter_after(std::string_view allowed, const std::string& what,
                      char* value);
  Status expected(const std::string& what) const {
    return parser_.expected(what);
  }
  Status malformed(const std::string& problem) const {
    return parser_.malformed(problem);
  }

  KeyedParser parser_;
  TextScanner& scanner_;
};

Status DescriptionParser::parse(AttributeTable* table, int* num_cases) {
  Status status = parser_.check_no_nul();
  int attribute_count = 0;
  if (status.ok()) status = parse_header(&attribute_count, num_cases);
  if (!status.ok()) return status;
  table->attributes.clear();
  table->values.clear();
  // Rows are added as they are read, never reserved by the declared count.
  for (int i = 0; i < attribute_count; ++i) {
    Attribute attribute;
    status = parse_keys(&attribute);
    if (!status.ok()) return status;
    if (table->values.size() >
        static_cast<std::size_t>(std::numeric_limits<int>::max())) {
      return malformed(render<Detail::kTooManyValues>());
    }
    attribute.first_value = static_cast<int>(table->values.size());
    status = parse_values(attribute, table);
    if (!status.ok()) return status;
    table->attributes.push_back(std::move(attribute));
  }
  return Status::Ok();
}

Status DescriptionParser::parse_header(int* attribute_count, int* num_cases) {
  if (!scanner_.literal("Attrinum=")) return expected("Attrinum=");
  Status status = integer_after("Attrinum=", attribute_count);
  if (!status.ok()) return status;
  if (*attribute_count < 0) {
    return malformed(render<Detail::kNegative>("Attrinum"));
  }
  if (*attribute_count == 0) return malformed(render<Detail::kNoAttributes>());
  status = key("Casenum=");
  if (status.ok()) status = integer_after("Casenum=", num_cases);
  return status;
}

Status DescriptionParser::parse_keys(Attribute* attribute) {
  Status status = key("AttriFlag=");
  if (status.ok()) {
    status =
        letter_after("", render<Detail::kWhatFlagLetterAfter>("AttriFlag="),
                     &attribute->role);
  }
  if (status.ok()) status = key("AttriName=");
  if (status.ok()) {
    std::string_view name;
    if (!scanner_.word(&name)) {
      return expected(render<Detail::kWhatNameAfter>("AttriName="));
    }
    attribute->name = name;
  }
  if (status.ok()) status = key("AttriType=");
  if (status.ok()) {
    status =
        letter_after("SIR", render<Detail::kWhatTypeLetterAfter>("AttriType="),
                     &attribute->type);
  }
  if (status.ok()) status = key("AttriPairNum=");
  if (status.ok())
    status = integer_after("AttriPairNum=", &attribute->value_count);
  if (!status.ok()) return status;
  if (attribute->value_count < 0) {
    return malformed(render<Detail::kNegative>("AttriPairNum"));
  }
  if (!attribute->symbolic() && attribute->value_count == 0) {
    return malformed(render<Detail::kNoBoundaryPoints>(attribute->name));
  }
  int ignored = 0;
  status = key("AttriValueP=");
  if (status.ok()) status = integer_after("AttriValueP=", &ignored);
  if (status.ok()) status = key("AttriPriority=");
  if (status.ok())
    status = integer_after("AttriPriority=", &attribute->priority);
  return status;
}

Status DescriptionParser::parse_values(const Attribute& attribute,
                                       AttributeTable* table) {
  for (int j = 0; j < attribute.value_count; ++j) {
    const auto position = [&] {
      return attribute.symbolic()
                 ? render<Detail::kWhatValuePosition>(
                       j + 1, attribute.value_count, attribute.name)
                 : render<Detail::kWhatBoundaryPointPosition>(
                       j + 1, attribute.value_count, attribute.name);
    };
    ValueEntry entry;
    if (attribute.symbolic()) {
      std::string_view text;
      if (!scanner_.word(&text)) return expected(position());
      entry.text = text;
    } else {
      const NumberResult result = scanner_.real(&entry.point);
      if (result == NumberResult::kMissing) return expected(position());
      if (result == NumberResult::kOutOfRange) {
        return malformed(render<Detail::kNotAFiniteNumber>(position()));
      }
    }
    table->values.push_back(std::move(entry));
  }
  return Status::Ok();
}

// Takes the one character right after a key: white space there is no
// letter, and allowed, when not empty, lists the letters accepted. what
// says what should stand there.
Status DescriptionParser::letter_after(std::string_view allowed,
                                       const std::string& what, char* value) {
  const std::size_t at = scanner_.position();
  char c = 0;
  if (!scanner_.character(&c)) return parser_.expected_at(at, what);
  if (is_space(c) ||
      (!allowed.empty() && allowed.find(c) == std::string_view::npos)) {
    return parser_.malformed_at(at, render<Detail::kExpected>(what));
  }
  *value = c;
  return Status::Ok();
}

}  // namespace

Status parse_attribute_description(std::string_view text,
                                   const std::string& path,
                                   AttributeTable* table, int* num_cases) {
  return DescriptionParser(text, path).parse(table, num_cases);
}

Status read_attribute_file(const std::string& path, AttributeTable* table,
                           int* num_cases) {
  std::string text;
  if (!read_whole_file(path, &text)) {
    return Status::Fatal(render<Message::kCannotOpenDescription>(path));
  }
  return parse_attribute_description(text, path, table, num_cases);
}

}  // namespace ruleval
