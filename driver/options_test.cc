#include "driver/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ruleval {
namespace {

// The command a line asks for, in one line: base|json|predictions|explain
// cases|q when quiet|output directory; or the message of a bad line.
std::string parse(std::vector<const char*> args) {
  args.insert(args.begin(), "ruleval");
  Command c;
  const Status status =
      parse_command_line(static_cast<int>(args.size()), args.data(), &c);
  if (!status.ok()) return status.message();
  std::string explain;
  for (int n : c.results.explain_cases) explain += std::to_string(n) + ",";
  const char* action[] = {"", "help ", "version "};
  return action[static_cast<int>(c.action)] + c.base_name.value_or("?") + "|" +
         c.results.json_path + "|" + c.results.predictions_path + "|" +
         explain + "|" + (c.quiet ? "q" : "") + "|" + c.output_dir;
}

TEST(ParseCommandLine, ReadsOptionsBeforeAndAfterTheBaseName) {
  const struct {
    std::vector<const char*> args;
    const char* command;
  } cases[] = {
      {{"iris"}, "iris|||||"},
      {{"--json", "r.json", "iris", "--quiet"}, "iris|r.json|||q|"},
      {{"iris", "--json=-", "--predictions=p.csv", "--output-dir", "out"},
       "iris|-|p.csv|||out"},
      {{"--explain", "3", "iris", "--explain=1", "--explain", "3"},
       "iris|||3,1,3,||"},
      {{"--predictions", "-", "--", "--odd"}, "--odd||-|||"},
      {{"--json=--x", "-", "--json", "y"}, "-|y||||"},
      {{"--quiet"}, "?||||q|"},
      {{"iris", "--help", "--jsn"}, "help iris|||||"},
      {{"--version", "a", "b"}, "version ?|||||"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.command, parse(c.args));
}

TEST(ParseCommandLine, BadLinesNameWhatIsWrong) {
  const struct {
    std::vector<const char*> args;
    std::string message;
  } cases[] = {
      {{"iris", "--jsn", "x"}, "unknown option '--jsn'"},
      {{"--jsn=x", "iris"}, "unknown option '--jsn'"},
      {{"-q", "iris"}, "unknown option '-q'"},
      {{"iris", "--json"}, "option '--json' needs a value"},
      {{"iris", "--json="}, "option '--json' needs a value"},
      {{"--output-dir", "--quiet", "iris"},
       "option '--output-dir' needs a value"},
      {{"iris", "--quiet=yes"}, "option '--quiet' takes no value"},
      {{"iris", "other"}, "unexpected second base name 'other'"},
      {{"", "other"}, "unexpected second base name 'other'"},
      {{"--json", "-", "iris", "--predictions", "-"},
       "--json and --predictions cannot both write to standard output"},
      {{"--html=-", "iris", "--json", "-"},
       "--html and --json cannot both write to standard output"},
  };
  for (const auto& c : cases)
    EXPECT_EQ("ruleval: " + c.message + "\n", parse(c.args));
  for (const char* n : {"0", "x", "-3", "2x", "99999999999"}) {
    EXPECT_EQ(std::string("ruleval: option '--explain' needs a test case "
                          "number from 1, not '") +
                  n + "'\n",
              parse({"iris", "--explain", n}));
  }
}

}  // namespace
}  // namespace ruleval
