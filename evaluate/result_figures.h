// The figures of an evaluation, computed in double precision from the
// counts of a confusion matrix alone. A figure over nothing (a recall of a
// class without cases, anything of no cases at all) does not exist, rather
// than being "not a number".
#pragma once

#include <optional>
#include <vector>

#include "evaluate/evaluation_report.h"

namespace ruleval {

using Figure = std::optional<double>;

// One class against all others.
struct ClassFigures {
  long long support = 0;    // cases of the class
  long long predicted = 0;  // cases given the class
  long long true_positives = 0;
  long long false_positives = 0;
  long long false_negatives = 0;
  long long true_negatives = 0;
  Figure recall;
  Figure precision;
  Figure f1;
  Figure specificity;
  // √(recall × precision), the text report's geometric mean, and
  // √(recall × specificity).
  Figure recall_precision_mean;
  Figure recall_specificity_mean;
};

// The mean of a figure over the classes where it exists: plain (macro), or
// weighted by the classes' cases.
struct AveragedFigures {
  Figure precision;
  Figure recall;
  Figure f1;
};

struct Figures {
  long long cases = 0;
  long long correct = 0;
  Figure accuracy;
  std::vector<ClassFigures> classes;
  AveragedFigures macro;
  AveragedFigures weighted;
  Figure cohen_kappa;
  // The multi-class Matthews correlation coefficient.
  Figure matthews_correlation;
  // The mean recall of the classes that have cases.
  Figure balanced_accuracy;
};

// num / den; none when den is 0.
Figure ratio(double num, double den);

Figures compute_figures(const ConfusionMatrix& matrix);

}  // namespace ruleval
