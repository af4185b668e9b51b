#include "evaluate/rule_text.h"

#include <string>
#include <vector>

#include "evaluate/class_labels.h"

namespace ruleval {
namespace {

const Attribute& attribute_at(const AttributeTable& table, std::size_t a) {
  return table.attributes[a];
}

// The condition on a numeric attribute; bound_of(attribute, point) gives the
// text of a boundary point.
template <class BoundText>
std::string numeric_condition(const AttributeTable& table,
                              const ShownCondition& shown,
                              const BoundText& bound_of) {
  const Attribute& attribute = attribute_at(table, shown.attribute);
  const std::string& name = attribute.name;
  const auto bound = [&](int point) { return bound_of(attribute, point); };
  if (shown.upper_point < 0 && shown.lower_point < 0) return "";
  if (shown.lower_point < 0)
    return "(" + name + "<=" + bound(shown.upper_point) + ")";
  if (shown.upper_point < 0)
    return "(" + name + ">" + bound(shown.lower_point) + ")";
  std::string text = "(";
  text += bound(shown.lower_point);
  text += "<" + name + "<=" + bound(shown.upper_point) + ")";
  return text;
}

const std::string& value_text(const AttributeTable& table,
                              const ShownValue& value) {
  return table.value(attribute_at(table, value.attribute), value.code).text;
}

// "(name=v1 or v2 ...)" or "(name!=v1 or ...)"; "(name=)" for an OR group
// whose every value was negated after it, which no case can meet.
std::string value_list(const AttributeTable& table, const std::string& name,
                       const char* is, const std::vector<ShownValue>& values) {
  std::string text = "(" + name + is;
  for (std::size_t k = 0; k < values.size(); ++k) {
    if (k > 0) text += " or ";
    text += value_text(table, values[k]);
  }
  return text + ")";
}

std::string symbolic_condition(const AttributeTable& table,
                               const ShownCondition& shown) {
  const std::string& name = attribute_at(table, shown.attribute).name;
  std::string text;
  if (shown.has_value)
    text = "(" + name + "=" + value_text(table, shown.value) + ")";
  switch (shown.list) {
    case ShownCondition::List::kAnyOf:
      return text + value_list(table, name, "=", shown.values);
    case ShownCondition::List::kNoneOf:
      return text + value_list(table, name, "!=", shown.values);
    case ShownCondition::List::kNone:
      break;
  }
  return text;
}

template <class BoundText>
std::string conditions_text(const AttributeTable& table, const Rule& rule,
                            const BoundText& bound_of) {
  std::string text;
  for (const ShownCondition& shown : rule.shown) {
    text += attribute_at(table, shown.attribute).symbolic()
                ? symbolic_condition(table, shown)
                : numeric_condition(table, shown, bound_of);
  }
  return text;
}

}  // namespace

std::string rule_conditions_text(const AttributeTable& table,
                                 const Rule& rule) {
  return conditions_text(
      table, rule, [&](const Attribute& attribute, int point) {
        return bound_text(attribute, table.value(attribute, point).point);
      });
}

RuleTextWriter::RuleTextWriter(const AttributeTable& table)
    : table_(table), bounds_(table.values.size()) {
  for (const Attribute& attribute : table.attributes) {
    if (attribute.symbolic()) continue;
    for (int k = 0; k < attribute.value_count; ++k) {
      bounds_[static_cast<std::size_t>(attribute.first_value + k)] =
          bound_text(attribute, table.value(attribute, k).point);
    }
  }
}

std::string RuleTextWriter::conditions(const Rule& rule) const {
  return conditions_text(
      table_, rule,
      [&](const Attribute& attribute, int point) -> const std::string& {
        return bounds_[static_cast<std::size_t>(attribute.first_value + point)];
      });
}

}  // namespace ruleval
