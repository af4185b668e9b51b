#include "driver/run.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tests/test_util.h"

namespace ruleval {
namespace {

namespace fs = std::filesystem;
using testing::read_file;
using testing::TempDir;
using testing::write_file;

constexpr const char* kDescription =
    "Attrinum=2 Casenum=2\n"
    "AttriFlag=C AttriName=colour AttriType=S AttriPairNum=2 AttriValueP=0 "
    "AttriPriority=1\n"
    "red green\n"
    "AttriFlag=D AttriName=class AttriType=S AttriPairNum=2 AttriValueP=2 "
    "AttriPriority=0\n"
    "yes no\n";
constexpr const char* kTestData = "red yes\ngreen no\n";
constexpr const char* kRules =
    "Concept_num=2  Total_rulenum=2  Majority_class=0  Rule_qualityno=1\n"
    "Concept=0  rulenum=1\n"
    "num_of_pairs=1  and_pair_num=1  rule_accuracy=1.0  rule_quality=1.0  "
    "posnum=1  negnum=0\n"
    "attrino=0  parino=0  direction=0  orflag=1\n"
    "Concept=1  rulenum=1\n"
    "num_of_pairs=1  and_pair_num=1  rule_accuracy=1.0  rule_quality=1.0  "
    "posnum=1  negnum=0\n"
    "attrino=0  parino=1  direction=0  orflag=1\n";

struct Outcome {
  int status;
  std::string out;
};

// What was written to a temporary file, which is closed.
std::string text_of(std::FILE* file) {
  std::rewind(file);
  std::string text;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file))
    text.push_back(static_cast<char>(c));
  std::fclose(file);
  return text;
}

// Runs the program in-process with the given arguments.
Outcome run(const std::vector<std::string>& args,
            const RunOptions& options = RunOptions()) {
  std::vector<const char*> argv = {"ruleval"};
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  std::FILE* out = std::tmpfile();
  const int status = run_command_line(static_cast<int>(argv.size()),
                                      argv.data(), out, options);
  return {status, text_of(out)};
}

// The names of the files in dir.
std::set<std::string> files_in(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir))
    names.insert(entry.path().filename().string());
  return names;
}

class RunTest : public ::testing::Test {
 protected:
  // Lays the description and test data under stem, a path in the scratch
  // directory, and returns stem.
  std::string lay(const std::string& stem) {
    const std::string base = dir_.file(stem);
    fs::create_directories(fs::path(base).parent_path());
    write_file(base + ".fmc", kDescription);
    write_file(base + ".tst", kTestData);
    write_file(base + ".intr", kRules);
    return base;
  }

  TempDir dir_;
  // Where in-process runs print their report.
  std::FILE* quiet_ = std::fopen("/dev/null", "w");
  ~RunTest() override { std::fclose(quiet_); }
};

TEST_F(RunTest, NamesThatNameNoFileGetTheUsageLine) {
  for (const std::string& name :
       {std::string(), dir_.path().string() + "/", std::string("..")}) {
    const Outcome outcome = run({name});
    EXPECT_EQ(1, outcome.status) << name;
    EXPECT_EQ("\n Usage: ruleval.exe filename\n", outcome.out) << name;
  }
  EXPECT_EQ(0, run({"-h"}).status);
}

TEST_F(RunTest, CompletedRunLeavesTheOutputsAndNoIntermediateFile) {
  const std::string base = lay("data.v2/set");
  const Outcome outcome = run({base + ".old.tst"});
  EXPECT_EQ(0, outcome.status) << outcome.out;
  EXPECT_EQ(0u, outcome.out.find("qualityno=1\n"));
  const std::string last_line =
      "\nPrediction accuracy on the testing data = 100.000000%\n";
  EXPECT_TRUE(outcome.out.ends_with(last_line)) << outcome.out;
  for (const char* ext : {".qzf", ".fmc1", ".qzf1"})
    EXPECT_FALSE(fs::exists(base + ext)) << ext;
  for (const char* ext : {".result", ".tcover", ".sum"})
    EXPECT_TRUE(fs::exists(base + ext)) << ext;
}

