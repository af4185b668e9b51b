// Encoder of the raw test data (B.tst) into coded cases: the case buffer,
// and B.qzf for inspection.
//
// B.tst holds one case per line, one value per attribute of the description,
// in description order. Values are tokens: runs of printable characters
// (codes 33 to 126) other than the comma; every other character but the
// line end separates them. Lines end with line feeds, or with carriage
// returns in a file that holds no line feed. B.qzf holds one line per case,
// every code written as "%d " and the line ended by "\n". Encoding stops at
// the first line with fewer values than attributes (a blank line, or the
// end of the file); the codes of that line's values stand at the end of
// B.qzf without a line feed and belong to no case. The file is read a block
// of lines at a time, each block encoded by all cores; the outcome, messages
// included, is that of reading it line by line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/attribute_table.h"
#include "common/case_buffer.h"
#include "common/status.h"

namespace ruleval {

// Encodes the test data at test_path into the coded cases at codes_path
// (B.qzf) with the attributes of table in description order (into no file,
// the codes not even made as text, when codes_path is empty), and keeps the
// codes of the attributes at the rows `kept` (in that order) of every case
// in cases, which then holds every case encoded. Fails with the encoder's
// messages when a file cannot be opened, read or written, a symbolic value
// is not among its attribute's values or a numeric value does not start
// with a number. When the line that ends the test data has lines with
// values after it, sets warning to the text that says so; leaves it as it
// is otherwise.
Status encode_test_cases(const std::string& test_path,
                         const std::string& codes_path,
                         const AttributeTable& table,
                         const std::vector<int>& kept, CaseBuffer* cases,
                         std::string* warning);

// What the encoding of test data in memory came to.
struct EncodedText {
  std::string codes;  // what B.qzf would hold
  std::size_t num_cases = 0;
  std::string warning;  // as encode_test_cases sets it
};

// The same for test data already in memory, named path in messages, the
// way a file is encoded: for tests and fuzzing.
Status encode_test_text(std::string_view text, const AttributeTable& table,
                        const std::string& path, EncodedText* encoded);

}  // namespace ruleval
