#include "evaluate/results_json.h"

#include "common/numbers.h"
#include "evaluate/class_labels.h"
#include "evaluate/result_figures.h"
#include "evaluate/rule_text.h"

namespace ruleval {
namespace {

Json figure(const Figure& value) {
  return value ? Json(*value) : Json(nullptr);
}

Json run_part(const RunNames& names, const RunFindings& findings,
              const std::vector<std::string>& labels) {
  Json files;
  files["description"] = names.description;
  files["test_data"] = names.test_data;
  files["rules"] = names.rules;
  Json run;
  run["input_files"] = files;
  run["qualityno"] = findings.rules.quality_number;
  run["majority_class"] =
      labels[static_cast<std::size_t>(findings.rules.majority_class)];
  return run;
}

Json route_part(const RouteCounts& counts) {
  Json route;
  route["cases"] = counts.cases;
  route["correct"] = counts.correct;
  return route;
}

Json cases_part(const RunFindings& findings, const ResultTally& tally,
                const Figures& figures) {
  Json cases;
  cases["total"] = findings.cases.num_cases();
  cases["scored"] = figures.cases;
  cases["without_class"] = tally.unscored;
  cases["correct"] = figures.correct;
  cases["accuracy"] = figure(figures.accuracy);
  Json routes;
  routes["full"] = route_part(tally.routes[0]);
  routes["partial"] = route_part(tally.routes[1]);
  routes["none"] = route_part(tally.routes[2]);
  cases["by_route"] = routes;
  cases["with_missing_values"] = route_part(tally.with_missing_values);
  return cases;
}

Json class_part(const ClassFigures& f, const std::string& label,
                const std::string& condition) {
  Json entry;
  entry["label"] = label;
  entry["condition"] = condition;
  entry["support"] = f.support;
  entry["predicted"] = f.predicted;
  entry["true_positives"] = f.true_positives;
  entry["false_positives"] = f.false_positives;
  entry["false_negatives"] = f.false_negatives;
  entry["true_negatives"] = f.true_negatives;
  entry["recall"] = figure(f.recall);
  entry["precision"] = figure(f.precision);
  entry["f1"] = figure(f.f1);
  entry["specificity"] = figure(f.specificity);
  entry["geometric_mean_recall_precision"] = figure(f.recall_precision_mean);
  entry["geometric_mean_recall_specificity"] =
      figure(f.recall_specificity_mean);
  return entry;
}

Json classes_part(const AttributeTable& table, const Figures& figures,
                  const std::vector<std::string>& labels) {
  const Attribute& decision = table.attributes.back();
  const int last = static_cast<int>(labels.size()) - 1;
  Json classes = Json::array();
  for (int k = 0; k <= last; ++k) {
    const auto at = static_cast<std::size_t>(k);
    classes.push_back(class_part(figures.classes[at], labels[at],
                                 class_condition(table, decision, k, last)));
  }
  return classes;
}

Json matrix_part(const ConfusionMatrix& matrix,
                 const std::vector<std::string>& labels) {
  Json rows = Json::array();
  for (int i = 0; i < matrix.classes(); ++i) {
    Json row = Json::array();
    for (int j = 0; j < matrix.classes(); ++j) row.push_back(matrix.cell(i, j));
    rows.push_back(row);
  }
  Json part;
  part["labels"] = labels;
  part["rows"] = rows;
  return part;
}

Json averaged_part(const AveragedFigures& averaged) {
  Json part;
  part["precision"] = figure(averaged.precision);
  part["recall"] = figure(averaged.recall);
  part["f1"] = figure(averaged.f1);
  return part;
}

Json summary_part(const Figures& figures) {
  Json summary;
  summary["macro_average"] = averaged_part(figures.macro);
  summary["weighted_average"] = averaged_part(figures.weighted);
  summary["balanced_accuracy"] = figure(figures.balanced_accuracy);
  summary["cohen_kappa"] = figure(figures.cohen_kappa);
  summary["matthews_correlation"] = figure(figures.matthews_correlation);
  return summary;
}

// A rule's entry; counts is null for a rule of a concept that is no class,
// which classification never consults.
Json rule_part(const RuleTextWriter& texts, const Rule& rule, std::size_t j,
               const RuleCounts* counts) {
  Json entry;
  entry["number"] = j + 1;
  entry["text"] = texts.conditions(rule);
  entry["conditions_to_meet"] = rule.conditions_to_meet;
  entry["quality"] = as_written(rule.quality);
  entry["accuracy"] = as_written(rule.accuracy);
  entry["covered_positive"] = rule.covered_positive.size();
  entry["covered_negative"] = rule.covered_negative.size();
  const auto count = [&](long long RuleCounts::*field) {
    return counts != nullptr ? Json(counts->*field) : Json(nullptr);
  };
  entry["fully_matched"] = count(&RuleCounts::fully_matched);
  entry["helped_decide"] = count(&RuleCounts::helped_decide);
  entry["wrong"] = count(&RuleCounts::wrong);
  return entry;
}

Json concept_label(const std::vector<std::string>& labels, std::size_t i) {
  return i < labels.size() ? Json(labels[i]) : Json(nullptr);
}

Json rules_part(const AttributeTable& table, const RuleStore& rules,
                const ResultTally& tally,
                const std::vector<std::string>& labels) {
  const RuleTextWriter texts(table);
  Json groups = Json::array();
  std::size_t r = 0;  // the rule's number in concept order
  for (std::size_t i = 0; i < rules.concepts.size(); ++i) {
    Json entries = Json::array();
    const std::vector<Rule>& concept_rules = rules.concepts[i];
    for (std::size_t j = 0; j < concept_rules.size(); ++j, ++r) {
      const RuleCounts* counts =
          r < tally.rules.size() ? &tally.rules[r] : nullptr;
      entries.push_back(rule_part(texts, concept_rules[j], j, counts));
    }
    Json group;
    group["concept"] = i;
    group["class"] = concept_label(labels, i);
    group["rules"] = entries;
    groups.push_back(group);
  }
  return groups;
}

Json rule_set_part(const RuleStore& rules,
                   const std::vector<std::string>& labels) {
  Json per_concept = Json::array();
  long long total = 0;
  long long length = 0;
  for (std::size_t i = 0; i < rules.concepts.size(); ++i) {
    Json entry;
    entry["concept"] = i;
    entry["class"] = concept_label(labels, i);
    entry["rules"] = rules.concepts[i].size();
    per_concept.push_back(entry);
    total += static_cast<long long>(rules.concepts[i].size());
    for (const Rule& rule : rules.concepts[i])
      length += rule.conditions_to_meet;
  }
  Json part;
  part["rules_per_concept"] = per_concept;
  part["total"] = total;
  part["average_length"] =
      figure(ratio(static_cast<double>(length), static_cast<double>(total)));
  return part;
}

}  // namespace

Json results_document(const RunNames& names, const RunFindings& findings,
                      const ResultTally& tally) {
  const std::vector<std::string> labels = class_labels(findings.table);
  const Figures figures = compute_figures(tally.matrix);
  Json document;
  document["format"] = "ruleval-results";
  document["format_version"] = kResultsFormatVersion;
  document["program_version"] = names.version;
  document["run"] = run_part(names, findings, labels);
  document["cases"] = cases_part(findings, tally, figures);
  document["classes"] = classes_part(findings.table, figures, labels);
  document["confusion_matrix"] = matrix_part(tally.matrix, labels);
  document["summary"] = summary_part(figures);
  document["rules"] = rules_part(findings.table, findings.rules, tally, labels);
  document["rule_set"] = rule_set_part(findings.rules, labels);
  return document;
}

}  // namespace ruleval