// A failed run writes the intermediate files of the stages before the
// failure only then, and as a run that keeps them writes them; the test
// data ends on a line with too few values, whose codes end B.qzf.
TEST_F(RunTest, FailureLeavesTheIntermediateFilesOfAKeptRun) {
  struct Failure {
    const char* name;
    std::vector<std::string> extra_args;
    const char* spoilt_ext;  // made a directory, or emptied for ".intr"
    std::set<std::string> left;
  };
  const Failure failures[] = {
      {"rules", {}, ".intr", {".qzf", ".fmc1", ".qzf1"}},
      {"result", {}, ".result", {".qzf", ".fmc1", ".qzf1"}},
      {"json", {"--json", "@.tst"}, "", {".qzf"}},
  };
  const std::string kept = lay("kept");
  write_file(kept + ".tst", std::string(kTestData) + "green");
  RunOptions keep;
  keep.keep_intermediate_files = true;
  ASSERT_EQ(0, run({kept}, keep).status);
  for (const Failure& failure : failures) {
    const std::string base = lay(failure.name);
    write_file(base + ".tst", std::string(kTestData) + "green");
    const std::string spoilt = base + failure.spoilt_ext;
    if (std::string(failure.spoilt_ext) == ".intr") write_file(spoilt, "");
    if (std::string(failure.spoilt_ext) == ".result")
      fs::create_directory(spoilt);
    std::vector<std::string> args = {base};
    for (const std::string& arg : failure.extra_args)
      args.push_back(arg[0] == '@' ? base + arg.substr(1) : arg);
    EXPECT_EQ(1, run(args).status) << failure.name;
    for (const char* ext : {".qzf", ".fmc1", ".qzf1"}) {
      ASSERT_EQ(failure.left.count(ext) == 1, fs::exists(base + ext))
          << failure.name << ext;
      if (failure.left.count(ext)) {
        EXPECT_EQ(read_file(kept + ext), read_file(base + ext))
            << failure.name << ext;
      }
    }
  }
}

TEST_F(RunTest, OutputDirectoryTakesEveryFileTheRunWrites) {
  const std::string base = lay("in/set");
  const std::string out_dir = dir_.file("out");
  fs::create_directory(out_dir);
  RunOptions keep;
  keep.keep_intermediate_files = true;
  const Outcome outcome =
      run({"--output-dir", out_dir, base + ".tst", "--quiet"}, keep);
  EXPECT_EQ(0, outcome.status) << outcome.out;
  EXPECT_EQ("", outcome.out);
  EXPECT_EQ((std::set<std::string>{"set.fmc", "set.tst", "set.intr"}),
            files_in(dir_.file("in")));
  EXPECT_EQ((std::set<std::string>{"set.qzf", "set.fmc1", "set.qzf1",
                                   "set.result", "set.tcover", "set.sum"}),
            files_in(out_dir));
}

TEST_F(RunTest, OutputDirectoryMustExist) {
  const std::string base = lay("in/set");
  write_file(dir_.file("plain"), "");
  for (const std::string& out_dir :
       {dir_.file("missing"), dir_.file("plain")}) {
    const Outcome outcome = run({base, "--output-dir=" + out_dir});
    EXPECT_EQ(1, outcome.status);
    EXPECT_EQ("ruleval: output directory '" + out_dir +
                  "' does not exist or is not a directory\n",
              outcome.out);
    EXPECT_EQ(3u, files_in(dir_.file("in")).size()) << out_dir;
  }
}

TEST_F(RunTest, QuietRunStillPrintsItsFailure) {
  const std::string base = lay("quiet");
  fs::remove(base + ".intr");
  EXPECT_EQ("\n Cannot open internal rule file: " + base + ".intr !\n",
            run({"--quiet", base}).out);
}

