#include "driver/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ruleval {
namespace {

Status parse(const std::vector<const char*>& args, Command* command) {
  std::vector<const char*> argv = {"ruleval"};
  argv.insert(argv.end(), args.begin(), args.end());
  return parse_command_line(static_cast<int>(argv.size()), argv.data(),
                            command);
}

TEST(ParseCommandLine, ReadsOptionsBeforeAndAfterTheBaseName) {
  const struct {
    std::vector<const char*> args;
    const char* base_name;
    ResultRequests results;
    bool quiet;
    const char* output_dir;
  } cases[] = {
      {{"iris"}, "iris", {}, false, ""},
      {{"--json", "r.json", "iris", "--quiet"},
       "iris",
       {"r.json", "", {}},
       true,
       ""},
      {{"iris", "--json=-", "--predictions=p.csv", "--output-dir", "out"},
       "iris",
       {"-", "p.csv", {}},
       false,
       "out"},
      {{"--explain", "3", "iris", "--explain=1", "--explain", "3"},
       "iris",
       {"", "", {3, 1, 3}},
       false,
       ""},
      {{"--predictions", "-", "--", "--odd"},
       "--odd",
       {"", "-", {}},
       false,
       ""},
      {{"--json=--x", "-"}, "-", {"--x", "", {}}, false, ""},
  };
  for (const auto& c : cases) {
    Command command;
    const Status status = parse(c.args, &command);
    ASSERT_TRUE(status.ok()) << c.args[0] << ": " << status.message();
    EXPECT_EQ(Command::Action::kRun, command.action) << c.args[0];
    EXPECT_EQ(c.base_name, command.base_name.value_or("?")) << c.args[0];
    EXPECT_EQ(c.results.json_path, command.results.json_path) << c.args[0];
    EXPECT_EQ(c.results.predictions_path, command.results.predictions_path);
    EXPECT_EQ(c.results.explain_cases, command.results.explain_cases);
    EXPECT_EQ(c.quiet, command.quiet) << c.args[0];
    EXPECT_EQ(c.output_dir, command.output_dir) << c.args[0];
  }
}

TEST(ParseCommandLine, HelpAndVersionEndTheReading) {
  Command command;
  ASSERT_TRUE(parse({"iris", "--help", "--jsn"}, &command).ok());
  EXPECT_EQ(Command::Action::kHelp, command.action);
  ASSERT_TRUE(parse({"--quiet", "--version", "a", "b"}, &command).ok());
  EXPECT_EQ(Command::Action::kVersion, command.action);
  ASSERT_TRUE(parse({"--quiet"}, &command).ok());
  EXPECT_FALSE(command.base_name.has_value());
}

TEST(ParseCommandLine, BadLinesNameWhatIsWrong) {
  const struct {
    std::vector<const char*> args;
    const char* message;
  } cases[] = {
      {{"iris", "--jsn", "x"}, "ruleval: unknown option '--jsn'\n"},
      {{"--jsn=x", "iris"}, "ruleval: unknown option '--jsn'\n"},
      {{"-q", "iris"}, "ruleval: unknown option '-q'\n"},
      {{"iris", "--json"}, "ruleval: option '--json' needs a value\n"},
      {{"iris", "--json="}, "ruleval: option '--json' needs a value\n"},
      {{"--output-dir", "--quiet", "iris"},
       "ruleval: option '--output-dir' needs a value\n"},
      {{"iris", "--quiet=yes"}, "ruleval: option '--quiet' takes no value\n"},
      {{"iris", "--explain", "0"},
       "ruleval: option '--explain' needs a test case number from 1, not "
       "'0'\n"},
      {{"iris", "--explain", "x"},
       "ruleval: option '--explain' needs a test case number from 1, not "
       "'x'\n"},
      {{"iris", "--explain", "-3"},
       "ruleval: option '--explain' needs a test case number from 1, not "
       "'-3'\n"},
      {{"iris", "--explain=2x"},
       "ruleval: option '--explain' needs a test case number from 1, not "
       "'2x'\n"},
      {{"iris", "--explain", "99999999999"},
       "ruleval: option '--explain' needs a test case number from 1, not "
       "'99999999999'\n"},
      {{"iris", "other"}, "ruleval: unexpected second base name 'other'\n"},
      {{"", "other"}, "ruleval: unexpected second base name 'other'\n"},
      {{"--json", "-", "iris", "--predictions", "-"},
       "ruleval: --json and --predictions cannot both write to standard "
       "output\n"},
  };
  for (const auto& c : cases) {
    Command command;
    const Status status = parse(c.args, &command);
    ASSERT_FALSE(status.ok()) << c.message;
    EXPECT_EQ(c.message, status.message());
  }
}

}  // namespace
}  // namespace ruleval
