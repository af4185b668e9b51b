#include "evaluate/rule_text.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "evaluate/class_labels.h"

namespace ruleval {
namespace {

const Attribute& attribute_at(const AttributeTable& table, std::size_t a) {
  return table.attributes[a];
}

// Appends the pieces to text.
void append(std::string* text, std::initializer_list<std::string_view> pieces) {
  for (const std::string_view piece : pieces) text->append(piece);
}

// The condition on a numeric attribute; bound_of(attribute, point) gives the
// text of a boundary point.
template <class BoundText>
void numeric_condition(const AttributeTable& table, const ShownCondition& shown,
                       const BoundText& bound_of, std::string* text) {
  const Attribute& attribute = attribute_at(table, shown.attribute);
  const std::string& name = attribute.name;
  if (shown.upper_point < 0 && shown.lower_point < 0) return;
  if (shown.lower_point < 0) {
    append(text,
           {"(", name, "<=", bound_of(attribute, shown.upper_point), ")"});
  } else if (shown.upper_point < 0) {
    append(text, {"(", name, ">", bound_of(attribute, shown.lower_point), ")"});
  } else {
    append(text, {"(", bound_of(attribute, shown.lower_point), "<", name,
                  "<=", bound_of(attribute, shown.upper_point), ")"});
  }
}

const std::string& value_text(const AttributeTable& table,
                              const ShownValue& value) {
  return table.value(attribute_at(table, value.attribute), value.code).text;
}

// "(name=v1 or v2 ...)" or "(name!=v1 or ...)"; "(name=)" for an OR group
// whose every value was negated after it, which no case can meet.
void value_list(const AttributeTable& table, const std::string& name,
                const char* is, const std::vector<ShownValue>& values,
                std::string* text) {
  append(text, {"(", name, is});
  for (std::size_t k = 0; k < values.size(); ++k) {
    if (k > 0) text->append(" or ");
    text->append(value_text(table, values[k]));
  }
  text->push_back(')');
}

void symbolic_condition(const AttributeTable& table,
                        const ShownCondition& shown, std::string* text) {
  const std::string& name = attribute_at(table, shown.attribute).name;
  if (shown.has_value)
    append(text, {"(", name, "=", value_text(table, shown.value), ")"});
  switch (shown.list) {
    case ShownCondition::List::kAnyOf:
      return value_list(table, name, "=", shown.values, text);
    case ShownCondition::List::kNoneOf:
      return value_list(table, name, "!=", shown.values, text);
    case ShownCondition::List::kNone:
      break;
  }
}

template <class BoundText>
std::string conditions_text(const AttributeTable& table, const Rule& rule,
                            const BoundText& bound_of) {
  std::string text;
  for (const ShownCondition& shown : rule.shown) {
    if (attribute_at(table, shown.attribute).symbolic()) {
      symbolic_condition(table, shown, &text);
    } else {
      numeric_condition(table, shown, bound_of, &text);
    }
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
