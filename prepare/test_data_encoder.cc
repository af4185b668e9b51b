#include "prepare/test_data_encoder.h"

#include <cstdint>
#include <limits>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/approx_compare.h"
#include "common/input_file.h"
#include "common/numbers.h"
#include "common/output_file.h"
#include "driver/file_names.h"

namespace ruleval {
namespace {

bool is_token_char(char c) {
  const auto code = static_cast<unsigned char>(c);
  return code >= 33 && code <= 126 && c != ',';
}

// Turns the tokens of one attribute into codes: symbolic values through an
// index built once (the first of equal values wins), numeric values into the
// interval between boundary points that they fall in.
class AttributeCoder {
 public:
  AttributeCoder(const Attribute& attribute, const AttributeTable& table)
      : symbolic_(attribute.symbolic()) {
    for (int k = 0; k < attribute.AttriPairNum; ++k) {
      const ValueEntry& entry = table.value(attribute, k);
      if (symbolic_) {
        codes_.emplace(entry.text, static_cast<std::uint32_t>(k));
      } else {
        points_.push_back(entry.point);
      }
    }
  }

  // False when a symbolic token is not among the attribute's values.
  bool encode(std::string_view token, std::uint32_t* code) const {
    if (symbolic_) {
      const auto found = codes_.find(token);
      if (found == codes_.end()) return false;
      *code = found->second;
      return true;
    }
    *code = interval_code(to_single(parse_leading_double(token)));
    return true;
  }

 private:
  // The number of points after the first that the value exceeds, counted in
  // order up to the first it does not exceed.
  std::uint32_t interval_code(double value) const {
    std::size_t k = 0;
    while (k + 1 < points_.size() &&
           approx_compare(value, points_[k + 1], kCompareEpsilon) == 1) {
      ++k;
    }
    return static_cast<std::uint32_t>(k);
  }

  bool symbolic_;
  std::unordered_map<std::string_view, std::uint32_t> codes_;
  std::vector<float> points_;
};

std::vector<AttributeCoder> make_coders(const AttributeTable& table) {
  std::vector<AttributeCoder> coders;
  coders.reserve(table.attributes.size());
  for (const Attribute& attribute : table.attributes) {
    coders.emplace_back(attribute, table);
  }
  return coders;
}

// The lines of test data held in memory, given as InputFile gives the lines
// of a file: a last line without a line feed counts too.
class TextLines {
 public:
  explicit TextLines(std::string_view text) : text_(text) {}

  bool next_line(std::string_view* line) {
    if (pos_ >= text_.size()) return false;
    std::size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    *line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    return true;
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

// Codes appended to a string in the form OutputFile writes them.
class CodeText {
 public:
  explicit CodeText(std::string* text) : text_(text) {}

  void write_code(std::uint32_t code) {
    *text_ += std::to_string(code);
    text_->push_back(' ');
  }
  void put(char c) { text_->push_back(c); }

 private:
  std::string* text_;
};

// Lines is InputFile or TextLines, Codes OutputFile or CodeText.
template <class Lines, class Codes>
Status encode_lines(Lines& in, const std::vector<AttributeCoder>& coders,
                    Codes& out, int* num_cases) {
  *num_cases = 0;
  std::string_view line;
  while (in.next_line(&line)) {
    std::size_t pos = 0;
    for (const AttributeCoder& coder : coders) {
      std::string_view token;
      if (!read_token(line, &pos, &token)) return Status::Ok();
      std::uint32_t code = 0;
      if (!coder.encode(token, &code)) {
        return Status::Fatal(
            format("\n String  of case %d is over the limition"
                   "\nFailed to create .qzf file...\n",
                   *num_cases + 1));
      }
      out.write_code(code);
    }
    if (*num_cases == std::numeric_limits<int>::max()) {
      return Status::Fatal("\nToo many test cases...\n");
    }
    ++*num_cases;
    out.put('\n');
  }
  return Status::Ok();
}

}  // namespace

bool read_token(std::string_view line, std::size_t* pos,
                std::string_view* token) {
  std::size_t p = *pos;
  while (p < line.size() && !is_token_char(line[p])) ++p;
  const std::size_t start = p;
  while (p < line.size() && is_token_char(line[p])) ++p;
  *pos = p;
  if (start == p) return false;
  *token = line.substr(start, p - start);
  return true;
}

Status encode_test_cases(const std::string& base_name,
                         const AttributeTable& table, int* num_cases) {
  const Status open_failure =
      Status::Fatal("\nFailed to create .qzf file...\n");
  InputFile in;
  if (!in.open(replace_extension(base_name, "tst"))) return open_failure;
  OutputFile out;
  if (!out.open(replace_extension(base_name, "qzf"))) return open_failure;

  const std::vector<AttributeCoder> coders = make_coders(table);
  const Status status = encode_lines(in, coders, out, num_cases);
  const Status closed = out.close();
  if (!status.ok()) return status;
  if (in.failed()) {
    return read_failure(replace_extension(base_name, "tst"));
  }
  return closed;
}

Status encode_test_text(std::string_view text, const AttributeTable& table,
                        std::string* codes, int* num_cases) {
  TextLines lines(text);
  CodeText out(codes);
  return encode_lines(lines, make_coders(table), out, num_cases);
}

}  // namespace ruleval
