// The encoding of a part of the test data, a run of whole lines, by one
// thread: line by line, every value coded for its attribute, up to the
// first line that ends the encoding. Parts of one block are encoded side by
// side; what the encoding of each came to is kept in it, for the block
// encoder to take the parts in order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "common/case_buffer.h"
#include "prepare/value_coder.h"

namespace ruleval {

// How the encoding of a part ended.
enum class PartEnd {
  kAllLines,
  kShortLine,
  kUnknownValue,
  kNotANumber,
  kNulByte,
  kTooManyCases
};

// A run of whole lines that one thread encodes: its part of B.qzf (when text
// is given), and the codes of its cases in the case buffer from case
// first_case on.
struct Part {
  std::string_view lines;
  char line_end = '\n';
  std::size_t line_count = 0;
  std::size_t first_case = 0;
  std::size_t most_cases = 0;  // what the count of cases may still take
  // Kept from block to block; none when the codes are wanted in the case
  // buffer alone.
  std::vector<char>* text = nullptr;
  // What the encoding came to: the first text_size characters of text, and
  // the number of cases.
  std::size_t text_size = 0;
  std::size_t cases = 0;
  std::size_t missing_values = 0;  // in any attribute, excluded ones too
  PartEnd end = PartEnd::kAllLines;
  // Where the line that ended the encoding stops in lines, and what ended
  // it: the number of values of a short line, or the value that could not
  // be coded and its attribute.
  std::size_t end_offset = 0;
  std::size_t values = 0;
  std::string_view value;
  std::size_t attribute = 0;
};

class PartEncoder {
 public:
  // Codes the values with coders, one per attribute in description order,
  // and keeps the codes of the attributes at the positions `kept` (in that
  // order) in cases, which must have room for every case of a part.
  PartEncoder(const std::vector<AttributeCoder>& coders,
              const std::vector<int>& kept, CaseBuffer* cases)
      : coders_(coders), kept_(kept), cases_(cases) {}

  // Encodes the lines of part up to the first that ends the encoding, and
  // writes their codes as text when the part has a text. Parts of different
  // cases may be encoded at the same time.
  void encode(Part* part) const;

 private:
  // The encoding of a part, with or without the codes as text: the text is
  // made only for B.qzf, which a run writes only once it failed.
  template <bool kText>
  void encode_part(Part* part) const;
  // Encodes one line, of which `readable` bytes may be read, writing its
  // codes at `at` when kText; false with part->end set when the line ends
  // the encoding. Inlined into encode_part(): it runs for every line of the
  // test data.
  template <bool kText>
  [[gnu::always_inline]] inline bool encode_line(std::string_view line,
                                                 std::size_t readable,
                                                 Part* part, char** at,
                                                 std::uint32_t* row) const;

  const std::vector<AttributeCoder>& coders_;
  const std::vector<int>& kept_;
  CaseBuffer* cases_;
};

}  // namespace ruleval
