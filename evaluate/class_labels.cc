#include "evaluate/class_labels.h"

#include <cmath>
#include <limits>

#include "common/numbers.h"
#include "common/status.h"

namespace ruleval {

std::string bound_text(const Attribute& attribute, float point) {
  if (attribute.type == 'I') return truncated_integer(point);
  return format("%f", printable(static_cast<double>(point)));
}

std::string class_condition(const AttributeTable& table,
                            const Attribute& decision, int k, int last) {
  const std::string& name = decision.name;
  if (decision.symbolic()) return name + "=" + table.value(decision, k).text;
  const auto bound = [&](int i) {
    return bound_text(decision, table.value(decision, i).point);
  };
  if (k == 0) return name + "<=" + bound(1);
  if (k == last) return name + ">" + bound(k);
  return bound(k) + "<" + name + "<=" + bound(k + 1);
}

std::string class_label(const AttributeTable& table, const Attribute& decision,
                        int k, int last) {
  if (decision.symbolic()) return table.value(decision, k).text;
  std::string label = "(";
  label += class_condition(table, decision, k, last);
  label += ")";
  return label;
}

std::vector<std::string> class_labels(const AttributeTable& table) {
  const Attribute& decision = table.attributes.back();
  const int n = number_of_classes(decision);
  std::vector<std::string> labels;
  for (int k = 0; k < n; ++k)
    labels.push_back(class_label(table, decision, k, n - 1));
  return labels;
}

double printable(double value) {
  return std::isnan(value) ? std::numeric_limits<double>::quiet_NaN() : value;
}

double percent(float fraction) {
  return printable(static_cast<double>(fraction) * 100);
}

float fraction(long long num, long long den) {
  if (den == 0) return std::numeric_limits<float>::quiet_NaN();
  return static_cast<float>(static_cast<double>(num) /
                            static_cast<double>(den));
}

}  // namespace ruleval
