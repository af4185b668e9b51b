#include "evaluate/coverage_report.h"

#include <charconv>
#include <string_view>

#include "common/messages.h"
#include "common/output_file.h"
#include "evaluate/class_labels.h"
#include "evaluate/rule_text.h"

namespace ruleval {
namespace {

// Rule count and summed lengths (conditions to meet) over every concept.
struct Totals {
  long long rules = 0;
  long long length = 0;

  // Conditions per rule, in single precision, ready for printing.
  double average_length() const {
    return printable(static_cast<double>(fraction(length, rules)));
  }
};

// How concept i is named; concepts beyond the classes of the decision
// attribute are named by their number.
std::string concept_header(const AttributeTable& table, int i, int last) {
  const Attribute& decision = table.attributes.back();
  if (i >= number_of_classes(decision)) return format("concept %d", i);
  const std::string condition = class_condition(table, decision, i, last);
  return decision.symbolic() ? condition : "(" + condition + ")";
}

std::string rule_number_line(const AttributeTable& table, int i, int last,
                             int rule_count) {
  const Attribute& decision = table.attributes.back();
  if (i >= number_of_classes(decision)) {
    return format("    Rule number for concept %d is %d\n", i, rule_count);
  }
  return format("%sRule number for %s is %d\n",
                decision.symbolic() ? "    " : "",
                class_condition(table, decision, i, last).c_str(), rule_count);
}

// The case numbers of list, counted from 1, twenty to a line.
void write_cases(OutputFile& tcover, const CoveredCases& list) {
  int left_on_line = 0;
  list.for_each([&](std::uint32_t c) {
    if (left_on_line-- == 0) {
      tcover.put('\n');
      left_on_line = 19;
    }
    tcover.write_code(c + 1);
  });
}

// The number as "%d" (or "%zu") writes it.
void write_number(OutputFile& file, long long number) {
  char text[24];
  const char* end = std::to_chars(text, text + sizeof text, number).ptr;
  file.write(std::string_view(text, static_cast<std::size_t>(end - text)));
}

void write_rule(OutputFile& tcover, const RuleTextWriter& texts,
                const Rule& rule, std::size_t j) {
  tcover.write("\n\nRule ");
  write_number(tcover, static_cast<long long>(j + 1));
  tcover.write(":\n");
  tcover.write(texts.conditions(rule));
  tcover.print("\nRule Quality = %f\n",
               printable(static_cast<double>(rule.quality)));
  tcover.write("\nThe positive cases covered by the rule are: (");
  write_number(tcover, static_cast<int>(rule.covered_positive.size()));
  tcover.write(" cases)");
  write_cases(tcover, rule.covered_positive);
  tcover.write("\nThe negative cases covered by the rule are: (");
  write_number(tcover, static_cast<int>(rule.covered_negative.size()));
  tcover.write(" cases)");
  write_cases(tcover, rule.covered_negative);
  tcover.put('\n');
}

void write_concepts(OutputFile& tcover, const AttributeTable& table,
                    const RuleStore& rules) {
  const RuleTextWriter texts(table);
  const int last = rules.concept_count() - 1;
  for (int i = 0; i <= last; ++i) {
    tcover.print("\n\n        Rules for %s\n",
                 concept_header(table, i, last).c_str());
    const std::vector<Rule>& concept_rules =
        rules.concepts[static_cast<std::size_t>(i)];
    for (std::size_t j = 0; j < concept_rules.size(); ++j)
      write_rule(tcover, texts, concept_rules[j], j);
  }
}

Totals write_rule_numbers(OutputFile& tcover, const AttributeTable& table,
                          const RuleStore& rules) {
  Totals totals;
  const int last = rules.concept_count() - 1;
  tcover.write("\nRule Numbers are:\n");
  for (int i = 0; i <= last; ++i) {
    const std::vector<Rule>& concept_rules =
        rules.concepts[static_cast<std::size_t>(i)];
    const int count = static_cast<int>(concept_rules.size());
    totals.rules += count;
    tcover.write(rule_number_line(table, i, last, count));
    for (const Rule& rule : concept_rules)
      totals.length += rule.conditions_to_meet;
  }
  return totals;
}

void write_totals(OutputFile& tcover, const Totals& totals,
                  const RunCounters& counters, float accuracy) {
  tcover.print("\nTotal number of rules is %lld\n", totals.rules);
  tcover.print("\nAverage Length of the rules = %f\n", totals.average_length());
  tcover.print("\nPrediction accuracy on the testing data = %f%%\n",
               percent(accuracy));
  tcover.print("\nNumber of cases classified by using partial matching = %d\n",
               counters.partial_match_count);
  tcover.print(
      "\nNumber of the partially-matched cases classified correctly = %d\n",
      counters.partial_match_correct);
}

void write_summary(OutputFile& sum, const Totals& totals,
                   const RunCounters& counters, float accuracy) {
  sum.print("Total number of rules = %lld\n", totals.rules);
  sum.print("Average length of the rules = %f\n", totals.average_length());
  sum.print("Prediction accuracy in the testing data = %f%%\n",
            percent(accuracy));
  sum.print("Partial_match_count=%d  partial_match_correct=%d\n",
            counters.partial_match_count, counters.partial_match_correct);
}

}  // namespace

Status write_coverage_report(const std::string& coverage_path,
                             const std::string& summary_path,
                             const AttributeTable& table,
                             const RuleStore& rules,
                             const RunCounters& counters, float accuracy) {
  OutputFile tcover;
  if (!tcover.open(coverage_path)) {
    return Status::Fatal(
        render<Message::kCannotCreateResultFile>(tcover.path()));
  }
  OutputFile sum;
  if (!sum.open(summary_path)) {
    return Status::Fatal(render<Message::kCannotCreateSumFile>(sum.path()));
  }
  write_concepts(tcover, table, rules);
  const Totals totals = write_rule_numbers(tcover, table, rules);
  write_totals(tcover, totals, counters, accuracy);
  write_summary(sum, totals, counters, accuracy);
  const Status tcover_closed = tcover.close();
  const Status sum_closed = sum.close();
  return tcover_closed.ok() ? sum_closed : tcover_closed;
}

}  // namespace ruleval
