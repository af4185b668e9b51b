#include "evaluate/rule_text.h"

#include <algorithm>
#include <vector>

#include "evaluate/class_labels.h"

namespace ruleval {
namespace {

std::string numeric_condition(const AttributeTable& table, int a,
                              const Rule& rule) {
  const Attribute& attribute = table.attributes[static_cast<std::size_t>(a)];
  const float* upper = nullptr;
  const float* lower = nullptr;
  for (const ConditionPair& pair : rule.pairs) {
    if (pair.attrino != a) continue;
    const float* point = &table.value(attribute, pair.parino).point;
    (pair.direction == 0 ? upper : lower) = point;
  }
  const std::string& name = attribute.AttriName;
  if (upper == nullptr && lower == nullptr) return "";
  if (lower == nullptr)
    return "(" + name + "<=" + bound_text(attribute, *upper) + ")";
  if (upper == nullptr)
    return "(" + name + ">" + bound_text(attribute, *lower) + ")";
  std::string text = "(";
  text += bound_text(attribute, *lower);
  text += "<" + name + "<=" + bound_text(attribute, *upper) + ")";
  return text;
}

// The value of symbolic attribute a that the pair names. An OR group member
// may stand on another attribute, with a code beyond a's values; it is then
// shown by its own attribute's value.
const std::string& value_text(const AttributeTable& table, int a,
                              const ConditionPair& pair) {
  const Attribute& attribute = table.attributes[static_cast<std::size_t>(a)];
  if (pair.parino >= 0 && pair.parino < attribute.AttriPairNum) {
    return table.value(attribute, pair.parino).text;
  }
  const Attribute& own =
      table.attributes[static_cast<std::size_t>(pair.attrino)];
  return table.value(own, pair.parino).text;
}

const std::string& name_of(const AttributeTable& table, int a) {
  return table.attributes[static_cast<std::size_t>(a)].AttriName;
}

// "(name=v1 or v2 ...)" or "(name!=v1 or ...)"; "(name=)" for an OR group
// whose every value was negated after it, which no case can meet.
std::string value_list(const AttributeTable& table, int a, const char* is,
                       const std::vector<const ConditionPair*>& list) {
  std::string text = "(" + name_of(table, a) + is;
  for (std::size_t k = 0; k < list.size(); ++k) {
    if (k > 0) text += " or ";
    text += value_text(table, a, *list[k]);
  }
  return text + ")";
}

// What the pairs of a rule say about one symbolic attribute.
struct SymbolicPairs {
  const ConditionPair* single = nullptr;  // the first plain "is value"
  bool or_group_seen = false;
  bool negated_seen = false;
  // The last OR group, less the values negated after it.
  std::vector<const ConditionPair*> or_values;
  // The values negated before any OR group.
  std::vector<const ConditionPair*> negated_values;

  // Takes the pair at k on the attribute; returns the index of the next
  // pair to look at.
  std::size_t take(const Rule& rule, std::size_t k);
};

std::size_t SymbolicPairs::take(const Rule& rule, std::size_t k) {
  const ConditionPair& pair = rule.pairs[k];
  if (pair.direction == 0) {
    const auto m = static_cast<std::size_t>(pair.orflag);
    or_group_seen = true;
    or_values.clear();
    for (std::size_t l = k; l < k + m; ++l) or_values.push_back(&rule.pairs[l]);
    return k + m;
  }
  negated_seen = true;
  if (!or_group_seen) {
    negated_values.push_back(&pair);
    return k + 1;
  }
  const auto found = std::find_if(
      or_values.begin(), or_values.end(),
      [&](const ConditionPair* p) { return p->parino == pair.parino; });
  if (found != or_values.end()) or_values.erase(found);
  return k + 1;
}

std::string symbolic_condition(const AttributeTable& table, int a,
                               const Rule& rule) {
  SymbolicPairs pairs;
  for (std::size_t k = 0; k < rule.pairs.size();) {
    const ConditionPair& pair = rule.pairs[k];
    if (pair.attrino != a) {
      ++k;
    } else if (pair.direction == 0 && pair.orflag == 1) {
      pairs.single = &pair;  // ends the scan
      break;
    } else {
      k = pairs.take(rule, k);
    }
  }
  std::string text;
  if (pairs.single != nullptr) {
    text = "(" + name_of(table, a) + "=" + value_text(table, a, *pairs.single) +
           ")";
  }
  if (pairs.or_group_seen)
    return text + value_list(table, a, "=", pairs.or_values);
  if (pairs.negated_seen) {
    return text + value_list(table, a, "!=", pairs.negated_values);
  }
  return text;
}

}  // namespace

std::string rule_conditions_text(const AttributeTable& table,
                                 const Rule& rule) {
  std::string text;
  const int conditions = static_cast<int>(table.attributes.size()) - 1;
  for (int a = 0; a < conditions; ++a) {
    text += table.attributes[static_cast<std::size_t>(a)].symbolic()
                ? symbolic_condition(table, a, rule)
                : numeric_condition(table, a, rule);
  }
  return text;
}

}  // namespace ruleval
