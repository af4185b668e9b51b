#include "prepare/block_encoder.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <new>

#include "common/messages.h"
#include "common/parallel.h"
#include "prepare/test_lines.h"

namespace ruleval {
namespace {

// The test data is read this many bytes of lines at a time.
constexpr std::size_t kBlockBytes = std::size_t{1} << 21;
// A block is cut into parts of at least this size.
constexpr std::size_t kLeastPartBytes = std::size_t{1} << 16;
// A block is cut into this many parts a worker, so that a worker done
// early (or the one that read the next block) takes another.
constexpr std::size_t kPartsPerWorker = 4;

}  // namespace

Status BlockEncoder::encode(LineSource& in, CodeSink* out,
                            std::string* warning) {
  Status status = Status::Ok();
  // The next block is read, and split into parts, while the cores encode
  // the one before it.
  Block blocks[2];
  bool more = read_block(in, &blocks[0]);
  std::uint64_t lines_end = 0;  // of the blocks taken
  for (std::size_t b = 0; more; b ^= 1) {
    Block& block = blocks[b];
    status = place(&block.parts, out != nullptr);
    if (!status.ok()) break;
    more = false;
    // Each worker takes the next task until none is left: the first is to
    // read the next block, the others to encode a part each.
    std::atomic<std::size_t> next_task{0};
    const std::size_t tasks = block.parts.size() + 1;
    run_in_parallel(worker_count(tasks), [&](std::size_t) {
      for (std::size_t task = next_task++; task < tasks; task = next_task++) {
        if (task == 0) {
          more = read_block(in, &blocks[b ^ 1]);
        } else {
          encoder_.encode(&block.parts[task - 1]);
        }
      }
    });
    // Where the block's lines are, for B.result to read them again.
    cases_->add_line_block({block.offset, num_cases_});
    lines_end = block.offset + block.lines.size();
    if (!take(block.parts, out, &status)) {
      if (more && short_line_.seen) {
        short_line_.dropped_lines +=
            lines_with_values(blocks[b ^ 1].lines, in.line_end());
      }
      break;
    }
  }
  cases_->resize(num_cases_);
  if (lines_end > 0) cases_->add_line_block({lines_end, num_cases_});
  if (short_line_.seen) {
    // The rest of the file is read only to say what the test data lost.
    std::string_view lines;
    while (in.next_lines(kBlockBytes, &lines)) {
      short_line_.dropped_lines += lines_with_values(lines, in.line_end());
    }
    *warning = short_line_warning();
  }
  return status;
}

bool BlockEncoder::read_block(LineSource& in, Block* block) {
  std::string_view lines;
  if (!in.next_lines(kBlockBytes, &lines)) return false;
  // A copy: the source's view ends with its next read, while the block is
  // still being encoded.
  if (block->bytes.size() < lines.size()) block->bytes.resize(lines.size());
  std::copy(lines.begin(), lines.end(), block->bytes.begin());
  block->lines = std::string_view(block->bytes.data(), lines.size());
  block->offset = bytes_read_;
  bytes_read_ += lines.size();
  const char line_end = in.line_end();
  const std::size_t most_parts = 1 + lines.size() / kLeastPartBytes;
  const std::vector<std::string_view> runs = split_lines(
      block->lines,
      std::min(most_parts, worker_count(most_parts) * kPartsPerWorker),
      line_end);
  block->parts.assign(runs.size(), Part());
  for (std::size_t p = 0; p < runs.size(); ++p) {
    Part& part = block->parts[p];
    part.lines = runs[p];
    part.line_end = line_end;
    part.line_count = count_line_ends(runs[p], line_end);
  }
  return true;
}

Status BlockEncoder::place(std::vector<Part>* parts, bool with_text) {
  constexpr auto kMostCases =
      static_cast<std::size_t>(std::numeric_limits<int>::max());
  if (with_text && texts_.size() < parts->size()) texts_.resize(parts->size());
  std::size_t next = num_cases_;
  for (std::size_t p = 0; p < parts->size(); ++p) {
    Part& part = (*parts)[p];
    if (with_text) part.text = &texts_[p];
    part.first_case = next;
    part.most_cases = kMostCases - std::min(kMostCases, next);
    // A last line without a line end is a case too.
    next += part.line_count + (part.lines.ends_with(part.line_end) ? 0 : 1);
  }
  try {
    cases_->resize(std::min(next, kMostCases));
  } catch (const std::bad_alloc&) {
    return Status::Fatal(render<Message::kNoMemoryForCases>());
  }
  return Status::Ok();
}

bool BlockEncoder::take(const std::vector<Part>& parts, CodeSink* out,
                        Status* status) {
  for (std::size_t p = 0; p < parts.size(); ++p) {
    const Part& part = parts[p];
    if (out != nullptr) {
      out->write(std::string_view(part.text->data(), part.text_size));
    }
    num_cases_ += part.cases;
    if (part.missing_values > 0) cases_->note_missing_values();
    // Every line before the one that ended the encoding was a case.
    const int line = static_cast<int>(num_cases_) + 1;
    switch (part.end) {
      case PartEnd::kAllLines:
        continue;
      case PartEnd::kShortLine:
        note_short_line(parts, p, line);
        break;
      case PartEnd::kUnknownValue:
      case PartEnd::kNotANumber:
        *status = bad_value(part, line);
        break;
      case PartEnd::kNulByte:
        *status =
            Status::Fatal(render<Message::kNulByteInTestData>(path_, line));
        break;
      case PartEnd::kTooManyCases:
        *status = Status::Fatal(render<Message::kTooManyTestCases>());
        break;
    }
    return false;
  }
  return true;
}

void BlockEncoder::note_short_line(const std::vector<Part>& parts,
                                   std::size_t p, int line) {
  const Part& part = parts[p];
  short_line_.seen = true;
  short_line_.line = line;
  short_line_.values = part.values;
  short_line_.dropped_lines =
      lines_with_values(part.lines.substr(part.end_offset), part.line_end);
  for (std::size_t q = p + 1; q < parts.size(); ++q) {
    short_line_.dropped_lines +=
        lines_with_values(parts[q].lines, parts[q].line_end);
  }
}

Status BlockEncoder::bad_value(const Part& part, int line) const {
  const std::string value(part.value);
  const std::string& name = table_.attributes[part.attribute].name;
  if (part.end == PartEnd::kNotANumber) {
    return Status::Fatal(
        render<Message::kValueNotANumber>(path_, line, value, name));
  }
  return Status::Fatal(
      render<Message::kUnknownValue>(line, path_, line, value, name));
}

std::string BlockEncoder::short_line_warning() const {
  if (short_line_.dropped_lines == 0) return std::string();
  return render<Message::kTestDataEndsEarly>(
      path_, short_line_.line, static_cast<int>(short_line_.values),
      static_cast<int>(table_.attributes.size()),
      static_cast<int>(std::min<std::size_t>(
          short_line_.dropped_lines,
          static_cast<std::size_t>(std::numeric_limits<int>::max()))));
}

}  // namespace ruleval
