// Three-way comparison of reals with a tolerance that scales with the
// magnitude of the larger operand, so that values differing only by rounding
// count as equal.
#pragma once

namespace ruleval {

// The tolerance every caller uses: the single-precision machine epsilon.
inline constexpr double kCompareEpsilon = 1.1920928955078125e-07;

// Returns 1 when x1 exceeds x2 by more than epsilon * 2^e, -1 when it falls
// short by more than that, 0 otherwise; e is the binary exponent (as frexp
// gives it) of the operand of larger magnitude.
int approx_compare(double x1, double x2, double epsilon);

}  // namespace ruleval
