#include "evaluate/evaluation_report.h"

#include <atomic>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string_view>

#include "common/input_file.h"
#include "common/messages.h"
#include "common/output_file.h"
#include "common/parallel.h"
#include "evaluate/class_labels.h"

namespace ruleval {
namespace {

// What the testing loop found, before the figures are derived. Only cases
// with a class value are scored; the others are classified and written.
struct Tally {
  explicit Tally(int classes) : matrix(classes) {}

  ConfusionMatrix matrix;
  int num_cases = 0;  // scored
  int correct = 0;
  int unscored = 0;  // cases without a class value
  // Whether any case lacks a condition value, and the scored cases that do.
  bool condition_values_missing = false;
  int with_missing_values = 0;
  int with_missing_values_correct = 0;

  // Adds the counts of other, of as many classes.
  void add(const Tally& other) {
    matrix.add(other.matrix);
    num_cases += other.num_cases;
    correct += other.correct;
    unscored += other.unscored;
    condition_values_missing |= other.condition_values_missing;
    with_missing_values += other.with_missing_values;
    with_missing_values_correct += other.with_missing_values_correct;
  }
};

void add_counters(const RunCounters& from, RunCounters* to) {
  to->partial_match_count += from.partial_match_count;
  to->no_match_count += from.no_match_count;
  to->partial_match_correct += from.partial_match_correct;
  to->no_match_correct += from.no_match_correct;
}

// Counts scored case c, given class `given` and of class `actual`.
void score_case(const CaseBuffer& cases, std::size_t c, int actual,
                Classification given, RunCounters* counters, Tally* tally) {
  const bool holes = lacks_condition_value(cases, c);
  ++tally->num_cases;
  if (given.partial_match()) ++counters->partial_match_count;
  if (given.no_match()) ++counters->no_match_count;
  if (holes) ++tally->with_missing_values;
  tally->matrix.add(actual, given.class_code);
  if (given.class_code != actual) return;
  ++tally->correct;
  if (given.partial_match()) ++counters->partial_match_correct;
  if (given.no_match()) ++counters->no_match_correct;
  if (holes) ++tally->with_missing_values_correct;
}

// Counts case c, which has no class value.
void pass_unscored_case(const CaseBuffer& cases, std::size_t c, Tally* tally) {
  ++tally->unscored;
  if (lacks_condition_value(cases, c)) tally->condition_values_missing = true;
}

// The failure of a testing loop that could not read the line of every case
// again: reading failed, or the test data lost lines since it was encoded.
Status lines_lost(const std::string& test_path, bool read_failed) {
  if (read_failed) return read_failure(test_path);
  return Status::Fatal(render<Message::kTestDataChanged>(test_path));
}

// The text after each raw test line for every class: " -> " and its label.
std::vector<std::string> result_suffixes(const AttributeTable& table) {
  const Attribute& decision = table.attributes.back();
  const int n = number_of_classes(decision);
  std::vector<std::string> suffixes;
  for (int k = 0; k < n; ++k) {
    suffixes.push_back(" -> " + class_label(table, decision, k, n - 1) + "\n");
  }
  return suffixes;
}

// The test data is read for B.result this many bytes at a time.
constexpr std::size_t kBlockBytes = 512 << 10;
// The cases that make writing B.result on every core worth it.
constexpr std::size_t kCasesForAllCores = 1 << 18;

// The testing loop: gives every case its line of B.result and tallies it.
class ResultLines {
 public:
  ResultLines(const AttributeTable& table, const CaseBuffer& cases,
              const Classifications& given, RunCounters* counters, Tally* tally)
      : cases_(cases),
        given_(given),
        suffixes_(result_suffixes(table)),
        counters_(counters),
        tally_(tally),
        end_case_(cases.num_cases()) {}

  // Reads the test data line by line and writes B.result.
  Status write(InputFile& test_data, const std::string& test_path,
               OutputFile& result);
  // The next lines are those of cases first to end - 1.
  void start_at(std::size_t first, std::size_t end) {
    next_case_ = first;
    end_case_ = end;
  }
  bool done() const { return next_case_ == end_case_; }
  // Writes the lines of the next cases to out, as far as lines go; returns
  // the bytes of lines they took.
  template <class Out>
  std::size_t format_block(std::string_view lines, char line_end, Out& out);
  // The size in B.result of lines, whole lines of cases first to end - 1:
  // each line without its line end (and a carriage return before it), then
  // the text of its case's class.
  std::size_t placed_size(std::string_view lines, char line_end,
                          std::size_t first, std::size_t end) const;

