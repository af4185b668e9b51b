#include "prepare/interval_coder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "bench/workload.h"
#include "prepare/attribute_file.h"
#include "tests/test_util.h"

namespace ruleval {
namespace {

namespace fs = std::filesystem;
using Limits = std::numeric_limits<float>;

// The boundary points of every numeric attribute of a description.
void add_points_of(const std::string& fmc,
                   std::vector<std::vector<float>>* sets) {
  AttributeTable table;
  int ignored = 0;
  ASSERT_TRUE(read_attribute_file(fmc, &table, &ignored).ok()) << fmc;
  for (const Attribute& attribute : table.attributes) {
    if (attribute.symbolic()) continue;
    std::vector<float> points;
    for (int k = 0; k < attribute.value_count; ++k) {
      points.push_back(table.value(attribute, k).point);
    }
    sets->push_back(points);
  }
}

// The zeros, the ends of the range and the non-finite values.
std::vector<float> special_values() {
  const float max = Limits::max();
  const float tiny = Limits::denorm_min();
  const float inf = Limits::infinity();
  return {0.0f, -0.0f, max, -max, Limits::min(), tiny, -tiny, inf, -inf, NAN};
}

// Points where the tolerance changes within a few units in the last place:
// about powers of two, and the special values.
std::vector<float> awkward_points() {
  std::vector<float> points = special_values();
  for (const int e : {-140, -126, -20, -1, 0, 1, 2, 10, 24, 100, 127}) {
    float up = std::ldexp(1.0f, e);
    float down = up;
    for (int step = 0; step < 6; ++step) {
      points.insert(points.end(), {up, -down, down});
      up = std::nextafter(up, Limits::infinity());
      down = std::nextafter(down, 0.0f);
    }
  }
  return points;
}

// Values about each point and about the powers of two next to it, a few
// hundred units in the last place either way, and the special values.
std::vector<float> values_near(const std::vector<float>& points) {
  std::vector<float> values = special_values();
  for (const float p : points) {
    if (!std::isfinite(p)) continue;
    int exponent = 0;
    std::frexp(p, &exponent);
    std::vector<float> centres = {p, -p};
    for (int e = exponent - 1; e <= exponent + 1; ++e) {
      centres.insert(centres.end(),
                     {std::ldexp(1.0f, e), -std::ldexp(1.0f, e)});
    }
    for (const float centre : centres) {
      float up = centre;
      float down = centre;
      for (int step = 0; step < 300; ++step) {
        values.insert(values.end(), {up, down});
        up = std::nextafter(up, Limits::infinity());
        down = std::nextafter(down, -Limits::infinity());
      }
    }
  }
  return values;
}

// How many values code differently from the comparisons point by point.
int mismatches(const IntervalCoder& coder, const std::vector<float>& values) {
  int count = 0;
  for (const float v : values) {
    const double value = static_cast<double>(v);
    if (coder.code(value) != coder.code_by_comparison(value)) {
      if (++count <= 5) ADD_FAILURE() << "value " << v;
    }
  }
  return count;
}

TEST(IntervalCoderTest, ThresholdsCodeAsTheComparisonsDo) {
  std::vector<std::vector<float>> sets;
  for (const auto& entry : fs::recursive_directory_iterator(
           fs::path(RULEVAL_SOURCE_DIR) / "examples")) {
    if (entry.path().extension() == ".fmc") {
      add_points_of(entry.path().string(), &sets);
    }
  }
  testing::TempDir dir;
  for (const char* name : {"small", "wide", "wide-missing", "rules"}) {
    bench::WorkloadShape shape = *bench::find_workload(name);
    shape.cases = 10;
    shape.rules = 10;
    ASSERT_EQ("", bench::write_workload(shape, dir.path().string()));
    add_points_of(dir.file(shape.name + ".fmc"), &sets);
  }
  ASSERT_GT(sets.size(), 20u);
  const std::vector<float> awkward = awkward_points();
  sets.push_back(awkward);  // out of order, with bands and no thresholds
  std::vector<float> ascending;
  for (const float p : awkward) {
    if (!std::isnan(p)) ascending.push_back(p);
  }
  std::sort(ascending.begin(), ascending.end());
  sets.push_back(ascending);  // searched, not counted
  for (const std::vector<float>& points : sets) {
    EXPECT_EQ(0, mismatches(IntervalCoder(points), values_near(points)));
    for (const float point : points) {  // each point alone
      const std::vector<float> one = {0.0f, point};
      EXPECT_EQ(0, mismatches(IntervalCoder(one), values_near(one))) << point;
    }
  }
  // And any single-precision number at all.
  std::mt19937 random(17);
  std::vector<float> anything;
  for (int k = 0; k < 200000; ++k) {
    anything.push_back(
        std::bit_cast<float>(static_cast<std::uint32_t>(random())));
  }
  EXPECT_EQ(0, mismatches(IntervalCoder(ascending), anything));
  EXPECT_EQ(0, mismatches(IntervalCoder(awkward), anything));
}

}  // namespace
}  // namespace ruleval
