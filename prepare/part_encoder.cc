#include "prepare/part_encoder.h"

#include "common/cache_aligned.h"
#include "common/output_file.h"
#include "prepare/test_lines.h"

namespace ruleval {

void PartEncoder::encode(Part* part) const {
  if (part->text != nullptr) {
    encode_part<true>(part);
  } else {
    encode_part<false>(part);
  }
}

template <bool kText>
void PartEncoder::encode_part(Part* part) const {
  char* at = nullptr;
  if constexpr (kText) {
    // Room for the longest codes of every line, and of a last line without
    // a line feed.
    const std::size_t room =
        (part->line_count + 1) * (coders_.size() * kLongestCode + 1);
    if (part->text->size() < room) part->text->resize(room);
    at = part->text->data();
  }
  // The codes of the line being encoded, on cache lines of their own. They
  // are written for every value; a line shared with what another thread
  // writes meanwhile (malloc hands out neighbouring blocks) would slow every
  // value of the test data.
  CacheAlignedVector<std::uint32_t> row(coders_.size());
  std::string_view rest = part->lines;
  while (!rest.empty()) {
    const std::string_view line = take_line(&rest, part->line_end);
    // The lines after it may be read with it, up to the end of the part.
    const auto readable =
        static_cast<std::size_t>(rest.data() + rest.size() - line.data());
    if (!encode_line<kText>(line, readable, part, &at, row.data())) {
      part->end_offset = part->lines.size() - rest.size();
      break;
    }
  }
  if constexpr (kText) {
    part->text_size = static_cast<std::size_t>(at - part->text->data());
  }
}

template <bool kText>
bool PartEncoder::encode_line(std::string_view line, std::size_t readable,
                              Part* part, char** at, std::uint32_t* row) const {
  // No text holds one; a file cut off by a crash may end in a run of them.
  if (line.find('\0') != std::string_view::npos) {
    part->end = PartEnd::kNulByte;
    return false;
  }
  TokenCursor tokens(line, readable);
  // Read once: the stores of codes might otherwise be taken to change them.
  const AttributeCoder* const coders = coders_.data();
  const std::size_t attributes = coders_.size();
  for (std::size_t a = 0; a < attributes; ++a) {
    std::string_view token;
    if (!tokens.next(&token)) {
      part->end = PartEnd::kShortLine;
      part->values = a;
      return false;
    }
    const AttributeCoder::Coding coding = coders[a].encode(token, &row[a]);
    if (coding != AttributeCoder::Coding::kCoded) [[unlikely]] {
      if (coding == AttributeCoder::Coding::kMissing) {
        ++part->missing_values;
        if constexpr (kText) *at = put_code(*at, row[a]);
        continue;
      }
      part->end = coding == AttributeCoder::Coding::kUnknownValue
                      ? PartEnd::kUnknownValue
                      : PartEnd::kNotANumber;
      part->value = token;
      part->attribute = a;
      return false;
    }
    if constexpr (kText) *at = put_code(*at, row[a]);
  }
  if (part->cases == part->most_cases) {
    part->end = PartEnd::kTooManyCases;
    return false;
  }
  const std::size_t c = part->first_case + part->cases;
  const int* const kept = kept_.data();
  cases_->set_record(c, [row, kept](std::size_t j) {
    return row[static_cast<std::size_t>(kept[j])];
  });
  ++part->cases;
  if constexpr (kText) *(*at)++ = '\n';
  return true;
}

}  // namespace ruleval