TEST_F(RunTest, DroppedLinesAreWarnedOfApartFromTheReport) {
  const std::string base = lay("dropped");
  write_file(base + ".tst", "red yes\n\ngreen no\n");
  const char* argv[] = {"ruleval", base.c_str()};
  std::FILE* out = std::tmpfile();
  std::FILE* warnings = std::tmpfile();
  RunOptions options;
  options.warnings = warnings;
  EXPECT_EQ(0, run_command_line(2, argv, out, options));
  EXPECT_EQ(std::string::npos, text_of(out).find("warning"));
  EXPECT_EQ("ruleval: warning: " + base +
                ".tst, line 2 holds 0 values, fewer than the 2 attributes: "
                "the test data ends there, and the 1 lines after it that "
                "hold values are not evaluated\n",
            text_of(warnings));
}

TEST_F(RunTest, PathsHaveNoLengthLimit) {
  const std::string base =
      lay(std::string(180, 'd') + "/" + std::string(240, 's'));
  EXPECT_EQ(0, run({base}).status);
}

TEST_F(RunTest, WriteFailuresStopTheRun) {
  for (const char* ext : {".fmc1", ".qzf1", ".result", ".tcover", ".sum"}) {
    const std::string base = lay(std::string("full") + (ext + 1));
    fs::create_symlink("/dev/full", base + ext);
    const Outcome outcome =
        run({base, "--json", base + ".json", "--predictions", base + ".csv"});
    EXPECT_EQ(1, outcome.status) << ext;
    const std::string message = "\nCannot write file: " + base + ext + " ...\n";
    EXPECT_TRUE(outcome.out.ends_with(message)) << outcome.out;
    EXPECT_TRUE(fs::exists(base + ".qzf")) << ext;  // left for inspection
    // Results made beside the reports never outlive a failed run.
    for (const std::string& name : files_in(dir_.path().string())) {
      EXPECT_FALSE(name.ends_with(".json") || name.ends_with(".csv") ||
                   name.find(".tmp") != std::string::npos)
          << ext << ": " << name;
    }
  }
}

TEST_F(RunTest, ReportThatCannotBePrintedFailsTheRun) {
  const std::string base = lay("unprinted");
  const char* argv[] = {"ruleval", base.c_str()};
  std::FILE* full = std::fopen("/dev/full", "w");
  ASSERT_NE(nullptr, full);
  EXPECT_EQ(1, run_command_line(2, argv, full));
  std::fclose(full);
}

TEST_F(RunTest, OutputsThatCannotBeCreatedStopTheRun) {
  const std::pair<const char*, const char*> outputs[] = {
      {".result", "\nCannot create result file: "},
      {".tcover", "\nCannot create result file: "},
      {".sum", "\nCannot create sum file: "}};
  for (const auto& [ext, message] : outputs) {
    const std::string base = lay(std::string("dir") + (ext + 1));
    fs::create_directories(base + ext);
    const Outcome outcome = run({base});
    EXPECT_EQ(1, outcome.status) << ext;
    EXPECT_TRUE(outcome.out.ends_with(message + base + ext + " ...\n"))
        << outcome.out;
    // The accuracy is printed only once the testing loop has succeeded.
    EXPECT_EQ(std::string(ext) != ".result",
              outcome.out.find("Prediction accuracy") != std::string::npos);
  }
}

TEST_F(RunTest, DescriptionThatCannotBeCreatedIsPassedOver) {
  const std::string base = lay("nofmc1");
  fs::create_directories(base +
                         ".fmc1/keep");  // cannot be created, nor deleted
  const Outcome outcome = run({base});
  EXPECT_EQ(0, outcome.status) << outcome.out;
}

