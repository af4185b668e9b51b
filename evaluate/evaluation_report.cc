#include "evaluate/evaluation_report.h"

#include <cmath>
#include <condition_variable>
#include <deque>
#include <mutex>
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
};

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

// The test data is read for B.result this many bytes at a time: small
// enough that a block and what it adds to B.result stay in the caches
// while they are formatted and written.
constexpr std::size_t kBlockBytes = 512 << 10;
// The blocks formatted ahead of the one being written.
constexpr std::size_t kBlocksAhead = 4;
// The cases that make writing B.result on a thread of its own worth it.
constexpr std::size_t kCasesForTwoThreads = 1 << 18;

// Texts handed from one thread to another in order, at most kBlocksAhead
// waiting at once.
class TextQueue {
 public:
  // Waits for room, then appends text; drops it once the queue is closed.
  void push(std::string text) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock,
                  [&] { return waiting_.size() < kBlocksAhead || closed_; });
    if (closed_) return;
    waiting_.push_back(std::move(text));
    changed_.notify_all();
  }
  // Appends text unless the queue is full.
  void offer(std::string text) {
    const std::lock_guard lock(mutex_);
    if (waiting_.size() >= kBlocksAhead) return;
    waiting_.push_back(std::move(text));
    changed_.notify_all();
  }
  // Takes a text when one waits; false when none does.
  bool try_pop(std::string* text) {
    const std::lock_guard lock(mutex_);
    if (waiting_.empty()) return false;
    take(text);
    return true;
  }
  // Waits for a text and takes it; false once closed with none left.
  bool pop(std::string* text) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !waiting_.empty() || closed_; });
    if (waiting_.empty()) return false;
    take(text);
    return true;
  }
  // No text follows.
  void close() {
    const std::lock_guard lock(mutex_);
    closed_ = true;
    changed_.notify_all();
  }

 private:
  void take(std::string* text) {
    *text = std::move(waiting_.front());
    waiting_.pop_front();
    changed_.notify_all();
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::string> waiting_;
  bool closed_ = false;
};

// Closes the queue however the thread that fills it or empties it ends, so
// that the other never waits for ever.
struct QueueCloser {
  TextQueue* queue;
  ~QueueCloser() { queue->close(); }
};

// The testing loop: gives every case its line of B.result and tallies it.
// One thread reads the test data and formats it a block at a time while
// another writes the blocks formatted before.
class ResultLines {
 public:
  ResultLines(const AttributeTable& table, const CaseBuffer& cases,
              const Classifications& given, RunCounters* counters, Tally* tally)
      : cases_(cases),
        given_(given),
        suffixes_(result_suffixes(table)),
        counters_(counters),
        tally_(tally) {}

  Status write(InputFile& test_data, const std::string& test_path,
               OutputFile& result);

 private:
  // Reads and formats every block into out.
  template <class Out>
  void format_blocks(InputFile& test_data, Out& out);
  // Reads and formats every block, handing each to formatted; takes the
  // room for it from spare when a text waits there.
  void format_blocks(InputFile& test_data, TextQueue* formatted,
                     TextQueue* spare);
  // Writes the lines of the next cases to out, as far as lines go.
  template <class Out>
  void format_block(std::string_view lines, char line_end, Out& out);

  const CaseBuffer& cases_;
  const Classifications& given_;
  const std::vector<std::string> suffixes_;
  RunCounters* counters_;
  Tally* tally_;
  std::size_t next_case_ = 0;
};

// Appends what it is given to a string.
struct StringOut {
  std::string* text;
  void write(std::string_view part) { text->append(part); }
};

template <class Out>
void ResultLines::format_block(std::string_view lines, char line_end,
                               Out& out) {
  while (!lines.empty() && next_case_ < cases_.num_cases()) {
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
}

template <class Out>
void ResultLines::format_blocks(InputFile& test_data, Out& out) {
  std::string_view lines;
  while (next_case_ < cases_.num_cases() &&
         test_data.next_lines(kBlockBytes, &lines)) {
    format_block(lines, test_data.line_end(), out);
  }
}

void ResultLines::format_blocks(InputFile& test_data, TextQueue* formatted,
                                TextQueue* spare) {
  std::string_view lines;
  while (next_case_ < cases_.num_cases() &&
         test_data.next_lines(kBlockBytes, &lines)) {
    // A text already written keeps its room: new memory costs a page
    // fault every few kilobytes.
    std::string text;
    spare->try_pop(&text);
    text.clear();
    StringOut out{&text};
    format_block(lines, test_data.line_end(), out);
    formatted->push(std::move(text));
  }
}

Status ResultLines::write(InputFile& test_data, const std::string& test_path,
                          OutputFile& result) {
  if (cases_.num_cases() < kCasesForTwoThreads || worker_count(2) < 2) {
    format_blocks(test_data, result);
  } else {
    TextQueue formatted;
    TextQueue spare;
    run_in_parallel(2, [&](std::size_t task) {
      if (task == 0) {
        const QueueCloser closer{&formatted};
        format_blocks(test_data, &formatted, &spare);
        return;
      }
      const QueueCloser closer{&formatted};
      for (std::string text; formatted.pop(&text);) {
        result.write(text);
        spare.offer(std::move(text));
      }
    });
  }
  if (next_case_ < cases_.num_cases()) {
    if (test_data.failed()) return read_failure(test_path);
    return Status::Fatal(render<Message::kTestDataChanged>(test_path));
  }
  if (tally_->with_missing_values > 0) tally_->condition_values_missing = true;
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
  ResultLines lines(table, cases, given, counters, &tally);
  const Status status = lines.write(test_data, test_path, result);
  if (!status.ok()) return status;
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
