#include "evaluate/result_figures.h"

#include <cmath>

namespace ruleval {
namespace {

Figure geometric_mean(const Figure& a, const Figure& b) {
  if (!a || !b) return std::nullopt;
  return std::sqrt(*a * *b);
}

ClassFigures class_figures(const ConfusionMatrix& matrix, int i,
                           long long cases) {
  ClassFigures f;
  f.support = matrix.row_sum(i);
  f.predicted = matrix.column_sum(i);
  f.true_positives = matrix.cell(i, i);
  f.false_positives = f.predicted - f.true_positives;
  f.false_negatives = f.support - f.true_positives;
  f.true_negatives = cases - f.support - f.false_positives;
  const auto tp = static_cast<double>(f.true_positives);
  f.recall = ratio(tp, static_cast<double>(f.support));
  f.precision = ratio(tp, static_cast<double>(f.predicted));
  f.f1 =
      ratio(2 * tp, static_cast<double>(2 * f.true_positives +
                                        f.false_positives + f.false_negatives));
  f.specificity =
      ratio(static_cast<double>(f.true_negatives),
            static_cast<double>(f.true_negatives + f.false_positives));
  f.recall_precision_mean = geometric_mean(f.recall, f.precision);
  f.recall_specificity_mean = geometric_mean(f.recall, f.specificity);
  return f;
}

// The mean of figure over the classes where it exists, each weighted by
// its cases or by one.
Figure average(const std::vector<ClassFigures>& classes,
               Figure ClassFigures::*figure, bool by_cases) {
  double sum = 0;
  double weights = 0;
  for (const ClassFigures& f : classes) {
    if (!(f.*figure)) continue;
    const double weight = by_cases ? static_cast<double>(f.support) : 1.0;
    sum += weight * *(f.*figure);
    weights += weight;
  }
  return ratio(sum, weights);
}

AveragedFigures averages(const std::vector<ClassFigures>& classes,
                         bool by_cases) {
  return {average(classes, &ClassFigures::precision, by_cases),
          average(classes, &ClassFigures::recall, by_cases),
          average(classes, &ClassFigures::f1, by_cases)};
}

// Agreement beyond chance: (N c - Σ rᵢ kᵢ) / (N² - Σ rᵢ kᵢ), for N cases,
// c of them correct, rᵢ of class i and kᵢ given it.
Figure cohen_kappa(const Figures& figures) {
  long long chance = 0;
  for (const ClassFigures& f : figures.classes)
    chance += f.support * f.predicted;
  const long long n = figures.cases;
  return ratio(static_cast<double>(n * figures.correct - chance),
               static_cast<double>(n * n - chance));
}

// (c N - Σ kᵢ rᵢ) / √((N² - Σ kᵢ²)(N² - Σ rᵢ²)).
Figure matthews_correlation(const Figures& figures) {
  long long covariance = figures.correct * figures.cases;
  long long given_spread = figures.cases * figures.cases;
  long long actual_spread = given_spread;
  for (const ClassFigures& f : figures.classes) {
    covariance -= f.predicted * f.support;
    given_spread -= f.predicted * f.predicted;
    actual_spread -= f.support * f.support;
  }
  return ratio(static_cast<double>(covariance),
               std::sqrt(static_cast<double>(given_spread)) *
                   std::sqrt(static_cast<double>(actual_spread)));
}

}  // namespace

Figure ratio(double num, double den) {
  if (den == 0) return std::nullopt;
  return num / den;
}

Figures compute_figures(const ConfusionMatrix& matrix) {
  Figures figures;
  for (int i = 0; i < matrix.classes(); ++i) {
    figures.cases += matrix.row_sum(i);
    figures.correct += matrix.cell(i, i);
  }
  figures.accuracy = ratio(static_cast<double>(figures.correct),
                           static_cast<double>(figures.cases));
  for (int i = 0; i < matrix.classes(); ++i)
    figures.classes.push_back(class_figures(matrix, i, figures.cases));
  figures.macro = averages(figures.classes, false);
  figures.weighted = averages(figures.classes, true);
  figures.cohen_kappa = cohen_kappa(figures);
  figures.matthews_correlation = matthews_correlation(figures);
  figures.balanced_accuracy = figures.macro.recall;
  return figures;
}

}  // namespace ruleval
