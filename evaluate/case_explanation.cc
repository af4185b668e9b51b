#include "evaluate/case_explanation.h"

#include <algorithm>

#include "common/approx_compare.h"
#include "common/numbers.h"
#include "common/status.h"
#include "evaluate/class_labels.h"
#include "evaluate/rule_text.h"

namespace ruleval {
namespace {

// Rules of the winner shown for a partial match.
constexpr std::size_t kContributorsShown = 3;

struct RouteScores {
  std::vector<float> scores;
  std::vector<char> candidates;
  bool any = false;
};

// The summed quality of each class's fully met rules, or the summed
// partial scores of its rules, in rule order.
RouteScores route_scores(const RuleStore& rules,
                         const std::vector<std::vector<int>>& met, bool full) {
  RouteScores route;
  route.scores.assign(met.size(), 0.0f);
  route.candidates.assign(met.size(), 0);
  for (std::size_t i = 0; i < met.size(); ++i) {
    for (std::size_t j = 0; j < met[i].size(); ++j) {
      const Rule& rule = rules.concepts[i][j];
      const bool fully = met[i][j] == rule.conditions_to_meet;
      if (full && fully) route.scores[i] += rule.quality;
      if (!full && !fully) route.scores[i] += partial_score(met[i][j], rule);
      if (full == fully) route.candidates[i] = route.any = true;
    }
  }
  return route;
}

// The code of a numeric attribute as the interval it stands for.
std::string interval_text(const AttributeTable& table,
                          const Attribute& attribute, std::uint32_t code) {
  const std::string& name = attribute.name;
  const auto count = static_cast<std::uint32_t>(attribute.value_count);
  if (count < 2) return name + " (one interval)";
  const auto bound = [&](std::uint32_t k) {
    return bound_text(attribute,
                      table.value(attribute, static_cast<int>(k)).point);
  };
  if (code == 0) return name + "<=" + bound(1);
  if (code + 1 >= count) return name + ">" + bound(count - 1);
  return bound(code) + "<" + name + "<=" + bound(code + 1);
}

std::string values_line(const AttributeTable& table, const CaseBuffer& cases,
                        std::size_t c) {
  std::string text = "  values:";
  for (std::size_t a = 0; a + 1 < table.attributes.size(); ++a) {
    const Attribute& attribute = table.attributes[a];
    const std::uint32_t code = cases.code(c, a);
    text += ' ';
    if (code == kMissingCode) {
      text += attribute.name + "=? (missing)";
      continue;
    }
    text += attribute.symbolic()
                ? attribute.name + "=" +
                      table.value(attribute, static_cast<int>(code)).text
                : interval_text(table, attribute, code);
  }
  return text + "\n";
}

// A class and its score, the scores of all classes in one column.
std::string class_score_line(const std::vector<std::string>& labels,
                             std::size_t i, float score) {
  std::size_t width = 0;
  for (const std::string& label : labels) width = std::max(width, label.size());
  std::string text = "    " + labels[i];
  text.append(width + 2 - labels[i].size(), ' ');
  return text + shortest_text(score) + "\n";
}

std::string rule_name(const AttributeTable& table, const Rule& rule,
                      std::size_t j) {
  std::string name = "Rule " + std::to_string(j + 1);
  const std::string conditions = rule_conditions_text(table, rule);
  return conditions.empty() ? name : name + " " + conditions;
}

std::string full_match_lines(const AttributeTable& table,
                             const RuleStore& rules,
                             const std::vector<std::string>& labels,
                             const CaseExplanation& e) {
  std::string text =
      "  route: full match; a class scores the summed quality of its fully "
      "met rules\n";
  for (std::size_t i = 0; i < labels.size(); ++i) {
    if (!e.candidates[i]) continue;
    text += class_score_line(labels, i, e.scores[i]);
    for (std::size_t j = 0; j < e.met[i].size(); ++j) {
      const Rule& rule = rules.concepts[i][j];
      if (e.met[i][j] != rule.conditions_to_meet) continue;
      text += "      " + rule_name(table, rule, j) + ": quality " +
              shortest_text(rule.quality) + "\n";
    }
  }
  if (std::count(e.candidates.begin(), e.candidates.end(), 1) <
      static_cast<long>(labels.size()))
    text += "    no other class has a fully met rule\n";
  return text;
}

// The rules of the winner whose partial scores are the largest.
std::string contributor_lines(const AttributeTable& table,
                              const RuleStore& rules,
                              const std::vector<std::string>& labels,
                              const CaseExplanation& e) {
  const auto winner = static_cast<std::size_t>(e.given.class_code);
  const std::vector<Rule>& winner_rules = rules.concepts[winner];
  const std::vector<int>& met = e.met[winner];
  std::vector<std::size_t> order(winner_rules.size());
  for (std::size_t j = 0; j < order.size(); ++j) order[j] = j;
  const auto score = [&](std::size_t j) {
    return partial_score(met[j], winner_rules[j]);
  };
  std::stable_sort(
      order.begin(), order.end(),
      [&](std::size_t a, std::size_t b) { return score(a) > score(b); });
  if (order.size() > kContributorsShown) {
    order.erase(order.begin() + kContributorsShown, order.end());
  }
  std::string text = "  rules of ";
  text += labels[winner];
  text += " that add the most:\n";
  for (const std::size_t j : order) {
    const Rule& rule = winner_rules[j];
    text += format("    %s: %d of %d conditions met, quality %s, adds %s\n",
                   rule_name(table, rule, j).c_str(), met[j],
                   rule.conditions_to_meet, shortest_text(rule.quality).c_str(),
                   shortest_text(score(j)).c_str());
  }
  return text;
}

std::string partial_match_lines(const AttributeTable& table,
                                const RuleStore& rules,
                                const std::vector<std::string>& labels,
                                const CaseExplanation& e) {
  std::string text =
      "  route: partial match, no rule being fully met; a rule adds its "
      "quality times the share of its conditions met\n";
  for (std::size_t i = 0; i < labels.size(); ++i) {
    if (e.candidates[i]) text += class_score_line(labels, i, e.scores[i]);
  }
  return text + contributor_lines(table, rules, labels, e);
}

std::string outcome_lines(const std::vector<std::string>& labels,
                          const CaseExplanation& e, std::uint32_t actual) {
  const auto winner = static_cast<std::size_t>(e.given.class_code);
  std::string text = "  given: " + labels[winner];
  if (actual != kMissingCode)
    text += winner == actual ? " (correct)" : " (wrong)";
  if (e.runner_up >= 0) {
    const auto runner_up = static_cast<std::size_t>(e.runner_up);
    text +=
        "; runner-up " + labels[runner_up] + ", margin " +
        shortest_text(margin_between(e.scores[winner], e.scores[runner_up]));
  }
  text += "\n";
  if (e.tie) {
    text += "  tie: " + labels[winner] + " and " +
            labels[static_cast<std::size_t>(e.runner_up)] +
            " score alike within rounding, and the class that comes first is "
            "given\n";
  }
  return text;
}

}  // namespace

CaseExplanation explain_case(const AttributeTable& table,
                             const RuleStore& rules, const CaseBuffer& cases,
                             std::size_t c) {
  const auto classes =
      static_cast<std::size_t>(number_of_classes(table.attributes.back()));
  CaseExplanation e;
  e.met.resize(classes);
  for (std::size_t i = 0; i < classes; ++i) {
    for (const Rule& rule : rules.concepts[i])
      e.met[i].push_back(met_conditions(rule, cases, c));
  }
  RouteScores route = route_scores(rules, e.met, true);
  e.given.decision = Decision::kFullMatch;
  if (!route.any) {
    route = route_scores(rules, e.met, false);
    e.given.decision = Decision::kPartialMatch;
  }
  e.scores = route.scores;
  e.candidates = route.candidates;
  if (!route.any) {
    e.given = Classification{rules.majority_class, Decision::kNoMatch};
    return e;
  }
  e.given.class_code = choose_concept(e.scores, e.candidates);
  e.runner_up =
      score_choice(e.scores, e.candidates, e.given.class_code).runner_up;
  e.tie = e.runner_up >= 0 &&
          approx_compare(e.scores[static_cast<std::size_t>(e.runner_up)],
                         e.scores[static_cast<std::size_t>(e.given.class_code)],
                         kCompareEpsilon) == 0;
  return e;
}

std::string explanation_text(const AttributeTable& table,
                             const RuleStore& rules, const CaseBuffer& cases,
                             std::size_t c, std::string_view line,
                             const CaseExplanation& explanation) {
  const std::vector<std::string> labels = class_labels(table);
  const std::uint32_t actual = cases.class_code(c);
  std::string text = "\nCase ";
  text += std::to_string(c + 1);
  text += ": ";
  text += line;
  text += '\n';
  text += values_line(table, cases, c);
  text += "  actual class: ";
  text +=
      actual == kMissingCode ? std::string("? (not scored)") : labels[actual];
  text += '\n';
  switch (explanation.given.decision) {
    case Decision::kFullMatch:
      text += full_match_lines(table, rules, labels, explanation);
      break;
    case Decision::kPartialMatch:
      text += partial_match_lines(table, rules, labels, explanation);
      break;
    case Decision::kNoMatch:
      text += "  route: majority class; no class has a rule\n";
      break;
  }
  return text + outcome_lines(labels, explanation, actual);
}

}  // namespace ruleval
