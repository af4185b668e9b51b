// Fuzz target: the tokenizer and encoder of the raw test data. The input is
// a description, the separator line and the test data, or test data alone,
// read with the fixed description.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "prepare/attribute_file.h"
#include "prepare/test_data_encoder.h"

namespace ruleval::fuzz {
namespace {

// Every complete case has one code per attribute, each among the codes its
// attribute can have or "?" for a missing value; a short line after them
// has fewer codes.
void check_codes(std::string_view codes, const AttributeTable& table,
                 std::size_t num_cases) {
  std::size_t lines = 0;
  while (!codes.empty()) {
    const std::size_t end = codes.find('\n');
    const std::string_view line = codes.substr(0, end);
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < line.size(); ++count) {
      const std::size_t blank = line.find(' ', pos);
      if (blank == std::string_view::npos) finding("code without its blank");
      const std::string text(line.substr(pos, blank - pos));
      const bool number =
          !text.empty() &&
          text.find_first_not_of("0123456789") == std::string::npos;
      if (count >= table.attributes.size()) {
        finding("code beyond the attributes");
      } else if (!number) {
        if (text != "?") finding("code that is neither a number nor ?");
      } else if (std::stoul(text) >= code_count(table.attributes[count])) {
        finding("code beyond its attribute");
      }
      pos = blank + 1;
    }
    if (end == std::string_view::npos) {
      if (count >= table.attributes.size()) finding("complete case uncounted");
      break;
    }
    if (count != table.attributes.size()) finding("case with missing codes");
    ++lines;
    codes.remove_prefix(end + 1);
  }
  if (lines != num_cases) finding("cases miscounted");
}

void encode(std::string_view description, std::string_view test_data) {
  AttributeTable table;
  int num_cases = 0;
  if (!parse_attribute_description(description, "f.fmc", &table, &num_cases)
           .ok()) {
    return;
  }
  EncodedText encoded;
  const Status status = encode_test_text(test_data, table, "f.tst", &encoded);
  if (!status.ok()) {
    if (status.message().rfind("\n String  of case ", 0) != 0 &&
        status.message().rfind("\nMalformed test data file ", 0) != 0) {
      finding("unexpected message: " + status.message());
    }
    return;
  }
  check_codes(encoded.codes, table, encoded.num_cases);
}

}  // namespace
}  // namespace ruleval::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using namespace ruleval::fuzz;
  const auto parts = split_input(data, size, 2);
  encode(parts.size() == 2 ? parts[0] : kFixedDescription, parts.back());
  return 0;
}
