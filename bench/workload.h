// The benchmark workloads: an attribute description, raw test cases and a
// rule set of the shape a rule learner leaves behind, all drawn from fixed
// seeds so that every machine gets the same files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ruleval::bench {

struct WorkloadShape {
  std::string name;  // the base name of the files
  std::uint64_t seed = 1;
  std::int64_t cases = 0;
  int rules = 0;
  int classes = 2;  // values of the symbolic decision attribute
  // Condition attributes: symbolic ones with min_values to max_values
  // values, numeric ones (types I and R in turn) with min_points to
  // max_points boundary points.
  int symbolic = 1;
  int min_values = 2;
  int max_values = 2;
  int numeric = 0;
  int min_points = 3;
  int max_points = 3;
  int excluded = 0;  // attributes flagged X, one symbolic, the others I
  // Conditions a rule must meet (and_pair_num), drawn from this range
  // with the middle favoured.
  int min_conditions = 1;
  int max_conditions = 1;
  // A rule under max_conditions gets more conditions while the share of
  // all cases it is likely to cover stays above a target drawn between
  // these two on a logarithmic scale, nearer the first more often.
  double min_coverage = 1.0;
  double max_coverage = 1.0;
  // The share of rules grown only until they are likely to cover
  // general_coverage of all cases.
  double general_share = 0.0;
  double general_coverage = 1.0;
  // Candidate conditions compared for each step of a rule's growth; the
  // narrowest is taken.
  int candidates = 1;
  // Of the conditions on a symbolic attribute, the share that says "is
  // not" some other value and the share that is an OR group; the rest say
  // "is" the value.
  double negation_share = 0.0;
  double or_group_share = 0.0;
  // Of the conditions on a numeric attribute, the share bounded on both
  // sides, and how many intervals a bound may stand off the seed case's.
  double two_sided_share = 0.0;
  int bound_slack = 0;
  // How strongly each condition attribute follows the class: the share of
  // cases that take their class's favoured value, drawn per attribute.
  double min_strength = 0.0;
  double max_strength = 0.0;
  // The share of condition values written as "?", a missing value.
  double missing_share = 0.0;
};

// The named workload ("small", "wide", "wide-missing" or "rules") at its
// default size and seed; nothing for another name.
std::optional<WorkloadShape> find_workload(std::string_view name);

// Writes dir/NAME.fmc, dir/NAME.tst and dir/NAME.intr for the shape, the
// same bytes for the same shape. Returns an empty text, or what failed.
std::string write_workload(const WorkloadShape& shape, const std::string& dir);

}  // namespace ruleval::bench
