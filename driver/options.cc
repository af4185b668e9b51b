#include "driver/options.h"

#include <charconv>
#include <optional>
#include <string_view>
#include <system_error>

#include "common/messages.h"

namespace ruleval {
namespace {

constexpr const char* kSynopsis = "Usage: ruleval [OPTIONS] B\n";

constexpr const char* kOptionLines =
    "Options:\n"
    "  --json FILE         write the whole evaluation as one JSON document to "
    "FILE\n"
    "  --predictions FILE  write one CSV row per test case to FILE\n"
    "  --html FILE         write a report to look at as one HTML page to FILE\n"
    "  --explain N         after the report, show how test case N was "
    "classified\n"
    "  --output-dir DIR    write every file of the run into DIR, not beside B\n"
    "  --quiet             print no report on standard output\n"
    "  -h, --help          print this help\n"
    "  --version           print the version\n"
    "FILE - is standard output, which then carries no report (explanations go\n"
    "to standard error). N counts from 1; --explain may be given more than "
    "once.\n";

constexpr const char* kDescription =
    "Evaluates the rule set B.intr on the test cases of B.tst, described by\n"
    "B.fmc, writes B.result, B.tcover and B.sum and prints the testing "
    "report;\n"
    "iris, iris.tst and iris.fmc name the same run. Options may stand before\n"
    "or after B.\n";

enum class OptionId {
  kJson,
  kPredictions,
  kHtml,
  kExplain,
  kOutputDir,
  kQuiet,
  kHelp,
  kVersion
};

struct KnownOption {
  std::string_view name;
  OptionId id;
  bool takes_value;
};

constexpr KnownOption kOptions[] = {
    {"--json", OptionId::kJson, true},
    {"--predictions", OptionId::kPredictions, true},
    {"--html", OptionId::kHtml, true},
    {"--explain", OptionId::kExplain, true},
    {"--output-dir", OptionId::kOutputDir, true},
    {"--quiet", OptionId::kQuiet, false},
    {"--help", OptionId::kHelp, false},
    {"-h", OptionId::kHelp, false},
    {"--version", OptionId::kVersion, false},
};

const KnownOption* find_option(std::string_view name) {
  for (const KnownOption& option : kOptions) {
    if (option.name == name) return &option;
  }
  return nullptr;
}

bool is_option(std::string_view argument) {
  return argument.size() > 1 && argument.front() == '-';
}

// A test case number: decimal digits only, from 1 to the largest int.
std::optional<int> case_number(std::string_view text) {
  int number = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, number);
  if (error != std::errc() || stop != end || number < 1) return std::nullopt;
  return number;
}

// Sets what option, with value, asks for.
Status apply(const KnownOption& option, std::string_view value,
             Command* command) {
  switch (option.id) {
    case OptionId::kJson:
      command->results.json_path = value;
      break;
    case OptionId::kPredictions:
      command->results.predictions_path = value;
      break;
    case OptionId::kHtml:
      command->results.html_path = value;
      break;
    case OptionId::kExplain: {
      const std::optional<int> number = case_number(value);
      if (!number) {
        return Status::Fatal(render<Message::kBadCaseNumber>(
            std::string(option.name), std::string(value)));
      }
      command->results.explain_cases.push_back(*number);
      break;
    }
    case OptionId::kOutputDir:
      command->output_dir = value;
      break;
    case OptionId::kQuiet:
      command->quiet = true;
      break;
    case OptionId::kHelp:
      command->action = Command::Action::kHelp;
      break;
    case OptionId::kVersion:
      command->action = Command::Action::kVersion;
      break;
  }
  return Status::Ok();
}

// Reads the option at argv[*at], and its value, which may be the next
// argument; *at is left at the last argument read.
Status read_option(int argc, const char* const* argv, int* at,
                   Command* command) {
  const std::string_view argument = argv[*at];
  const std::size_t equals = argument.find('=');
  const std::string name(argument.substr(0, equals));
  const KnownOption* option = find_option(name);
  if (option == nullptr) {
    return Status::Fatal(render<Message::kUnknownOption>(name));
  }
  std::string_view value;
  if (equals != std::string_view::npos) {
    if (!option->takes_value) {
      return Status::Fatal(render<Message::kOptionTakesNoValue>(name));
    }
    value = argument.substr(equals + 1);
  } else if (option->takes_value && *at + 1 < argc &&
             !std::string_view(argv[*at + 1]).starts_with("--")) {
    value = argv[++*at];
  }
  if (option->takes_value && value.empty()) {
    return Status::Fatal(render<Message::kOptionNeedsValue>(name));
  }
  return apply(*option, value, command);
}

// Fails when more than one result is to go to standard output.
Status check_standard_output(const ResultRequests& results) {
  if (results.json_path == "-" && results.predictions_path == "-") {
    return Status::Fatal(render<Message::kBothOnStandardOutput>());
  }
  if (results.html_path != "-") return Status::Ok();
  if (results.json_path == "-") {
    return Status::Fatal(
        render<Message::kPageAndOtherOnStandardOutput>(std::string("--json")));
  }
  if (results.predictions_path == "-") {
    return Status::Fatal(render<Message::kPageAndOtherOnStandardOutput>(
        std::string("--predictions")));
  }
  return Status::Ok();
}

}  // namespace

Status parse_command_line(int argc, const char* const* argv, Command* command) {
  *command = Command();
  bool options_ended = false;
  for (int at = 1; at < argc; ++at) {
    const std::string_view argument = argv[at];
    if (!options_ended && argument == "--") {
      options_ended = true;
    } else if (!options_ended && is_option(argument)) {
      Status status = read_option(argc, argv, &at, command);
      if (!status.ok()) return status;
      if (command->action != Command::Action::kRun) return Status::Ok();
    } else if (command->base_name) {
      return Status::Fatal(
          render<Message::kSecondBaseName>(std::string(argument)));
    } else {
      command->base_name = argument;
    }
  }
  return check_standard_output(command->results);
}

std::string usage_text() { return std::string(kSynopsis) + kOptionLines; }

std::string help_text() {
  return std::string(kSynopsis) + kDescription + "\n" + kOptionLines;
}

}  // namespace ruleval
