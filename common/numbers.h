// Reading numbers from test data tokens, and printing boundary points.
#pragma once

#include <string>
#include <string_view>

namespace ruleval {

// The value of the longest prefix of text that reads as a real number, as
// strtod reads it in the C locale (decimal, hexadecimal, inf, nan), or 0
// when no prefix does. Plain decimal tokens take a fast path that gives the
// same correctly rounded result without locale work or allocation.
double parse_leading_double(std::string_view text);
// The same, false (and value 0) when no prefix of text reads as a number.
bool parse_leading_double(std::string_view text, double* value);

// value rounded to single precision, the precision of every boundary point.
inline float to_single(double value) { return static_cast<float>(value); }

// The point truncated toward zero and printed as an integer ("%d"), as
// points of integer attributes are shown. Points beyond the range of int are
// printed whole rather than wrapped.
std::string truncated_integer(float point);

// The shortest decimal text that reads back as the same value: "0.9",
// "1e-07", "13"; "inf", "-inf" and "nan" for values that are not finite.
std::string shortest_text(double value);
std::string shortest_text(float value);

// The number a single-precision value stands for as its shortest text
// shows it: 0.1 for the float nearest 0.1.
double as_written(float value);

// The margin between two single-precision scores as their shortest texts
// show them, in single precision: 0.8 between 2 and 1.2.
float margin_between(float winner, float runner_up);

}  // namespace ruleval
