#include "driver/run.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "common/console.h"
#include "common/input_file.h"
#include "common/messages.h"
#include "driver/file_names.h"
#include "driver/intermediate_files.h"
#include "driver/options.h"
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

int fail(const std::string& message, std::FILE* out) {
  std::fputs(message.c_str(), out);
  std::fflush(out);
  return 1;
}

// Encodes the test data, keeping the attributes of plan. A warning is
// printed whether or not encoding succeeds.
Status encode_cases(const RunFiles& files, const AttributeTable& table,
                    const SelectionPlan& plan, const Console& console,
                    IntermediateFiles* intermediate, CaseBuffer* cases) {
  // B.qzf is checked once B.tst opens: a B.tst that does not is said first.
  if (InputFile test_data; test_data.open(files.test_data)) {
    const Status status = intermediate->check_codes_file();
    if (!status.ok()) return status;
    intermediate->codes_begun(table);
  }
  std::string warning;
  const Status status =
      encode_test_cases(files.test_data, intermediate->codes_path(), table,
                        plan.kept_rows(), cases, &warning);
  console.warn(warning);
  return status;
}

// Every file the run reads or writes.
std::vector<std::string> run_file_paths(const RunFiles& files) {
  return {files.description,
          files.test_data,
          files.rules,
          files.test_codes,
          files.selected_description,
          files.ordered_cases,
          files.result,
          files.coverage,
          files.summary};
}

// When the run started, as UTC in ISO 8601: the time SOURCE_DATE_EPOCH
// holds (seconds since 1970) when it is set to a number, so that a run may
// be repeated to the byte; the clock's otherwise.
std::string run_date() {
  std::time_t now = std::time(nullptr);
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) {
    long long seconds = 0;
    const char* end = epoch + std::strlen(epoch);
    const auto [stop, error] = std::from_chars(epoch, end, seconds);
    if (error == std::errc() && stop == end && *epoch != '\0' && seconds >= 0)
      now = static_cast<std::time_t>(seconds);
  }
  std::tm utc{};
  char text[32] = "";
  if (gmtime_r(&now, &utc) != nullptr)
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

// The date only where it is shown: on the HTML page.
RunNames run_names(const RunFiles& files, const ResultRequests& results) {
  return {RULEVAL_VERSION, files.description,
          files.test_data, files.rules,
          files.coverage,  results.html_path.empty() ? "" : run_date()};
}

// The stages that read the inputs: the attributes, the test cases (in
// selected order from then on) and the rules. The requests for results are
// checked once the cases are counted.
Status read_inputs(RunContext* context, const Console& console,
                   const RunOptions& options, IntermediateFiles* intermediate) {
  StageClock* const clock = options.stage_clock;
  const RunFiles& files = context->files;
  AttributeTable& table = context->table;
  CaseBuffer& cases = context->cases;
  int declared_cases = 0;  // the description's Casenum, which nothing needs
  Status status =
      read_attribute_file(files.description, &table, &declared_cases);
  if (!status.ok()) return status;
  mark_stage(clock, "attribute description");
  // A plan that fails ends the run at the selection, after encoding.
  const SelectionPlan plan = plan_selection(&table.attributes);
  status = encode_cases(files, table, plan, console, intermediate, &cases);
  if (!status.ok()) return status;
  mark_stage(clock, "test data encoded");
  status = check_result_requests(options.results, cases.num_cases(),
                                 run_file_paths(files));
  if (!status.ok()) return status;
  status = intermediate->select(plan, cases, &table);
  if (!status.ok()) return status;
  status = check_class_codes(table.attributes, cases);
  if (!status.ok()) return status;
  mark_stage(clock, "attributes selected");
  status =
      read_rule_file(files.rules, table, console.report(), &context->rules);
  mark_stage(clock, "rules read");
  return status;
}

// The stages that match the rules and write what they found: the reports,
// and beside them the results asked for, which go to their files or to the
// real standard output.
Status evaluate(RunContext* context, const Console& console,
                const RunStreams& streams, const RunOptions& options) {
  const RunFiles& files = context->files;
  const AttributeTable& table = context->table;
  const CaseBuffer& cases = context->cases;
  Classifications given;
  MatchDetails details;
  Status status =
      match_rules(table, cases, options.match_method, &context->rules, &given,
                  needs_match_details(options.results) ? &details : nullptr);
  if (!status.ok()) return status;
  StageClock* const clock = options.stage_clock;
  mark_stage(clock, "rules matched");
  const RunNames names = run_names(files, options.results);
  const RunFindings findings{table, cases, context->rules, given, details};
  ResultsWriter results_writer(options.results, names, findings, streams.out);
  results_writer.start();
  float accuracy = 0;
  status =
      evaluate_test_cases(files.test_data, files.result, table, cases, given,
                          &context->counters, console.report(), &accuracy);
  if (!status.ok()) return status;
  mark_stage(clock, "B.result and report written");
  status = write_coverage_report(files.coverage, files.summary, table,
                                 context->rules, context->counters, accuracy);
  if (!status.ok()) return status;
  mark_stage(clock, "B.tcover and B.sum written");
  status = results_writer.finish(streams.explanations);
  mark_stage(clock, "results finished");
  return status;
}