 private:
  const CaseBuffer& cases_;
  const Classifications& given_;
  const std::vector<std::string> suffixes_;
  RunCounters* counters_;
  Tally* tally_;
  std::size_t next_case_ = 0;
  std::size_t end_case_;
};

template <class Out>
std::size_t ResultLines::format_block(std::string_view lines, char line_end,
                                      Out& out) {
  const std::size_t size = lines.size();
  while (!lines.empty() && next_case_ < end_case_) {
    const std::size_t end = lines.find(line_end);
    std::string_view line = lines.substr(0, end);
    lines.remove_prefix(end == std::string_view::npos ? lines.size() : end + 1);
    // A carriage return that ends the line belongs to its line end.
    if (line.ends_with('\r')) line.remove_suffix(1);
    const std::size_t c = next_case_++;
    const Classification given = given_[c];
    out.write(line);
    out.write(suffixes_[static_cast<std::size_t>(given.class_code)]);
    if (case_is_scored(cases_, c)) {
      score_case(cases_, c, static_cast<int>(cases_.class_code(c)), given,
                 counters_, tally_);
    } else {
      pass_unscored_case(cases_, c, tally_);
    }
  }
  return size - lines.size();
}

std::size_t ResultLines::placed_size(std::string_view lines, char line_end,
                                     std::size_t first, std::size_t end) const {
  std::size_t size = lines.size() - (end - first);
  if (line_end == '\n') {
    for (std::size_t r = lines.find('\r'); r != std::string_view::npos;
         r = lines.find('\r', r + 1)) {
      if (r + 1 < lines.size() && lines[r + 1] == '\n') --size;
    }
  }
  for (std::size_t c = first; c < end; ++c)
    size += suffixes_[static_cast<std::size_t>(given_[c].class_code)].size();
  return size;
}

Status ResultLines::write(InputFile& test_data, const std::string& test_path,
                          OutputFile& result) {
  std::string_view lines;
  while (next_case_ < end_case_ && test_data.next_lines(kBlockBytes, &lines)) {
    format_block(lines, test_data.line_end(), result);
  }
  if (next_case_ < end_case_) return lines_lost(test_path, test_data.failed());
  return Status::Ok();
}

// A worker's room for the bytes of a block, kept from block to block: new
// memory costs a page fault every few kilobytes.
class BlockBytes {
 public:
  char* room(std::size_t size) {
    if (size > capacity_) {
      bytes_ = std::make_unique_for_overwrite<char[]>(size);
      capacity_ = size;
    }
    return bytes_.get();
  }

 private:
  std::unique_ptr<char[]> bytes_;
  std::size_t capacity_ = 0;
};

// Writes the lines of a block at their place in B.result, a piece at a
// time as they are formatted, and never past the block's end.
class PlacedLines {
 public:
  explicit PlacedLines(const OutputFile& file) : file_(file) {}

  // The next lines go from start on, and end by limit.
  void place(std::uint64_t start, std::uint64_t limit) {
    start_ = start;
    limit_ = limit;
    written_ = 0;
    overflow_ = false;
    failed_ = false;
  }
  void write(std::string_view part) {
    piece_.append(part);
    if (piece_.size() >= kPieceBytes) flush();
  }
  void flush();

  std::uint64_t written() const { return written_; }
  bool overflow() const { return overflow_; }
  bool failed() const { return failed_; }

 private:
  static constexpr std::size_t kPieceBytes = 256 << 10;

  const OutputFile& file_;
  std::string piece_;
  std::uint64_t start_ = 0;
  std::uint64_t limit_ = 0;
  std::uint64_t written_ = 0;
  bool overflow_ = false;  // more was formatted than the block has room for
  bool failed_ = false;
};

void PlacedLines::flush() {
  std::string_view text = piece_;
  const std::uint64_t at = start_ + written_;
  if (text.size() > limit_ - at) {
    text = text.substr(0, static_cast<std::size_t>(limit_ - at));
    overflow_ = true;
  }
  if (!failed_ && !file_.write_at(text, at)) failed_ = true;
  if (!failed_) written_ += text.size();
  piece_.clear();
}

// B.result on every core: the test data is read again in the blocks the
// encoder read it in, and each block is formatted on its own and written
// at its place. The place of a block is known once the blocks before it
// are sized, which for all but the last takes only reading it.
class ResultBlocks {
 public:
  ResultBlocks(const AttributeTable& table, const CaseBuffer& cases,
               const Classifications& given)
      : table_(table),
        cases_(cases),
        given_(given),
        blocks_(cases.line_blocks().size() - 1),
        outcomes_(blocks_),
        ends_(blocks_) {
    for (std::atomic<long long>& end : ends_) end.store(kUnknown);
  }

