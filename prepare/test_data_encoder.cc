#include "prepare/test_data_encoder.h"

#include <cstdint>
#include <limits>
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

// The codes of a symbolic attribute's values by their text: an open
// addressing table of twice as many slots as values, at least.
class ValueIndex {
 public:
  void add(std::string_view text, std::uint32_t code) {
    entries_.push_back({text, code});
  }
  // Builds the table; among equal texts the first added wins.
  void build() {
    std::size_t size = 4;
    while (size < 2 * entries_.size()) size *= 2;
    slots_.assign(size, kEmpty);
    for (std::uint32_t e = 0; e < entries_.size(); ++e) {
      std::size_t s = slot_of(entries_[e].text);
      while (slots_[s] != kEmpty &&
             entries_[slots_[s]].text != entries_[e].text)
        s = (s + 1) & (slots_.size() - 1);
      if (slots_[s] == kEmpty) slots_[s] = e;
    }
  }
  bool find(std::string_view text, std::uint32_t* code) const {
    for (std::size_t s = slot_of(text);; s = (s + 1) & (slots_.size() - 1)) {
      const std::uint32_t e = slots_[s];
      if (e == kEmpty) return false;
      if (entries_[e].text == text) {
        *code = entries_[e].code;
        return true;
      }
    }
  }

 private:
  struct Entry {
    std::string_view text;
    std::uint32_t code;
  };
  static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;

  std::size_t slot_of(std::string_view text) const {
    std::uint64_t hash = 0xcbf29ce484222325ULL;  // FNV-1a
    for (const char c : text) {
      hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
    }
    return static_cast<std::size_t>(hash ^ (hash >> 32)) & (slots_.size() - 1);
  }

  std::vector<Entry> entries_;
  std::vector<std::uint32_t> slots_;
};

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
        codes_.add(entry.text, static_cast<std::uint32_t>(k));
      } else {
        points_.push_back(entry.point);
      }
    }
    codes_.build();
  }

  // False when a symbolic token is not among the attribute's values.
  bool encode(std::string_view token, std::uint32_t* code) const {
    if (symbolic_) {
      return codes_.find(token, code);
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
  ValueIndex codes_;
  std::vector<float> points_;
};

Status encode_lines(InputFile& in, const std::vector<AttributeCoder>& coders,
                    OutputFile& out, int* num_cases) {
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

  std::vector<AttributeCoder> coders;
  coders.reserve(table.attributes.size());
  for (const Attribute& attribute : table.attributes) {
    coders.emplace_back(attribute, table);
  }
  const Status status = encode_lines(in, coders, out, num_cases);
  const Status closed = out.close();
  if (!status.ok()) return status;
  if (in.failed()) {
    return read_failure(replace_extension(base_name, "tst"));
  }
  return closed;
}

}  // namespace ruleval