// The stages in data order, each handed what the ones before it made; the
// first failure ends the run.
Status run_stages(RunContext* context, const RunStreams& streams,
                  const RunOptions& options, IntermediateFiles* intermediate) {
  const Console console(streams.report, streams.warnings);
  const Status status = read_inputs(context, console, options, intermediate);
  if (!status.ok()) return status;
  return evaluate(context, console, streams, options);
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

bool out_carries_results(const ResultRequests& results) {
  return results.json_path == "-" || results.predictions_path == "-" ||
         results.html_path == "-";
}

// The streams of a run on out. discard, when the report is not to be
// printed, receives the stream it goes to instead.
Status choose_streams(std::FILE* out, const RunOptions& options,
                      FileHandle* discard, RunStreams* streams) {
  const bool out_taken = out_carries_results(options.results);
  *streams = {out, out, out_taken ? options.warnings : out, options.warnings};
  if (!options.quiet && !out_taken) return Status::Ok();
  discard->reset(std::fopen("/dev/null", "w"));
  if (*discard == nullptr) {
    return Status::Fatal(render<Message::kCannotWriteFile>("/dev/null"));
  }
  streams->report = discard->get();
  return Status::Ok();
}

}  // namespace

RunOutcome run_evaluation(RunContext* context, std::FILE* out,
                          const RunOptions& options) {
  FileHandle discard;
  RunStreams streams{};
  Status status = choose_streams(out, options, &discard, &streams);
  if (!status.ok()) return RunOutcome::failed(std::move(status));
  IntermediateFiles intermediate(context->files,
                                 options.keep_intermediate_files);
  try {
    status = run_stages(context, streams, options, &intermediate);
  } catch (...) {
    intermediate.write_after_failure(context->table, context->cases);
    throw;
  }
  if (!status.ok()) {
    intermediate.write_after_failure(context->table, context->cases);
    return RunOutcome::failed(std::move(status));
  }
  intermediate.remove_after_completion();
  return RunOutcome::completed();
}

namespace {

// A run on base_name, its failure printed on out.
int run_base_name(const std::string& base_name, std::FILE* out,
                  const RunOptions& options) {
  std::error_code error;
  if (!options.output_dir.empty() &&
      !std::filesystem::is_directory(options.output_dir, error)) {
    return fail(render<Message::kNoOutputDirectory>(options.output_dir), out);
  }
  try {
    RunContext context;
    context.files = name_run_files(base_name, options.output_dir);
    const RunOutcome outcome = run_evaluation(&context, out, options);
    if (!outcome.status.ok()) {
      return fail(outcome.status.message(), out);
    }
    return outcome.exit_status;
  } catch (const std::bad_alloc&) {
    return fail(render<Message::kOutOfMemory>(), out);
  } catch (const std::length_error&) {  // a size too large for a container
    return fail(render<Message::kOutOfMemory>(), out);
  } catch (const std::system_error& error) {  // a thread refused
    return fail(render<Message::kCannotStartThread>(error.what()), out);
  }
}

// The command line's outcome, everything printed on out.
int run_arguments(int argc, const char* const* argv, std::FILE* out,
                  const RunOptions& defaults) {
  Command command;
  const Status parsed = parse_command_line(argc, argv, &command);
  if (!parsed.ok()) return fail(parsed.message() + usage_text(), out);
  switch (command.action) {
    case Command::Action::kHelp:
      std::fputs(help_text().c_str(), out);
      return 0;
    case Command::Action::kVersion:
      std::fputs("ruleval " RULEVAL_VERSION "\n", out);
      return 0;
    case Command::Action::kRun:
      break;
  }
  if (!command.base_name || !has_file_name(*command.base_name)) {
    return fail(render<Message::kUsage>(), out);
  }
  RunOptions options = defaults;
  options.results = std::move(command.results);
  options.quiet = command.quiet;
  options.output_dir = std::move(command.output_dir);
  return run_base_name(*command.base_name, out, options);
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
