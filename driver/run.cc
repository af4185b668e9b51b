#include "driver/run.h"

#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/console.h"
#include "common/messages.h"
#include "driver/file_names.h"
#include "evaluate/coverage_report.h"
#include "evaluate/evaluation_report.h"
#include "evaluate/results.h"
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

constexpr const char* kDescription =
    "Evaluates the rule set filename.intr on the test cases of filename.tst,\n"
    "described by filename.fmc; iris, iris.tst and iris.fmc name the same "
    "run.\n";

int fail(const std::string& message, std::FILE* out) {
  std::fputs(message.c_str(), out);
  std::fflush(out);
  return 1;
}

// Encodes the test data, keeping the attributes of plan. A warning is
// printed whether or not encoding succeeds.
Status encode_cases(const RunFiles& files, const AttributeTable& table,
                    const SelectionPlan& plan, const Console& console,
                    CaseBuffer* cases) {
  std::string warning;
  const Status status =
      encode_test_cases(files.test_data, files.test_codes, table,
                        plan.kept_rows(), cases, &warning);
  console.warn(warning);
  return status;
}

RunNames run_names(const RunFiles& files) {
  return {RULEVAL_VERSION, files.description, files.test_data, files.rules};
}

// The stages in data order, each handed what the ones before it made; the
// first failure ends the run. The results asked for go to their files, or
// to out.
Status run_stages(RunContext* context, const Console& console,
                  MatchMethod method, const ResultRequests& results,
                  std::FILE* out) {
  const RunFiles& files = context->files;
  AttributeTable& table = context->table;
  CaseBuffer& cases = context->cases;
  int declared_cases = 0;  // the description's Casenum, which nothing needs
  Status status =
      read_attribute_file(files.description, &table, &declared_cases);
  if (!status.ok()) return status;
  // A plan that fails ends the run in select_attributes, after encoding.
  const SelectionPlan plan = plan_selection(&table.attributes);
  status = encode_cases(files, table, plan, console, &cases);
  if (!status.ok()) return status;
  status = check_explained_cases(results, cases.num_cases());
  if (!status.ok()) return status;
  status = select_attributes(files.selected_description, files.ordered_cases,
                             plan, cases, &table);
  if (!status.ok()) return status;
  status = check_class_codes(table.attributes, cases);
  if (!status.ok()) return status;
  status =
      read_rule_file(files.rules, table, console.report(), &context->rules);
  if (!status.ok()) return status;
  std::vector<Classification> given;
  MatchDetails details;
  status = match_rules(table, cases, method, &context->rules, &given,
                       needs_match_details(results) ? &details : nullptr);
  if (!status.ok()) return status;
  const RunNames names = run_names(files);
  const RunFindings findings{table, cases, context->rules, given, details};
  ResultsWriter results_writer(results, names, findings, out);
  results_writer.start();
  float accuracy = 0;
  status =
      evaluate_test_cases(files.test_data, files.result, table, cases, given,
                          &context->counters, console.report(), &accuracy);
  if (!status.ok()) return status;
  status = write_coverage_report(files.coverage, files.summary, table,
                                 context->rules, context->counters, accuracy);
  if (!status.ok()) return status;
  return results_writer.finish(console.report());
}

}  // namespace

RunOutcome run_evaluation(RunContext* context, std::FILE* out,
                          const RunOptions& options) {
  Status status = run_stages(context, Console(out, options.warnings),
                             options.match_method, options.results, out);
  if (!status.ok()) return RunOutcome::failed(std::move(status));
  return RunOutcome::completed(options.keep_intermediate_files
                                   ? 0
                                   : delete_intermediate_files(context->files));
}

namespace {

// The command line's outcome, everything printed on out.
int run_arguments(int argc, const char* const* argv, std::FILE* out,
                  const RunOptions& options) {
  if (argc < 2 || !has_file_name(argv[1])) {
    std::fputs(render<Message::kUsage>().c_str(), out);
    std::fflush(out);
    return 1;
  }
  const std::string_view argument = argv[1];
  if (argument == "--help" || argument == "-h") {
    std::fputs(render<Message::kUsage>().c_str(), out);
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
      return fail(outcome.status.message(), out);
    }
    return outcome.exit_status;
  } catch (const std::bad_alloc&) {
    return fail(render<Message::kOutOfMemory>(), out);
  } catch (const std::length_error&) {  // a size too large for a container
    return fail(render<Message::kOutOfMemory>(), out);
  }
}

}  // namespace

int run_command_line(int argc, const char* const* argv, std::FILE* out,
                     const RunOptions& options) {
  const int status = run_arguments(argc, argv, out, options);
  // A report that could not be printed is a failed run, said where it can
  // still be read.
  if (std::fflush(out) != 0 || std::ferror(out) != 0) {
    std::fputs(render<Message::kCannotWriteFile>("standard output").c_str(),
               stderr);
    return 1;
  }
  return status;
}

}  // namespace ruleval
