#include "bench/workload.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "driver/run.h"
#include "tests/test_util.h"

namespace ruleval::bench {
namespace {

using testing::read_file;
using testing::TempDir;

struct Files {
  std::string fmc, tst, intr;
};

Files generate(const WorkloadShape& shape, const TempDir& dir) {
  const std::string failure = write_workload(shape, dir.path().string());
  EXPECT_EQ("", failure);
  const std::string base = dir.file(shape.name);
  return {read_file(base + ".fmc"), read_file(base + ".tst"),
          read_file(base + ".intr")};
}

WorkloadShape shape_of(const char* name, std::int64_t cases) {
  std::optional<WorkloadShape> shape = find_workload(name);
  EXPECT_TRUE(shape.has_value()) << name;
  shape->cases = cases;
  return *shape;
}

// The report's figures of a run on a generated workload.
struct Figures {
  int status = -1;
  long cases = 0, correct = 0, partial = 0;
};

Figures run_on(const WorkloadShape& shape, const TempDir& dir) {
  generate(shape, dir);
  const std::string base = dir.file(shape.name);
  const char* argv[] = {"ruleval", base.c_str()};
  std::FILE* out = std::tmpfile();
  Figures figures;
  figures.status = run_command_line(2, argv, out);
  std::rewind(out);
  std::string text;
  for (int c = std::fgetc(out); c != EOF; c = std::fgetc(out))
    text.push_back(static_cast<char>(c));
  std::fclose(out);
  const auto number_after = [&text](const std::string& key) {
    const std::size_t at = text.find(key);
    return at == std::string::npos
               ? -1L
               : std::strtol(text.c_str() + at + key.size(), nullptr, 10);
  };
  figures.cases = number_after("Number of testing cases = ");
  figures.correct = number_after("Number of cases classified correctly = ");
  figures.partial = number_after("Number of partially matched cases=");
  EXPECT_EQ(0, figures.status) << text;
  return figures;
}

TEST(WorkloadTest, SameShapeGivesTheSameFilesAndEachStreamStaysApart) {
  const WorkloadShape shape = shape_of("small", 300);
  TempDir first, again, more_cases, more_rules, other_seed;
  const Files files = generate(shape, first);
  const Files repeated = generate(shape, again);
  EXPECT_EQ(files.fmc, repeated.fmc);
  EXPECT_EQ(files.tst, repeated.tst);
  EXPECT_EQ(files.intr, repeated.intr);

  WorkloadShape changed = shape;
  changed.cases = 600;
  const Files longer = generate(changed, more_cases);
  EXPECT_EQ(files.intr, longer.intr);  // more cases, the same rules
  EXPECT_TRUE(longer.tst.starts_with(files.tst));

  changed = shape;
  changed.rules = 80;
  EXPECT_EQ(files.tst, generate(changed, more_rules).tst);

  changed = shape;
  changed.seed += 1;
  const Files reseeded = generate(changed, other_seed);
  EXPECT_NE(files.tst, reseeded.tst);
  EXPECT_NE(files.intr, reseeded.intr);
}

TEST(WorkloadTest, EveryWorkloadRunsWithFullAndPartialMatches) {
  // At their full rule counts, so that every rule is read and checked;
  // few cases keep it quick.
  for (const char* name : {"small", "wide", "wide-missing", "rules"}) {
    TempDir dir;
    const WorkloadShape shape = shape_of(name, 1000);
    const Figures figures = run_on(shape, dir);
    EXPECT_EQ(1000, figures.cases) << name;
    // Well above guessing among the classes, and a fair share of the cases
    // decided each way.
    EXPECT_GT(figures.correct, 2 * figures.cases / shape.classes) << name;
    EXPECT_GT(figures.partial, figures.cases / 10) << name;
    EXPECT_LT(figures.partial, figures.cases * 9 / 10) << name;
  }
}

TEST(WorkloadTest, UnknownWorkloadsAreNotFound) {
  EXPECT_FALSE(find_workload("huge").has_value());
}

}  // namespace
}  // namespace ruleval::bench
