// The testing loop and its report: every coded case is classified, its raw
// test line is written to B.result with " -> " and the class given, and the
// figures (case counts, accuracy, the confusion matrix with recall,
// precision and their geometric mean) go to B.result and standard output.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "common/attribute_table.h"
#include "common/case_buffer.h"
#include "common/run_counters.h"
#include "common/status.h"
#include "evaluate/classifier.h"

namespace ruleval {

// Whether case c counts in the figures: a case whose class is not known is
// classified and written, but not scored.
inline bool case_is_scored(const CaseBuffer& cases, std::size_t c) {
  return cases.class_code(c) != kMissingCode;
}

// Whether case c lacks the value of a condition attribute.
bool lacks_condition_value(const CaseBuffer& cases, std::size_t c);

// Test cases counted by actual class (row) and class given (column).
class ConfusionMatrix {
 public:
  explicit ConfusionMatrix(int classes)
      : classes_(classes),
        cells_(static_cast<std::size_t>(classes) *
               static_cast<std::size_t>(classes)) {}

  int classes() const { return classes_; }
  void add(int actual, int predicted) { ++cells_[at(actual, predicted)]; }
  // Adds the cells of other, of as many classes.
  void add(const ConfusionMatrix& other) {
    for (std::size_t k = 0; k < cells_.size(); ++k)
      cells_[k] += other.cells_[k];
  }
  int cell(int actual, int predicted) const {
    return cells_[at(actual, predicted)];
  }
  // The test cases of class i, and the cases given class i.
  int row_sum(int i) const;
  int column_sum(int i) const;

 private:
  std::size_t at(int actual, int predicted) const {
    return static_cast<std::size_t>(actual) *
               static_cast<std::size_t>(classes_) +
           static_cast<std::size_t>(predicted);
  }

  int classes_;
  std::vector<int> cells_;
};

// The report from "Confusion matrix:" to its end, as B.result and standard
// output both receive it: one line per class with its cells, its label with
// its case count and its recall, then the precision and the geometric mean
// of every class. A figure over no cases prints as "nan".
std::string confusion_report(const AttributeTable& table,
                             const ConfusionMatrix& matrix);

// Writes B.result at result_path from the test data at test_path and the class
// given[c] of every case c, and prints the testing report on out; once
// B.result is closed, the report ends with the prediction accuracy and out
// is flushed. Counts the partial and no matches in counters and sets
// accuracy to the fraction of cases classified correctly. B.tst is read a
// block at a time; for many cases each block is formatted and counted on
// one thread while the blocks before it are written on another.
Status evaluate_test_cases(const std::string& test_path,
                           const std::string& result_path,
                           const AttributeTable& table, const CaseBuffer& cases,
                           const Classifications& given, RunCounters* counters,
                           std::FILE* out, float* accuracy);

}  // namespace ruleval
