// The command line: the options and the base name, read into a command, or
// refused with the message that says what is wrong with it.
#pragma once

#include <optional>
#include <string>

#include "common/status.h"
#include "evaluate/result_requests.h"

namespace ruleval {

// What a command line asks for.
struct Command {
  enum class Action { kRun, kHelp, kVersion };
  Action action = Action::kRun;
  // The one argument that is no option, when there is one.
  std::optional<std::string> base_name;
  ResultRequests results;
  bool quiet = false;
  std::string output_dir;
};

// Reads argv[1] to argv[argc - 1]. Options may stand before or after the
// base name, as "--name VALUE" or "--name=VALUE"; "--" ends them, and every
// argument after it is a base name. A value must not be empty, and a value
// given apart must not start with "--" (so "--json --quiet" lacks one);
// "--json=--quiet" names that file. --help and --version take effect where
// they stand and end the reading. Any other argument that starts with "-"
// and is not "-" itself is an option. A failure's message is the one line
// that names what is wrong; the caller prints the usage after it.
Status parse_command_line(int argc, const char* const* argv, Command* command);

// The synopsis and one line per option, printed after a bad command line.
std::string usage_text();
// The synopsis, what a run does, and the options: what --help prints.
std::string help_text();

}  // namespace ruleval