TEST_F(RunTest, CodedCasesThatCannotBeCreatedStopTheRun) {
  const std::string base = lay("noqzf1");
  fs::create_directories(base + ".qzf1/keep");
  const Outcome outcome = run({base});
  EXPECT_EQ(1, outcome.status);
  EXPECT_EQ("\nCannot read intermediate file: " + base + ".qzf1 ...\n",
            outcome.out);
  EXPECT_TRUE(fs::exists(base + ".qzf"));  // left behind for inspection
  EXPECT_TRUE(fs::exists(base + ".fmc1"));
}

TEST_F(RunTest, KeptIntermediateFilesHoldTheCodedCases) {
  RunContext context;
  context.files = name_run_files(lay("kept"));
  RunOptions options;
  options.keep_intermediate_files = true;
  const RunOutcome outcome = run_evaluation(&context, quiet_, options);
  ASSERT_TRUE(outcome.status.ok());
  EXPECT_EQ(0, outcome.exit_status);
  EXPECT_EQ("0 0 \n1 1 \n", read_file(context.files.test_codes));
  EXPECT_EQ(2u, context.cases.num_cases());
  EXPECT_EQ(1u, context.cases.code(1, 0));
}

TEST_F(RunTest, SymbolicAttributesWithManyValuesKeepExactCodes) {
  std::string values;
  for (int k = 0; k < 300; ++k) values += " v" + std::to_string(k);
  RunContext context;
  const std::string base = dir_.file("many");
  context.files = name_run_files(base);
  write_file(
      base + ".fmc",
      "Attrinum=2 Casenum=3\n"
      "AttriFlag=C AttriName=many AttriType=S AttriPairNum=300 AttriValueP=0 "
      "AttriPriority=1\n" +
          values +
          "\nAttriFlag=D AttriName=class AttriType=S AttriPairNum=2 "
          "AttriValueP=300 AttriPriority=0\nyes no\n");
  write_file(base + ".tst", "v299 yes\nv128 no\nv0 yes\n");
  // Value codes beyond one byte are matched whole: v299 is not v43 (299
  // mod 256), and v128 is no negative number.
  write_file(base + ".intr",
             "Concept_num=2  Total_rulenum=3  Majority_class=0  "
             "Rule_qualityno=1\n"
             "Concept=0 rulenum=2\n"
             "num_of_pairs=1 and_pair_num=1 rule_accuracy=1 rule_quality=1 "
             "posnum=0 negnum=0\n"
             "attrino=0 parino=299 direction=0 orflag=1\n"
             "num_of_pairs=1 and_pair_num=1 rule_accuracy=1 rule_quality=1 "
             "posnum=0 negnum=0\n"
             "attrino=0 parino=43 direction=0 orflag=1\n"
             "Concept=1 rulenum=1\n"
             "num_of_pairs=2 and_pair_num=1 rule_accuracy=1 rule_quality=1 "
             "posnum=0 negnum=0\n"
             "attrino=0 parino=128 direction=0 orflag=2\n"
             "attrino=0 parino=0 direction=0 orflag=1\n");
  RunOptions options;
  options.keep_intermediate_files = true;
  const RunOutcome outcome = run_evaluation(&context, quiet_, options);
  ASSERT_TRUE(outcome.status.ok()) << outcome.status.message();
  EXPECT_EQ("Casenum=3 Dependency=0 Concept=0\n299 0 \n128 1 \n0 0 \n",
            read_file(base + ".qzf1"));
  EXPECT_EQ(16u, context.cases.code_bits());
  EXPECT_EQ(299u, context.cases.code(0, 0));
  EXPECT_EQ(128u, context.cases.code(1, 0));
  EXPECT_EQ(1u, context.cases.class_code(1));
  const auto& concepts = context.rules.concepts;
  EXPECT_EQ(CaseList{0}, concepts[0][0].covered_positive.list());
  EXPECT_EQ(0u, concepts[0][1].covered_positive.size() +
                    concepts[0][1].covered_negative.size());
  EXPECT_EQ(CaseList{1}, concepts[1][0].covered_positive.list());
  EXPECT_EQ(CaseList{2}, concepts[1][0].covered_negative.list());
}

}  // namespace
}  // namespace ruleval