  // Whether B.result can be written so: enough cases, cores and blocks,
  // and files that can be read and written at any place.
  static bool fit(const CaseBuffer& cases, const InputFile& test_data,
                  const OutputFile& result);
  // Writes the lines of B.result and adds their counts to counters and
  // tally. The first block that fails ends B.result.
  Status write(InputFile& test_data, const std::string& test_path,
               OutputFile& result, RunCounters* counters, Tally* tally);

 private:
  // How the writing of a block ended.
  enum class End : std::uint8_t {
    kWritten,
    kReadFailed,
    kChanged,  // its lines are not the cases' lines any more
    kWriteFailed,
    kAfterFailure  // a block before it failed
  };
  // Where a block's lines went in B.result, and how far they got.
  struct Outcome {
    std::uint64_t start = 0;
    std::uint64_t size = 0;
    End end = End::kWritten;
  };
  // What ends_ holds of a block not yet sized, and of one after which
  // B.result ends.
  static constexpr long long kUnknown = -1;
  static constexpr long long kFailed = -2;

  // Takes blocks until none is left, formatting each with lines.
  void work(const InputFile& test_data, const OutputFile& result,
            ResultLines* lines);
  // Reads block k and writes it, or says why it cannot.
  void work_on(std::size_t k, const InputFile& test_data, BlockBytes* bytes,
               ResultLines* lines, PlacedLines* out);
  // Formats and writes block k from its outcome's start on: block holds
  // the bytes read of it, size the bytes it had when encoded.
  void write_block(std::size_t k, std::string_view block, std::size_t size,
                   char line_end, ResultLines* lines, PlacedLines* out);
  // Where block k ends in B.result, once that is known.
  long long end_of(std::size_t k) const;
  void set_end(std::size_t k, long long end);

