// End-to-end runs compared with golden files. Each folder of cases/ is one
// run:
//
//   input/            files laid in a fresh directory, where ruleval runs
//   example           optional: the name of a folder of examples/ whose
//                     input files (.fmc, .tst, .intr) are laid there too
//   args              its arguments, one a line (no file: no argument);
//                     the run is dated by SOURCE_DATE_EPOCH=1700000000
//   expected/stdout   standard output with standard error, byte for byte
//   expected/status   exit status
//   expected/files/   every file the run leaves beside its inputs
//   kept/             optional: the intermediate files of the same run with
//                     the intermediate files kept, byte for byte
//
// RULEVAL_UPDATE_GOLDEN=1 rewrites expected/ and kept/ from the actual run;
// check every change by hand before committing it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "driver/run.h"
#include "tests/test_util.h"

namespace ruleval {
namespace {

namespace fs = std::filesystem;
using testing::read_file;
using testing::shell_quote;
using testing::TempDir;
using testing::write_file;

const fs::path kCases =
    fs::path(RULEVAL_SOURCE_DIR) / "tests" / "e2e" / "cases";
const fs::path kExamples = fs::path(RULEVAL_SOURCE_DIR) / "examples";

bool updating() {
  const char* flag = std::getenv("RULEVAL_UPDATE_GOLDEN");
  return flag != nullptr && std::string(flag) == "1";
}

// The cases, or only those with a kept/ folder.
std::vector<std::string> case_names(bool with_kept_only) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kCases)) {
    if (!entry.is_directory()) continue;
    if (with_kept_only && !fs::exists(entry.path() / "kept")) continue;
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> read_args(const fs::path& case_dir) {
  std::vector<std::string> args;
  if (!fs::exists(case_dir / "args")) return args;
  std::istringstream lines(read_file(case_dir / "args"));
  for (std::string line; std::getline(lines, line);) args.push_back(line);
  return args;
}

// Regular files below dir by their path relative to it, with their content.
std::map<std::string, std::string> files_in(const fs::path& dir) {
  std::map<std::string, std::string> files;
  if (!fs::exists(dir)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (entry.is_regular_file()) {
      files[fs::relative(entry.path(), dir).string()] = read_file(entry.path());
    }
  }
  return files;
}

void write_files(const fs::path& dir,
                 const std::map<std::string, std::string>& files) {
  fs::create_directories(dir);
  for (const auto& [name, content] : files) {
    fs::create_directories((dir / name).parent_path());
    write_file(dir / name, content);
  }
}

void replace_dir(const fs::path& dir,
                 const std::map<std::string, std::string>& files) {
  fs::remove_all(dir);
  write_files(dir, files);
}

void expect_same_files(const std::map<std::string, std::string>& expected,
                       const std::map<std::string, std::string>& actual,
                       const std::string& what) {
  for (const auto& [name, content] : expected) {
    const auto found = actual.find(name);
    if (found == actual.end()) {
      ADD_FAILURE() << what << ": missing " << name;
    } else {
      EXPECT_EQ(content, found->second) << what << ": " << name;
    }
  }
  for (const auto& [name, content] : actual) {
    EXPECT_TRUE(expected.count(name)) << what << ": unexpected " << name;
  }
}

class GoldenTest : public ::testing::TestWithParam<std::string> {
 protected:
  fs::path case_dir() const { return kCases / GetParam(); }

  // Lays the inputs in run/ and returns them.
  std::map<std::string, std::string> lay_inputs(const fs::path& run) const {
    auto inputs = files_in(case_dir() / "input");
    const fs::path example = case_dir() / "example";
    if (fs::exists(example)) {
      std::string name = read_file(example);
      while (!name.empty() && name.back() == '\n') name.pop_back();
      // Only the inputs: a run of the example may have left its outputs.
      for (auto& [file, content] : files_in(kExamples / name)) {
        const std::string extension = fs::path(file).extension().string();
        if (extension == ".fmc" || extension == ".tst" || extension == ".intr")
          inputs.emplace(file, std::move(content));
      }
    }
    write_files(run, inputs);
    return inputs;
  }
};

TEST_P(GoldenTest, BinaryRunMatches) {
  TempDir temp;
  const fs::path run = temp.path() / "run";
  const auto inputs = lay_inputs(run);
  // A fixed date, for the pages that show when they were made.
  std::string command = "cd " + shell_quote(run.string()) +
                        " && SOURCE_DATE_EPOCH=1700000000 " +
                        shell_quote(RULEVAL_BINARY);
  for (const std::string& arg : read_args(case_dir()))
    command += " " + shell_quote(arg);
  const fs::path captured = temp.path() / "stdout";
  command += " >" + shell_quote(captured.string()) + " 2>&1";
  const int status = testing::run_shell(command);

  auto left = files_in(run);
  for (const auto& [name, content] : inputs) {
    ASSERT_TRUE(left.count(name)) << "input removed: " << name;
    if (left[name] == content) left.erase(name);
  }
  const fs::path expected = case_dir() / "expected";
  if (updating()) {
    replace_dir(expected / "files", left);
    write_file(expected / "stdout", read_file(captured));
    write_file(expected / "status", std::to_string(status) + "\n");
    return;
  }
  EXPECT_EQ(read_file(expected / "stdout"), read_file(captured));
  EXPECT_EQ(read_file(expected / "status"), std::to_string(status) + "\n");
  expect_same_files(files_in(expected / "files"), left, "files left");
}

class KeptTest : public GoldenTest {};

// The intermediate files of a completed run, kept instead of deleted.
TEST_P(KeptTest, IntermediateFilesMatch) {
  const fs::path kept = case_dir() / "kept";
  const std::vector<std::string> args = read_args(case_dir());
  ASSERT_FALSE(args.empty());
  TempDir temp;
  const fs::path run = temp.path() / "run";
  const auto inputs = lay_inputs(run);

  RunContext context;
  context.files = name_run_files((run / args[0]).string());
  RunOptions options;
  options.keep_intermediate_files = true;
  std::FILE* out = std::tmpfile();
  const RunOutcome outcome = run_evaluation(&context, out, options);
  std::fclose(out);
  ASSERT_TRUE(outcome.status.ok()) << outcome.status.message();

  std::map<std::string, std::string> intermediate;
  for (const auto& [name, content] : files_in(run)) {
    const std::string extension = fs::path(name).extension().string();
    if (extension == ".fmc1" || extension == ".qzf" || extension == ".qzf1") {
      intermediate[name] = content;
    }
  }
  if (updating()) {
    replace_dir(kept, intermediate);
    return;
  }
  expect_same_files(files_in(kept), intermediate, "kept");
}

std::string test_name(const ::testing::TestParamInfo<std::string>& info) {
  std::string name = info.param;
  std::replace(name.begin(), name.end(), '-', '_');
  return name;
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenTest,
                         ::testing::ValuesIn(case_names(false)), test_name);
INSTANTIATE_TEST_SUITE_P(Cases, KeptTest, ::testing::ValuesIn(case_names(true)),
                         test_name);

}  // namespace
}  // namespace ruleval
