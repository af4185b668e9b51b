// A catalogue of bad inputs, run end to end on the binary. A small valid data
// set is spoilt one way per case. A file that breaks its format must end the
// run with its exact message, status 1, and no result, coverage or summary
// file; one that the formats still read (a byte order mark, carriage returns
// alone, counts that nothing needs) must give the outputs of the clean run.
// Every run has little memory and time: counts of 2^31 - 1 must be answered
// from what the file holds, never allocated first, and no run may hang.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "tests/test_util.h"

namespace ruleval {
namespace {

namespace fs = std::filesystem;
using testing::read_file;
using testing::shell_quote;
using testing::TempDir;
using testing::write_file;

using Files = std::map<std::string, std::string>;

// Selected order: colour (attrino 0), size (attrino 1); class decides.
const std::string kFmc =
    "Attrinum=3   Casenum=4\n"
    "AttriFlag=C AttriName=colour AttriType=S AttriPairNum=2 AttriValueP=0 "
    "AttriPriority=1\n"
    "red green\n"
    "AttriFlag=C AttriName=size AttriType=R AttriPairNum=3 AttriValueP=2 "
    "AttriPriority=2\n"
    "0 10.5 20\n"
    "AttriFlag=D AttriName=class AttriType=S AttriPairNum=2 AttriValueP=5 "
    "AttriPriority=0\n"
    "yes no\n";
const std::string kTst = "red,5,yes\ngreen,12,no\nred,15,yes\ngreen,3,no\n";
const std::string kIntr =
    "Concept_num=2  Total_rulenum=2  Majority_class=0  Rule_qualityno=1\n"
    "Concept=0  rulenum=1\n"
    "num_of_pairs=1  and_pair_num=1  rule_accuracy=1.0  rule_quality=2.0  "
    "posnum=2  negnum=0\n"
    "attrino=0  parino=0  direction=0  orflag=1\n"
    "Concept=1  rulenum=1\n"
    "num_of_pairs=2  and_pair_num=2  rule_accuracy=0.5  rule_quality=1.5  "
    "posnum=2  negnum=0\n"
    "attrino=0  parino=1  direction=0  orflag=1\n"
    "attrino=1  parino=1  direction=1  orflag=1\n";

const std::string kBom = "\xEF\xBB\xBF";
const std::string kPng("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\x01\0", 20);

std::string utf16(const std::string& text) {
  std::string wide = "\xFF\xFE";
  for (const char c : text) wide += std::string{c, '\0'};
  return wide;
}

std::string cr_only(std::string text) {
  for (char& c : text) {
    if (c == '\n') c = '\r';
  }
  return text;
}

// What a run printed and left beside its inputs.
struct Outcome {
  int status = -1;
  std::string out;
  Files left;
};

// Runs ruleval t in a fresh directory holding the three files. Without the
// sanitizers, which need much address space, the run gets 512 MiB of it.
Outcome run(const std::string& fmc, const std::string& tst,
            const std::string& intr) {
  TempDir temp;
  const fs::path dir = temp.path() / "run";
  fs::create_directory(dir);
  const Files inputs = {{"t.fmc", fmc}, {"t.tst", tst}, {"t.intr", intr}};
  for (const auto& [name, content] : inputs) write_file(dir / name, content);
#if defined(__SANITIZE_ADDRESS__)
  const std::string limit;
#else
  const std::string limit = "ulimit -v 524288 && ";
#endif
  const fs::path out = temp.path() / "out";
  Outcome outcome;
  outcome.status =
      testing::run_shell("cd " + shell_quote(dir.string()) + " && " + limit +
                         "timeout 60 " + shell_quote(RULEVAL_BINARY) + " t >" +
                         shell_quote(out.string()) + " 2>&1");
  outcome.out = read_file(out);
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (!inputs.count(name)) outcome.left[name] = read_file(entry.path());
  }
  return outcome;
}

const Outcome& clean_run() {
  static const Outcome clean = run(kFmc, kTst, kIntr);
  return clean;
}

enum class File { kFmc, kTst, kIntr };
using Mutation = std::function<std::string(std::string)>;

struct BadInput {
  std::string name;
  File file;
  Mutation mutate;
  // Standard output; empty for the output of the clean run.
  std::string expected;
  // With the output of the clean run: B.result copies the spoilt test
  // lines, bytes the reading skips included.
  bool result_copies_lines = false;
};

std::string replace_last(std::string text, const std::string& old,
                         const std::string& with) {
  const std::size_t at = text.rfind(old);
  if (at == std::string::npos) throw std::logic_error("no " + old);
  return text.replace(at, old.size(), with);
}

Mutation replace(const std::string& old, const std::string& with) {
  return [=](std::string text) { return replace_last(text, old, with); };
}
Mutation replace_all(const std::string& old, const std::string& with) {
  return [=](std::string text) {
    for (std::size_t at = 0; (at = text.find(old, at)) != std::string::npos;
         at += with.size()) {
      text.replace(at, old.size(), with);
    }
    return text;
  };
}
// The item after the last occurrence of key becomes value.
Mutation set(const std::string& key, const std::string& value) {
  return [=](std::string text) {
    const std::size_t at = text.rfind(key) + key.size();
    return text.replace(at, text.find_first_of(" \n", at) - at, value);
  };
}
// The last occurrence of key with its first letter in the other case.
Mutation misspell(const std::string& key) {
  std::string bad = key;
  bad[0] = static_cast<char>(bad[0] ^ 0x20);
  return replace(key, bad);
}
Mutation first_lines(int n) {
  return [=](std::string text) {
    std::size_t end = 0;
    for (int i = 0; i < n; ++i) end = text.find('\n', end) + 1;
    return text.substr(0, end);
  };
}
Mutation content(const std::string& whole) {
  return [=](std::string) { return whole; };
}
Mutation then(Mutation first, Mutation second) {
  return [=](std::string text) { return second(first(std::move(text))); };
}

std::string fmc_error(int line, const std::string& what) {
  return "\nMalformed attribute file t.fmc, line " + std::to_string(line) +
         ": " + what + "\n";
}
// Before the header of the rule file is read.
std::string header_error(int line, const std::string& what) {
  return "\nMalformed rule file t.intr, line " + std::to_string(line) + ": " +
         what + "\n";
}
// After it: its qualityno line comes first.
std::string intr_error(int line, const std::string& what) {
  return "qualityno=1\n" + header_error(line, what);
}
std::string tst_error(int line, const std::string& what) {
  return "\nMalformed test data file t.tst, line " + std::to_string(line) +
         ": " + what + "\n";
}

constexpr const char* kMax = "2147483647";
constexpr const char* kAboveMax = "2147483648";

std::vector<BadInput> description_cases() {
  const auto eof = [](int line, const std::string& what) {
    return fmc_error(line, "unexpected end of file, expected " + what);
  };
  std::vector<BadInput> cases = {
      {"DescriptionEmpty", File::kFmc, first_lines(0), eof(1, "Attrinum=")},
      {"DescriptionCutAfterLine1", File::kFmc, first_lines(1),
       eof(1, "AttriFlag=")},
      {"DescriptionCutAfterLine2", File::kFmc, first_lines(2),
       eof(2, "value 1 of 2 of attribute colour")},
      {"DescriptionCutAfterLine3", File::kFmc, first_lines(3),
       eof(3, "AttriFlag=")},
      {"DescriptionCutAfterLine4", File::kFmc, first_lines(4),
       eof(4, "boundary point 1 of 3 of attribute size")},
      {"DescriptionCutAfterLine5", File::kFmc, first_lines(5),
       eof(5, "AttriFlag=")},
      {"DescriptionCutAfterLine6", File::kFmc, first_lines(6),
       eof(6, "value 1 of 2 of attribute class")},
      {"DescriptionCutInAKey", File::kFmc,
       then(first_lines(2), replace("AttriPriority=1\n", "AttriPri")),
       fmc_error(2, "expected AttriPriority=")},
      {"DescriptionFlagBlank", File::kFmc,
       replace("=C AttriName=size", "= C AttriName=size"),
       fmc_error(4, "expected a flag letter after AttriFlag=")},
      {"DescriptionTypeUnknown", File::kFmc, set("AttriType=", "Q"),
       fmc_error(6, "expected S, I or R after AttriType=")},
      {"DescriptionPointNotANumber", File::kFmc, replace("10.5", "x"),
       fmc_error(5, "expected boundary point 2 of 3 of attribute size")},
      {"DescriptionPointNotFinite", File::kFmc, replace("10.5", "1e99"),
       fmc_error(5,
                 "boundary point 2 of 3 of attribute size is not a finite "
                 "number")},
      {"DescriptionAttributesNegative", File::kFmc, set("Attrinum=", "-1"),
       fmc_error(1, "Attrinum must not be negative")},
      {"DescriptionAttributesMax", File::kFmc, set("Attrinum=", kMax),
       eof(7, "AttriFlag=")},
      {"DescriptionAttributesAboveMax", File::kFmc, set("Attrinum=", kAboveMax),
       fmc_error(1, "integer out of range after Attrinum=")},
      {"DescriptionAttributesHuge", File::kFmc,
       set("Attrinum=", "99999999999999999999"),
       fmc_error(1, "integer out of range after Attrinum=")},
      {"DescriptionValuesNegative", File::kFmc, set("AttriPairNum=", "-1"),
       fmc_error(6, "AttriPairNum must not be negative")},
      {"DescriptionValuesMax", File::kFmc, set("AttriPairNum=", kMax),
       eof(7, "value 3 of 2147483647 of attribute class")},
      {"DescriptionValuesAboveMax", File::kFmc, set("AttriPairNum=", kAboveMax),
       fmc_error(6, "integer out of range after AttriPairNum=")},
      {"DescriptionCasesMax", File::kFmc, set("Casenum=", kMax), ""},
      {"DescriptionCasesNegative", File::kFmc, set("Casenum=", "-1"), ""},
      {"DescriptionByteOrderMark", File::kFmc, content(kBom + kFmc), ""},
      {"DescriptionByteOrderMarkInside", File::kFmc,
       replace("AttriFlag=D", kBom + "AttriFlag=D"),
       fmc_error(6, "expected AttriFlag=")},
      {"DescriptionCarriageReturnsAlone", File::kFmc, content(cr_only(kFmc)),
       ""},
      {"DescriptionCarriageReturnsAloneMisspelt", File::kFmc,
       then(misspell("AttriFlag="), cr_only),
       fmc_error(6, "expected AttriFlag=")},
      {"DescriptionCarriageReturnsAndLineFeeds", File::kFmc,
       [](std::string text) {
         std::string crlf;
         for (const char c : text) crlf += c == '\n' ? "\r\n" : std::string{c};
         return crlf;
       },
       ""},
      {"DescriptionNulByte", File::kFmc,
       replace("green", std::string("gr\0n", 4)),
       fmc_error(3, "NUL byte in the file")},
      {"DescriptionImage", File::kFmc, content(kPng),
       fmc_error(3, "NUL byte in the file")},
      {"DescriptionInUtf16", File::kFmc, content(utf16(kFmc)),
       fmc_error(1, "NUL byte in the file")},
      {"DescriptionIsTestData", File::kFmc, content(kTst),
       fmc_error(1, "expected Attrinum=")},
  };
  // Every key misspelt, every number not one: the last attribute's keys.
  for (const char* key : {"Attrinum=", "Casenum="}) {
    cases.push_back({std::string("DescriptionMisspelt") + key, File::kFmc,
                     misspell(key),
                     fmc_error(1, std::string("expected ") + key)});
    cases.push_back(
        {std::string("DescriptionNotANumber") + key, File::kFmc, set(key, "x"),
         fmc_error(1, std::string("expected an integer after ") + key)});
  }
  for (const char* key : {"AttriFlag=", "AttriName=", "AttriType=",
                          "AttriPairNum=", "AttriValueP=", "AttriPriority="}) {
    cases.push_back({std::string("DescriptionMisspelt") + key, File::kFmc,
                     misspell(key),
                     fmc_error(6, std::string("expected ") + key)});
  }
  for (const char* key : {"AttriPairNum=", "AttriValueP=", "AttriPriority="}) {
    cases.push_back(
        {std::string("DescriptionNotANumber") + key, File::kFmc, set(key, "x"),
         fmc_error(6, std::string("expected an integer after ") + key)});
  }
  return cases;
}

std::vector<BadInput> rule_cases() {
  const auto eof = [](int line, const std::string& what) {
    return intr_error(line, "unexpected end of file, expected " + what);
  };
  std::vector<BadInput> cases = {
      {"RulesEmpty", File::kIntr, first_lines(0),
       header_error(1, "unexpected end of file, expected Concept_num=")},
      {"RulesCutAfterLine1", File::kIntr, first_lines(1), eof(1, "Concept=")},
      {"RulesCutAfterLine2", File::kIntr, first_lines(2),
       eof(2, "num_of_pairs=")},
      {"RulesCutAfterLine3", File::kIntr, first_lines(3), eof(3, "attrino=")},
      {"RulesCutAfterLine4", File::kIntr, first_lines(4), eof(4, "Concept=")},
      {"RulesCutAfterLine5", File::kIntr, first_lines(5),
       eof(5, "num_of_pairs=")},
      {"RulesCutAfterLine6", File::kIntr, first_lines(6), eof(6, "attrino=")},
      {"RulesCutAfterLine7", File::kIntr, first_lines(7), eof(7, "attrino=")},
      {"RulesCutInTheHeader", File::kIntr,
       then(first_lines(1), replace("Rule_qualityno=1\n", "Rule_qual")),
       header_error(1, "expected Rule_qualityno=")},
      {"RulesConceptsNegative", File::kIntr, set("Concept_num=", "-1"),
       header_error(1, "Concept_num must not be negative")},
      {"RulesConceptsMax", File::kIntr, set("Concept_num=", kMax),
       eof(8, "Concept=")},
      {"RulesConceptsAboveMax", File::kIntr, set("Concept_num=", kAboveMax),
       header_error(1, "integer out of range after Concept_num=")},
      {"RulesTotalNegative", File::kIntr, set("Total_rulenum=", "-1"),
       header_error(1, "Total_rulenum must not be negative")},
      {"RulesTotalMax", File::kIntr, set("Total_rulenum=", kMax), ""},
      {"RulesRulesNegative", File::kIntr, set("rulenum=", "-1"),
       intr_error(5, "rulenum must not be negative")},
      {"RulesRulesMax", File::kIntr, set("rulenum=", kMax),
       eof(8, "num_of_pairs=")},
      {"RulesRulesAboveMax", File::kIntr, set("rulenum=", kAboveMax),
       intr_error(5, "integer out of range after rulenum=")},
      {"RulesPairsNegative", File::kIntr, set("num_of_pairs=", "-1"),
       intr_error(6, "num_of_pairs must not be negative")},
      {"RulesPairsMax", File::kIntr, set("num_of_pairs=", kMax),
       eof(8, "attrino=")},
      {"RulesPairsAboveMax", File::kIntr, set("num_of_pairs=", kAboveMax),
       intr_error(6, "integer out of range after num_of_pairs=")},
      {"RulesAndPairsNegative", File::kIntr, set("and_pair_num=", "-1"),
       intr_error(6, "and_pair_num must not be negative")},
      {"RulesPositivesNegative", File::kIntr, set("posnum=", "-1"),
       intr_error(6, "posnum must not be negative")},
      {"RulesPositivesMax", File::kIntr, set("posnum=", kMax), ""},
      {"RulesNegativesNegative", File::kIntr, set("negnum=", "-1"),
       intr_error(6, "negnum must not be negative")},
      {"RulesNegativesMax", File::kIntr, set("negnum=", kMax), ""},
      {"RulesOrGroupMax", File::kIntr, set("orflag=", kMax),
       intr_error(8,
                  "OR group of 2147483647 pairs runs past the 2 pairs of "
                  "its rule")},
      {"RulesQualityNotFinite", File::kIntr, set("rule_quality=", "1e40"),
       intr_error(6, "rule_quality is not a finite number")},
      {"RulesByteOrderMark", File::kIntr, content(kBom + kIntr), ""},
      {"RulesCarriageReturnsAlone", File::kIntr, content(cr_only(kIntr)), ""},
      {"RulesCarriageReturnsAloneMisspelt", File::kIntr,
       then(misspell("orflag="), cr_only), intr_error(8, "expected orflag=")},
      {"RulesNulByte", File::kIntr, replace("0.5", std::string("0\0", 2)),
       header_error(6, "NUL byte in the file")},
      {"RulesImage", File::kIntr, content(kPng),
       header_error(3, "NUL byte in the file")},
      {"RulesIsDescription", File::kIntr, content(kFmc),
       header_error(1, "expected Concept_num=")},
  };
  struct Key {
    const char* key;
    int line;
    const char* number;  // what a number after it must be
  };
  const Key keys[] = {
      {"Concept_num=", 1, "an integer"},
      {"Total_rulenum=", 1, "an integer"},
      {"Majority_class=", 1, "an integer"},
      {"Rule_qualityno=", 1, "an integer"},
      {"Concept=", 5, "an integer"},
      {"rulenum=", 5, "an integer"},
      {"num_of_pairs=", 6, "an integer"},
      {"and_pair_num=", 6, "an integer"},
      {"rule_accuracy=", 6, "a number"},
      {"rule_quality=", 6, "a number"},
      {"posnum=", 6, "an integer"},
      {"negnum=", 6, "an integer"},
      {"attrino=", 8, "an integer"},
      {"parino=", 8, "an integer"},
      {"direction=", 8, "an integer"},
      {"orflag=", 8, "an integer"},
  };
  for (const Key& k : keys) {
    const auto error = k.line == 1 ? header_error : intr_error;
    cases.push_back({std::string("RulesMisspelt") + k.key, File::kIntr,
                     misspell(k.key),
                     error(k.line, std::string("expected ") + k.key)});
    cases.push_back({std::string("RulesNotANumber") + k.key, File::kIntr,
                     set(k.key, "x"),
                     error(k.line, std::string("expected ") + k.number +
                                       " after " + k.key)});
  }
  return cases;
}

std::vector<BadInput> test_data_cases() {
  return {
      {"TestDataNulByte", File::kTst,
       replace("red,15", std::string("red\0,15", 7)),
       tst_error(3, "NUL byte in the line")},
      {"TestDataEndingInNulBytes", File::kTst,
       [](std::string text) { return text + std::string(100, '\0'); },
       tst_error(5, "NUL byte in the line")},
      {"TestDataInUtf16", File::kTst, content(utf16(kTst)),
       tst_error(1, "NUL byte in the line")},
      {"TestDataCutInAValue", File::kTst,
       then(first_lines(2), replace("no\n", "n")),
       "\n String  of case 2 is over the limition" +
           tst_error(2, "\"n\" is not a value of attribute class")},
      {"TestDataQuestionMarkBeforeANumber", File::kTst, replace("15", "?15"),
       tst_error(3, "value \"?15\" of attribute size is not a number")},
      {"TestDataSignAlone", File::kTst, replace("12", "-"),
       tst_error(2, "value \"-\" of attribute size is not a number")},
      {"TestDataByteOrderMark", File::kTst, content(kBom + kTst), ""},
      {"TestDataCarriageReturnsAlone", File::kTst, content(cr_only(kTst)), ""},
      {"TestDataByteOrderMarkAndCarriageReturnsAlone", File::kTst,
       content(kBom + cr_only(kTst)), ""},
      // With a line feed in the file, a carriage return separates values.
      {"TestDataCarriageReturnInTheFirstLine", File::kTst,
       [](std::string text) { return text.replace(3, 1, "\r"); }, "", true},
      {"TestDataCarriageReturnsInLaterLines", File::kTst,
       replace_all("n,", "n\r"), "", true},
      {"TestDataCarriageReturnsInARow", File::kTst,
       replace("red,15,", "red\r\r\r15\r\r"), "", true},
      {"TestDataCarriageReturnsBeforeLineFeeds", File::kTst,
       replace_all("\n", "\r\n"), ""},
      {"TestDataCarriageReturnsInARowBeforeALineFeed", File::kTst,
       replace("no\n", "no\r\r\n"), "", true},
      {"TestDataCarriageReturnsEverywhere", File::kTst,
       then(replace_all("\n", "\r\n"), replace_all(",", "\t\r")), "", true},
  };
}

std::vector<BadInput> all_cases() {
  std::vector<BadInput> cases = description_cases();
  for (auto* more : {rule_cases, test_data_cases}) {
    for (BadInput& bad : more()) cases.push_back(std::move(bad));
  }
  return cases;
}

// The files a failure leaves: the intermediate files made before the stage
// that failed, never a result, coverage or summary file.
void expect_left_after_failure(File file, const Files& left) {
  std::vector<std::string> expected;
  if (file == File::kTst) expected = {"t.qzf"};
  if (file == File::kIntr) expected = {"t.fmc1", "t.qzf", "t.qzf1"};
  std::vector<std::string> names;
  for (const auto& [name, content] : left) names.push_back(name);
  EXPECT_EQ(expected, names);
}

// A result file with its test lines, up to " -> ", taken from tst: every
// line without its line feed and a carriage return before it.
std::string with_test_lines(const std::string& result, const std::string& tst) {
  std::string lines;
  std::size_t from = 0;
  std::size_t line_start = 0;
  while (line_start < tst.size()) {
    std::size_t end = tst.find('\n', line_start);
    std::string line = tst.substr(line_start, end - line_start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t arrow = result.find(" -> ", from);
    lines += line;
    from = result.find('\n', arrow) + 1;
    lines += result.substr(arrow, from - arrow);
    line_start = end + 1;
  }
  return lines + result.substr(from);
}

void PrintTo(const BadInput& bad, std::ostream* out) { *out << bad.name; }

class BadInputTest : public ::testing::TestWithParam<BadInput> {};

TEST_P(BadInputTest, EndsWithItsMessageOrReadsAsClean) {
  const BadInput& bad = GetParam();
  const auto spoilt = [&](File file, const std::string& text) {
    return file == bad.file ? bad.mutate(text) : text;
  };
  const Outcome outcome =
      run(spoilt(File::kFmc, kFmc), spoilt(File::kTst, kTst),
          spoilt(File::kIntr, kIntr));
  if (bad.expected.empty()) {
    const Outcome& clean = clean_run();
    ASSERT_EQ(0, clean.status);
    EXPECT_EQ(clean.status, outcome.status);
    EXPECT_EQ(clean.out, outcome.out);
    Files expected = clean.left;
    if (bad.result_copies_lines) {
      expected["t.result"] =
          with_test_lines(expected["t.result"], spoilt(File::kTst, kTst));
    }
    EXPECT_EQ(expected, outcome.left);
    return;
  }
  EXPECT_EQ(bad.expected, outcome.out);
  EXPECT_EQ(1, outcome.status);
  expect_left_after_failure(bad.file, outcome.left);
}

INSTANTIATE_TEST_SUITE_P(Catalogue, BadInputTest,
                         ::testing::ValuesIn(all_cases()),
                         [](const ::testing::TestParamInfo<BadInput>& info) {
                           std::string name;
                           for (const char c : info.param.name) {
                             if (std::isalnum(static_cast<unsigned char>(c)))
                               name += c;
                           }
                           return name;
                         });

// A test file cut after any line is still test data: fewer cases.
TEST(BadInput, TestDataCutAfterEveryLine) {
  for (int lines = 0; lines <= 4; ++lines) {
    const Outcome outcome = run(kFmc, first_lines(lines)(kTst), kIntr);
    EXPECT_EQ(0, outcome.status);
    EXPECT_NE(std::string::npos, outcome.out.find("Number of testing cases = " +
                                                  std::to_string(lines) + " "))
        << outcome.out;
  }
}

// The messages when a file cannot be read at all.
const std::map<std::string, std::string> kCannotOpen = {
    {"t.fmc", "\n Cannot open intermediate file: t.fmc...\n"},
    {"t.tst", "\n Cannot open test data file: t.tst...\n"},
    {"t.intr", "\n Cannot open internal rule file: t.intr !\n"},
};

// Runs with file replaced by what make leaves at its path.
void expect_cannot_open(const std::function<void(const fs::path&)>& make) {
  for (const auto& [file, message] : kCannotOpen) {
    TempDir temp;
    const Files inputs = {{"t.fmc", kFmc}, {"t.tst", kTst}, {"t.intr", kIntr}};
    for (const auto& [name, text] : inputs) {
      if (name != file) write_file(temp.path() / name, text);
    }
    make(temp.path() / file);
    const std::string command = "cd " + shell_quote(temp.path().string()) +
                                " && timeout 60 " +
                                shell_quote(RULEVAL_BINARY) + " t >out 2>&1";
    EXPECT_EQ(1, testing::run_shell(command)) << file;
    EXPECT_EQ(message, read_file(temp.path() / "out")) << file;
    for (const char* output : {"t.result", "t.tcover", "t.sum"}) {
      EXPECT_FALSE(fs::exists(temp.path() / output)) << file;
    }
  }
}

TEST(BadInput, DirectoryInPlaceOfAFile) {
  expect_cannot_open([](const fs::path& path) { fs::create_directory(path); });
}

// Neither shown as a read failure nor taken for a failure to write: the
// path and the system's reason.
TEST(BadInput, IntermediateFileCannotBeCreated) {
  TempDir temp;
  write_file(temp.path() / "t.fmc", kFmc);
  write_file(temp.path() / "t.tst", kTst);
  write_file(temp.path() / "t.intr", kIntr);
  fs::create_directory(temp.path() / "t.qzf");
  const std::string command = "cd " + shell_quote(temp.path().string()) +
                              " && timeout 60 " + shell_quote(RULEVAL_BINARY) +
                              " t >out 2>&1";
  EXPECT_EQ(1, testing::run_shell(command));
  EXPECT_EQ(
      "\nFailed to create .qzf file...\nCannot create file: t.qzf (Is a "
      "directory)\n",
      read_file(temp.path() / "out"));
}

TEST(BadInput, FileWithoutReadPermission) {
  if (geteuid() == 0) GTEST_SKIP() << "read permission does not bind root";
  expect_cannot_open([](const fs::path& path) {
    write_file(path, "Attrinum=1");
    fs::permissions(path, fs::perms::none);
  });
}

}  // namespace
}  // namespace ruleval