  const AttributeTable& table_;
  const CaseBuffer& cases_;
  const Classifications& given_;
  const std::size_t blocks_;
  std::vector<Outcome> outcomes_;
  std::vector<std::atomic<long long>> ends_;
  std::atomic<std::size_t> next_block_{0};
};

bool ResultBlocks::fit(const CaseBuffer& cases, const InputFile& test_data,
                       const OutputFile& result) {
  const std::vector<CaseBuffer::LineBlock>& blocks = cases.line_blocks();
  return cases.num_cases() >= kCasesForAllCores && worker_count(2) >= 2 &&
         blocks.size() >= 2 && blocks.front().first_case == 0 &&
         blocks.back().first_case == cases.num_cases() &&
         test_data.readable_at() && result.writable_at();
}

long long ResultBlocks::end_of(std::size_t k) const {
  long long end = ends_[k].load(std::memory_order_acquire);
  while (end == kUnknown) {
    ends_[k].wait(kUnknown, std::memory_order_acquire);
    end = ends_[k].load(std::memory_order_acquire);
  }
  return end;
}

void ResultBlocks::set_end(std::size_t k, long long end) {
  ends_[k].store(end, std::memory_order_release);
  ends_[k].notify_all();
}

void ResultBlocks::write_block(std::size_t k, std::string_view block,
                               std::size_t size, char line_end,
                               ResultLines* lines, PlacedLines* out) {
  const CaseBuffer::LineBlock& from = cases_.line_blocks()[k];
  const CaseBuffer::LineBlock& to = cases_.line_blocks()[k + 1];
  Outcome& outcome = outcomes_[k];
  const bool last = k + 1 == blocks_;
  const bool whole = block.size() == size;
  // The last block may hold lines after the last case: it is sized as it
  // is formatted.
  std::uint64_t limit = std::numeric_limits<std::uint64_t>::max();
  if (!last && whole) {
    limit = outcome.start +
            lines->placed_size(block, line_end, from.first_case, to.first_case);
    set_end(k, static_cast<long long>(limit));
  } else if (!last) {
    set_end(k, kFailed);
  }
  out->place(outcome.start, limit);
  lines->start_at(from.first_case, to.first_case);
  const std::size_t taken = lines->format_block(block, line_end, *out);
  out->flush();
  outcome.size = out->written();
  if (last) set_end(k, static_cast<long long>(outcome.start + out->written()));
  if (out->failed()) {
    outcome.end = End::kWriteFailed;
  } else if (!lines->done() ||
             (!last && (!whole || taken != size || out->overflow() ||
                        outcome.start + out->written() != limit))) {
    outcome.end = End::kChanged;
  }
}

void ResultBlocks::work(const InputFile& test_data, const OutputFile& result,
                        ResultLines* lines) {
  BlockBytes bytes;
  PlacedLines out(result);
  for (std::size_t k = next_block_++; k < blocks_; k = next_block_++) {
    try {
      work_on(k, test_data, &bytes, lines, &out);
    } catch (...) {
      // The worker on the next block must not wait for ever.
      if (ends_[k].load() == kUnknown) set_end(k, kFailed);
      throw;
    }
  }
}

void ResultBlocks::work_on(std::size_t k, const InputFile& test_data,
                           BlockBytes* bytes, ResultLines* lines,
                           PlacedLines* out) {
  const CaseBuffer::LineBlock& from = cases_.line_blocks()[k];
  const auto size = static_cast<std::size_t>(
      cases_.line_blocks()[k + 1].offset - from.offset);
  char* const room = bytes->room(size);
  const long long got = test_data.read_at(from.offset, room, size);
  Outcome& outcome = outcomes_[k];
  const long long start = k == 0 ? 0 : end_of(k - 1);
  if (start < 0 || got < 0) {
    outcome.end = start < 0 ? End::kAfterFailure : End::kReadFailed;
    outcome.start = static_cast<std::uint64_t>(std::max(start, 0LL));
    set_end(k, kFailed);
    return;
  }
  outcome.start = static_cast<std::uint64_t>(start);
  write_block(k, std::string_view(room, static_cast<std::size_t>(got)), size,
              test_data.line_end(), lines, out);
}

Status ResultBlocks::write(InputFile& test_data, const std::string& test_path,
                           OutputFile& result, RunCounters* counters,
                           Tally* tally) {
  test_data.start();
  const std::size_t workers = worker_count(blocks_);
  std::vector<RunCounters> worker_counters(workers);
  std::vector<Tally> worker_tallies(workers, Tally(tally->matrix.classes()));
  run_in_parallel(workers, [&](std::size_t w) {
    ResultLines lines(table_, cases_, given_, &worker_counters[w],
                      &worker_tallies[w]);
    work(test_data, result, &lines);
  });
  for (std::size_t w = 0; w < workers; ++w) {
    add_counters(worker_counters[w], counters);
    tally->add(worker_tallies[w]);
  }
  for (const Outcome& outcome : outcomes_) {
    if (outcome.end == End::kWritten) continue;
    // B.result ends where the first block that failed got to.
    result.continue_after(outcome.start + outcome.size,
                          outcome.end == End::kWriteFailed);
    // A failed write is reported when B.result is closed, as any is.
    if (outcome.end == End::kWriteFailed) return Status::Ok();
    return lines_lost(test_path, outcome.end == End::kReadFailed);
  }
  result.continue_after(outcomes_.back().start + outcomes_.back().size, false);
  return Status::Ok();
}

// Writes the figures of tally to the result file and standard output.
void write_figures(const Tally& tally, float accuracy,
                   const RunCounters& counters, const AttributeTable& table,
                   OutputFile& result, std::FILE* out) {
  const char* const counts =
      "\nNumber of testing cases = %d  Number of cases classified correctly "
      "= %d\n";
  const char* const unscored =
      "Number of cases without a class value = %d (classified, not scored)\n";
  const char* const holes =
      "\nNumber of cases with missing values=%d\nNumber of cases with "
      "missing values classified correctly=%d\n";
  result.print(counts, tally.num_cases, tally.correct);
  if (tally.unscored > 0) result.print(unscored, tally.unscored);
  result.print("\nPredictive Accuracy = %f%%\n", percent(accuracy));
  if (tally.condition_values_missing) {
    result.print(holes, tally.with_missing_values,
                 tally.with_missing_values_correct);
  }
  std::fprintf(out, counts, tally.num_cases, tally.correct);
  if (tally.unscored > 0) std::fprintf(out, unscored, tally.unscored);
  std::fprintf(out,
               "\nNumber of partially matched cases=%d  \nNumber of "
               "partially matched cases classified correctly=%d\n",
               counters.partial_match_count, counters.partial_match_correct);
  std::fprintf(out,
               "\nNumber of no_match cases=%d \nNumber of no_match cases "
               "classified correctly=%d\n",
               counters.no_match_count, counters.no_match_correct);
  if (tally.condition_values_missing) {
    std::fprintf(out, holes, tally.with_missing_values,
                 tally.with_missing_values_correct);
  }
  const std::string report = confusion_report(table, tally.matrix);
  result.write(report);
  std::fputs(report.c_str(), out);
}

}  // namespace

bool lacks_condition_value(const CaseBuffer& cases, std::size_t c) {
  if (!cases.may_hold_missing_values()) return false;
  for (std::size_t j = 0; j + 1 < cases.record_length(); ++j) {
    if (cases.code(c, j) == kMissingCode) return true;
  }
  return false;
}

int ConfusionMatrix::row_sum(int i) const {
  int sum = 0;
  for (int j = 0; j < classes_; ++j) sum += cell(i, j);
  return sum;
}

int ConfusionMatrix::column_sum(int i) const {
  int sum = 0;
  for (int j = 0; j < classes_; ++j) sum += cell(j, i);
  return sum;
}

std::string confusion_report(const AttributeTable& table,
                             const ConfusionMatrix& matrix) {
  const Attribute& decision = table.attributes.back();
  const int n = matrix.classes();
  std::string text = "\nConfusion matrix: \n";
  std::vector<float> recall(static_cast<std::size_t>(n));
  std::vector<float> precision(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) text += format(" %7d ", matrix.cell(i, j));
    const int cases = matrix.row_sum(i);
    recall[i] = fraction(matrix.cell(i, i), cases);
    text += format(" %s (%d) ",
                   class_condition(table, decision, i, n - 1).c_str(), cases);
    text += format("Recall=%6.2f%%\n", percent(recall[i]));
  }
  text += "Precision:\n";
  for (int i = 0; i < n; ++i) {
    precision[i] = fraction(matrix.cell(i, i), matrix.column_sum(i));
    text += format(" %6.2f%% ", percent(precision[i]));
  }
  text += "\nGeometric mean of recall and precision:\n";
  for (int i = 0; i < n; ++i) {
    const auto mean = static_cast<float>(std::sqrt(
        static_cast<double>(recall[i]) * static_cast<double>(precision[i])));
    text += format(" %6.2f%% ", percent(mean));
  }
  text += "\n";
  return text;
}

