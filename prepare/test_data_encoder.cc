#include "prepare/test_data_encoder.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <new>
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

// Where the cases go besides B.qzf: the codes of the kept attributes, in
// their order, into the case buffer.
struct CaseSink {
  const std::vector<int>& kept;
  CaseBuffer* cases;
  std::vector<std::uint32_t> row;  // the line's codes in description order
  std::vector<std::uint32_t> selected;

  Status add() {
    for (std::size_t j = 0; j < kept.size(); ++j)
      selected[j] = row[static_cast<std::size_t>(kept[j])];
    try {
      cases->add_case(selected.data());
    } catch (const std::bad_alloc&) {
      return Status::Fatal("\nNot enough memory for casebuffer...");
    }
    return Status::Ok();
  }
};

Status encode_lines(InputFile& in, const std::vector<AttributeCoder>& coders,
                    OutputFile& out, CaseSink* sink, int* num_cases) {
  *num_cases = 0;
  std::string_view line;
  while (in.next_line(&line)) {
    std::size_t pos = 0;
    for (std::size_t a = 0; a < coders.size(); ++a) {
      std::string_view token;
      if (!read_token(line, &pos, &token)) return Status::Ok();
      std::uint32_t& code = sink->row[a];
      if (!coders[a].encode(token, &code)) {
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
    const Status added = sink->add();
    if (!added.ok()) return added;
    ++*num_cases;
    out.put('\n');
  }
  return Status::Ok();
}

// The most cases a file of this size can hold: every value takes a
// character and a separator.
std::size_t most_cases(const std::string& path, std::size_t attributes) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error || attributes == 0) return 0;
  return static_cast<std::size_t>(size / (2 * attributes) + 1);
}

// Starts the case buffer for the kept attributes, its codes as wide as the
// largest code one of them can have.
void start_case_buffer(const AttributeTable& table,
                       const std::vector<int>& kept, std::size_t expected_cases,
                       CaseBuffer* cases) {
  std::uint64_t code_limit = 1;
  for (const int a : kept) {
    code_limit = std::max<std::uint64_t>(
        code_limit, code_count(table.attributes[static_cast<std::size_t>(a)]));
  }
  cases->start(kept.size(), code_limit, expected_cases);
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
                         const AttributeTable& table,
                         const std::vector<int>& kept, CaseBuffer* cases,
                         int* num_cases) {
  const Status open_failure =
      Status::Fatal("\nFailed to create .qzf file...\n");
  const std::string test_path = replace_extension(base_name, "tst");
  InputFile in;
  if (!in.open(test_path)) return open_failure;
  OutputFile out;
  if (!out.open(replace_extension(base_name, "qzf"))) return open_failure;

  std::vector<AttributeCoder> coders;
  coders.reserve(table.attributes.size());
  for (const Attribute& attribute : table.attributes) {
    coders.emplace_back(attribute, table);
  }
  start_case_buffer(table, kept, most_cases(test_path, table.attributes.size()),
                    cases);
  CaseSink sink{kept, cases, std::vector<std::uint32_t>(coders.size()),
                std::vector<std::uint32_t>(kept.size())};
  const Status status = encode_lines(in, coders, out, &sink, num_cases);
  const Status closed = out.close();
  if (!status.ok()) return status;
  if (in.failed()) return read_failure(test_path);
  return closed;
}

}  // namespace ruleval
