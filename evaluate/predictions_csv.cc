#include "evaluate/predictions_csv.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "common/numbers.h"
#include "common/parallel.h"
#include "evaluate/class_labels.h"
#include "evaluate/result_tally.h"

namespace ruleval {
namespace {

// Cases whose rows are made side by side, on every core, then handed on.
constexpr std::size_t kCasesPerBatch = 1 << 16;

constexpr const char* kHeader =
    "case,actual,given,correct,route,score,runner_up,runner_up_score,margin,"
    "full_matches\r\n";

const char* route_name(Decision decision) {
  switch (decision) {
    case Decision::kFullMatch:
      return "full";
    case Decision::kPartialMatch:
      return "partial";
    case Decision::kNoMatch:
      break;
  }
  return "none";
}

template <class Number>
void append_number(Number value, std::string* text) {
  char digits[48];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  text->append(digits, result.ptr);
}

// Appends the shortest text of score and returns the number it shows, as
// as_written() gives it.
double append_score_text(float score, std::string* text) {
  char digits[48];
  char* end = std::to_chars(digits, digits + sizeof digits, score).ptr;
  text->append(digits, end);
  return parse_leading_double(std::string_view(digits, end - digits));
}

// "label:N" for every rule of the classes, numbered in concept order.
std::vector<std::string> rule_references(
    const RuleStore& rules, const std::vector<std::string>& labels) {
  std::vector<std::string> references;
  for (std::size_t i = 0; i < labels.size(); ++i) {
    for (std::size_t j = 0; j < rules.concepts[i].size(); ++j)
      references.push_back(labels[i] + ":" + std::to_string(j + 1));
  }
  return references;
}

class RowWriter {
 public:
  explicit RowWriter(const RunFindings& findings)
      : findings_(findings),
        labels_(class_labels(findings.table)),
        references_(rule_references(findings.rules, labels_)) {
    for (const std::string& label : labels_) {
      fields_.push_back(csv_field(label));
      if (fields_.back() != label) plain_labels_ = false;
    }
  }

  // Appends the row of case c, whose full matches start at `first`.
  void append(std::size_t c, std::size_t first, std::string* text) const;

 private:
  void append_score(const CaseScore& score, Decision decision,
                    std::string* text) const;
  void append_full_matches(std::size_t c, std::size_t first,
                           std::string* text) const;

  const RunFindings& findings_;
  std::vector<std::string> labels_;
  std::vector<std::string> fields_;  // the labels as fields
  std::vector<std::string> references_;
  // Whether no label needs quoting, so neither does a list of references.
  bool plain_labels_ = true;
};

void RowWriter::append(std::size_t c, std::size_t first,
                       std::string* text) const {
  const Classification given = findings_.given[c];
  const bool scored = case_is_scored(findings_.cases, c);
  const auto actual = static_cast<std::size_t>(findings_.cases.class_code(c));
  append_number(c + 1, text);
  *text += ',';
  if (scored) *text += fields_[actual];
  *text += ',';
  *text += fields_[static_cast<std::size_t>(given.class_code)];
  *text += ',';
  if (scored)
    *text += actual == static_cast<std::size_t>(given.class_code) ? '1' : '0';
  *text += ',';
  *text += route_name(given.decision);
  *text += ',';
  append_score(findings_.details.scores[c], given.decision, text);
  *text += ',';
  append_full_matches(c, first, text);
  *text += "\r\n";
}

// The score, runner-up, its score and the margin, each empty where it does
// not exist.
void RowWriter::append_score(const CaseScore& score, Decision decision,
                             std::string* text) const {
  double shown = 0;
  if (decision != Decision::kNoMatch)
    shown = append_score_text(score.score, text);
  *text += ',';
  if (score.runner_up < 0) {
    *text += ",,";
    return;
  }
  *text += fields_[static_cast<std::size_t>(score.runner_up)];
  *text += ',';
  shown -= append_score_text(score.runner_up_score, text);
  *text += ',';
  // As margin_between(), from the texts at hand.
  append_number(static_cast<float>(shown), text);
}

void RowWriter::append_full_matches(std::size_t c, std::size_t first,
                                    std::string* text) const {
  const std::size_t count = findings_.details.full_match_counts[c];
  std::string quoted;
  std::string* list = plain_labels_ ? text : &quoted;
  for (std::size_t k = first; k < first + count; ++k) {
    if (k > first) *list += ' ';
    *list += references_[findings_.details.full_matches[k]];
  }
  if (!plain_labels_) *text += csv_field(quoted);
}

}  // namespace

std::string csv_field(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos)
    return std::string(text);
  std::string field = "\"";
  for (const char c : text) {
    if (c == '"') field += '"';
    field += c;
  }
  return field + "\"";
}

void write_predictions(const RunFindings& findings, std::size_t workers,
                       const std::function<void(std::string_view)>& sink) {
  const RowWriter rows(findings);
  const std::vector<std::uint32_t>& counts = findings.details.full_match_counts;
  const std::size_t n = findings.cases.num_cases();
  std::vector<std::string> parts(workers);
  sink(kHeader);
  std::size_t first = 0;  // the batch's first full match
  for (std::size_t begin = 0; begin < n; begin += kCasesPerBatch) {
    const std::size_t end = std::min(n, begin + kCasesPerBatch);
    // Each part's cases and where their full matches start.
    std::vector<std::size_t> starts(workers + 1);
    std::vector<std::size_t> firsts(workers);
    for (std::size_t w = 0; w < workers; ++w) {
      starts[w] = begin + (end - begin) * w / workers;
      starts[w + 1] = begin + (end - begin) * (w + 1) / workers;
      firsts[w] = first;
      for (std::size_t c = starts[w]; c < starts[w + 1]; ++c)
        first += counts[c];
    }
    run_in_parallel(workers, [&](std::size_t w) {
      parts[w].clear();
      std::size_t next = firsts[w];
      for (std::size_t c = starts[w]; c < starts[w + 1]; ++c) {
        rows.append(c, next, &parts[w]);
        next += counts[c];
      }
    });
    for (const std::string& part : parts) sink(part);
  }
}

}  // namespace ruleval