Status evaluate_test_cases(const std::string& test_path,
                           const std::string& result_path,
                           const AttributeTable& table, const CaseBuffer& cases,
                           const Classifications& given, RunCounters* counters,
                           std::FILE* out, float* accuracy) {
  InputFile test_data;
  if (!test_data.open(test_path)) {
    return Status::Fatal(render<Message::kCannotOpenTestData>(test_path));
  }
  OutputFile result;
  if (!result.open(result_path)) {
    return Status::Fatal(
        render<Message::kCannotCreateResultFile>(result.path()));
  }
  Tally tally(number_of_classes(table.attributes.back()));
  const Status status =
      ResultBlocks::fit(cases, test_data, result)
          ? ResultBlocks(table, cases, given)
                .write(test_data, test_path, result, counters, &tally)
          : ResultLines(table, cases, given, counters, &tally)
                .write(test_data, test_path, result);
  if (!status.ok()) return status;
  if (tally.with_missing_values > 0) tally.condition_values_missing = true;
  *accuracy = fraction(tally.correct, tally.num_cases);
  write_figures(tally, *accuracy, *counters, table, result, out);
  const Status closed = result.close();
  if (!closed.ok()) return closed;
  // Said last, and only of a testing loop whose B.result is complete.
  std::fprintf(out, "\nPrediction accuracy on the testing data = %f%%\n",
               percent(*accuracy));
  std::fflush(out);
  return Status::Ok();
}

}  // namespace ruleval
