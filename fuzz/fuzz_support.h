// What the fuzz targets share: cutting one fuzz input into the files of a
// run, a small description for inputs that bring none, and the checks that
// every failure is one clear message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "common/attribute_table.h"
#include "common/status.h"

namespace ruleval::fuzz {

// The line that separates the files within one input.
inline constexpr std::string_view kSeparator = "\n%%\n";

// The input cut at its first parts - 1 separators. Fewer parts come back
// when the input holds fewer separators.
std::vector<std::string_view> split_input(const std::uint8_t* data,
                                          std::size_t size, std::size_t parts);

// A description of symbolic, integer and real condition attributes, an
// excluded one and a symbolic decision attribute, for inputs that hold only
// the file after it. In selected order: count (I), colour (S), size (R),
// shape (S), class.
extern const char* const kFixedDescription;

// Reads description and selects its attributes the way a run does: on
// success table holds the condition attributes in selected order, the
// decision attribute last. False when the run would stop before the rules.
bool selected_table(std::string_view description, AttributeTable* table);

// Ends the process with the message when a failure of the reader of kind
// ("attribute", "rule") on text does not read
// "\nMalformed <kind> file <path>, line N: ...\n" with N a line of text.
void require_malformed_message(const Status& status, std::string_view kind,
                               std::string_view path, std::string_view text);

// Ends the process, as a finding, with what went wrong.
[[noreturn]] void finding(const std::string& what);

// A stream that swallows what is written to it, closed when it goes.
class NullOutput {
 public:
  NullOutput();
  NullOutput(const NullOutput&) = delete;
  NullOutput& operator=(const NullOutput&) = delete;
  ~NullOutput();

  std::FILE* get() const { return file_; }

 private:
  std::FILE* file_;
};

}  // namespace ruleval::fuzz
