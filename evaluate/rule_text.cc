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
  return "(" + bound_text(attribute, *lower) + "<" + name +
         "<=" + bound_text(attribute, *upper) + ")";
}

// The text of value code `code` of symbolic attribute a. An OR group member
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

// "(name=v1 or v2 ...)" or "(name!=v1 or ...)" for a non-empty list.
std::string value_list(const AttributeTable& table, int a, const char* is,
                       const std::vector<const ConditionPair*>& list) {
  std::string text =
      "(" + table.attributes[static_cast<std::size_t>(a)].AttriName + is;
  for (std::size_t k = 0; k < list.size(); ++k) {
    if (k > 0) text += " or ";
    text += value_text(table, a, *list[k]);
  }
  return text + ")";
}

std::string symbolic_condition(const AttributeTable& table, int a,
                               const Rule& rule) {
  std::string text;
  bool or_group_seen = false;
  bool negated_seen = false;
  std::vector<const ConditionPair*> or_values;
  std::vector<const ConditionPair*> negated_values;
  const std::size_t n = rule.pairs.size();
  for (std::size_t k = 0; k < n;) {
    const ConditionPair& pair = rule.pairs[k];
    if (pair.attrino != a) {
      ++k;
    } else if (pair.direction == 0 && pair.orflag == 1) {
      text = "(" + table.attributes[static_cast<std::size_t>(a)].AttriName +
             "=" + value_text(table, a, pair) + ")";
      break;
    } else if (pair.direction == 0) {
      or_group_seen = true;
      or_values.clear();
      const auto m = static_cast<std::size_t>(pair.orflag);
      for (std::size_t l = k; l < k + m; ++l)
        or_values.push_back(&rule.pairs[l]);
      k += m;
    } else {
      negated_seen = true;
      if (or_group_seen) {
        const auto found = std::find_if(
            or_values.begin(), or_values.end(),
            [&](const ConditionPair* p) { return p->parino == pair.parino; });
        if (found != or_values.end()) or_values.erase(found);
      } else {
        negated_values.push_back(&pair);
      }
      ++k;
    }
  }
  if (or_group_seen) {
    if (or_values.empty()) {
      // Every value of the group was negated after it: no case can meet it.
      return text + "(" +
             table.attributes[static_cast<std::size_t>(a)].AttriName + "=)";
    }
    return text + value_list(table, a, "=", or_values);
  }
  if (negated_seen) return text + value_list(table, a, "!=", negated_values);
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
