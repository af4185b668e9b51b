#include "driver/run.h"

#include <new>
#include <stdexcept>
#include <string_view>

#include "common/console.h"
#include "driver/file_names.h"
#include "evaluate/coverage_report.h"
#include "evaluate/evaluation_report.h"
#include "evaluate/rule_matcher.h"
#include "prepare/attribute_file.h"
#include "prepare/attribute_selection.h"
#include "prepare/case_files.h"
#include "prepare/test_data_encoder.h"
#include "rules/rule_file.h"

#ifndef RULEVAL_VERSION
#define RULEVAL_VERSION "unknown"
#endif

namespace ruleval {
namespace {

constexpr const char* kUsage = "\n Usage: ruleval.exe filename\n";
constexpr const char* kDescription =
    "Evaluates the rule set filename.intr on the test cases of filename.tst,\n"
    "described by filename.fmc; iris, iris.tst and iris.fmc name the same "
    "run.\n";

constexpr const char* kOutOfMemory =
    "\nNot enough memory available to go on...\n";

int fail(const char* message, std::FILE* out) {
  std::fputs(message, out);
  std::fflush(out);
  return 1;
}

}  // namespace

namespace {

// Reads the attribute description and the test data into the case buffer.
Status prepare_cases(RunContext* context, const Console& console) {
  const RunFiles& files = context->files;
  int declared_cases = 0;  // the description's Casenum, which nothing needs
  Status status =
      read_attribute_file(files.description, &context->table, &declared_cases);
  if (!status.ok()) return status;
  const SelectionPlan plan = plan_selection(&context->table.attributes);
  std::string warning;
  int encoded_cases = 0;  // as many as the case buffer holds
  status = encode_test_cases(files.test_data, files.test_codes, context->table,
                             plan.kept_rows(), &context->cases, &encoded_cases,
                             &warning);
  console.warn(warning);
  if (status.ok()) {
    status = select_attributes(files.selected_description, files.ordered_cases,
                               plan, context->cases, &context->table);
  }
  if (!status.ok()) return status;
  return check_class_codes(context->table.attributes, context->cases);
}

// Reads the rules, finds the cases each covers, classifies every case and
// writes the reports.
Status evaluate_rules(RunContext* context, MatchMethod method, std::FILE* out) {
  const RunFiles& files = context->files;
  Status status =
      read_rule_file(files.rules, context->table, out, &context->rules);
  if (!status.ok()) return status;
  std::vector<Classification> given;
  status = match_rules(context->table, context->cases, method, &context->rules,
                       &given);
  float accuracy = 0;
  if (status.ok()) {
    status = evaluate_test_cases(files.test_data, files.result, context->table,
                                 context->cases, given, &context->counters, out,
                                 &accuracy);
  }
  if (!status.ok()) return status;
  return write_coverage_report(files.coverage, files.summary, context->table,
                               context->rules, context->counters, accuracy);
}

}  // namespace

RunOutcome run_evaluation(RunContext* context, std::FILE* out,
                          const RunOptions& options) {
  const Console console(out, options.warnings);
  Status status = prepare_cases(context, console);
  if (status.ok()) status = evaluate_rules(context, options.match_method, out);
  if (!status.ok()) return RunOutcome::failed(std::move(status));
  return RunOutcome::completed(options.keep_intermediate_files
                                   ? 0
                                   : delete_intermediate_files(context->files));
}

// The command line's outcome, everything printed on out.
static int run_arguments(int argc, const char* const* argv, std::FILE* out,
                         const RunOptions& options) {
  if (argc < 2 || !has_file_name(argv[1])) {
    std::fputs(kUsage, out);
    std::fflush(out);
    return 1;
  }
  const std::string_view argument = argv[1];
  if (argument == "--help" || argument == "-h") {
    std::fputs(kUsage, out);
    std::fputs(kDescription, out);
    return 0;
  }
  if (argument == "--version") {
    std::fputs("ruleval " RULEVAL_VERSION "\n", out);
    return 0;
  }
  try {
    RunContext context;
    context.files = name_run_files(argv[1]);
    const RunOutcome outcome = run_evaluation(&context, out, options);
    if (!outcome.status.ok()) {
      return fail(outcome.status.message().c_str(), out);
    }
    return outcome.exit_status;
  } catch (const std::bad_alloc&) {
    return fail(kOutOfMemory, out);
  } catch (const std::length_error&) {  // a size too large for a container
    return fail(kOutOfMemory, out);
  }
}

int run_command_line(int argc, const char* const* argv, std::FILE* out,
                     const RunOptions& options) {
  const int status = run_arguments(argc, argv, out, options);
  // A report that could not be printed is a failed run, said where it can
  // still be read.
  if (std::fflush(out) != 0 || std::ferror(out) != 0) {
    std::fputs("\nCannot write file: standard output ...\n", stderr);
    return 1;
  }
  return status;
}

}  // namespace ruleval
