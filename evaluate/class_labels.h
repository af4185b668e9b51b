// How the reports name a class (concept): by its value for a symbolic
// decision attribute, by its interval between boundary points for a numeric
// one. The first class is shown by its upper bound alone, the last by its
// lower bound alone, every other by both; bounds of an integer attribute are
// truncated toward zero, those of a real one printed with six decimals.
#pragma once

#include <string>
#include <vector>

#include "common/attribute_table.h"

namespace ruleval {

// The condition that defines class k of the decision attribute:
// "name=value", "name<=U", "name>L" or "L<name<=U". last is the class shown
// by its lower bound alone; the first class takes precedence over it, so a
// single numeric class is shown by its upper bound.
// REQUIRES: k below the number of classes of decision.
std::string class_condition(const AttributeTable& table,
                            const Attribute& decision, int k, int last);

// The value of class k of a symbolic decision attribute, or the bracketed
// condition "(...)" of a numeric one: the class as the result file writes it.
std::string class_label(const AttributeTable& table, const Attribute& decision,
                        int k, int last);

// The labels of every class of the table's decision attribute (its last),
// as class_label gives them.
std::vector<std::string> class_labels(const AttributeTable& table);

// A boundary point as the reports print it: the truncated integer for an
// integer attribute, "%f" otherwise.
std::string bound_text(const Attribute& attribute, float point);

// A real as printed with "%f"-like formats: a value that is not a number
// always prints as "nan", never with a sign.
double printable(double value);

// The fraction as a percentage, 100 times the single precision value taken
// in double precision, ready for printing.
double percent(float fraction);

// num / den in double precision, stored in single precision; not a number
// when den is 0.
float fraction(long long num, long long den);

}  // namespace ruleval
