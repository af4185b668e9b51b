// The encoding of the test data a block of lines at a time: every block is
// split into parts of whole lines, the parts are encoded side by side on
// the cores while the next block is read, and taken in order up to the
// first line that ends the encoding. The outcome, messages and line numbers
// included, is that of one thread reading line by line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/attribute_table.h"
#include "common/case_buffer.h"
#include "common/status.h"
#include "prepare/code_sink.h"
#include "prepare/line_source.h"
#include "prepare/part_encoder.h"

namespace ruleval {

class BlockEncoder {
 public:
  // Encodes with encoder, which keeps the codes of the cases in cases, the
  // lines of the test data described by table, named path in messages.
  BlockEncoder(const PartEncoder& encoder, const AttributeTable& table,
               const std::string& path, CaseBuffer* cases)
      : encoder_(encoder), table_(table), path_(path), cases_(cases) {}

  // Encodes the lines of in into the case buffer, which then holds every
  // case encoded, and into out as text unless out is null. Fails with the
  // encoder's messages when a value cannot be coded, a line holds a NUL byte or
  // there are too many cases. When a short line ends the test data and lines
  // with values follow it, sets warning to the text that says so; leaves it as
  // it is otherwise.
  Status encode(LineSource& in, CodeSink* out, std::string* warning);

 private:
  // A line with fewer values than attributes, which ends the test data, and
  // the lines after it that hold values all the same.
  struct ShortLine {
    bool seen = false;
    int line = 0;
    std::size_t values = 0;
    std::size_t dropped_lines = 0;
  };

  // A block of lines, a copy of what the source gave, split into parts.
  struct Block {
    std::vector<char> bytes;  // kept from block to block
    std::string_view lines;
    std::uint64_t offset = 0;  // of its lines in the test data
    std::vector<Part> parts;
  };

  // Reads the next block of lines and splits it; false at the end or when
  // reading failed.
  bool read_block(LineSource& in, Block* block);
  // Lays out the parts' cases after the cases so far, and gives them the
  // texts for their codes when with_text.
  Status place(std::vector<Part>* parts, bool with_text);
  // Takes the parts in order; false once one ended the encoding.
  bool take(const std::vector<Part>& parts, CodeSink* out, Status* status);
  // Notes the short line that ended part p and the lines after it.
  void note_short_line(const std::vector<Part>& parts, std::size_t p, int line);
  // The failure for a value of line that could not be coded.
  Status bad_value(const Part& part, int line) const;
  // The warning for lines with values after a short line, or nothing.
  std::string short_line_warning() const;

  const PartEncoder& encoder_;
  const AttributeTable& table_;
  const std::string& path_;
  CaseBuffer* cases_;
  std::vector<std::vector<char>> texts_;  // the parts' codes, block to block
  std::size_t num_cases_ = 0;
  std::uint64_t bytes_read_ = 0;  // of lines, in whole blocks
  ShortLine short_line_;
};

}  // namespace ruleval
