// The run driver: the command line and the fixed sequence of stages.
#pragma once

#include <cstdio>
#include <string>
#include <utility>

#include "common/status.h"
#include "driver/run_context.h"
#include "driver/stage_clock.h"
#include "evaluate/result_requests.h"
#include "evaluate/rule_matcher.h"

namespace ruleval {

struct RunOptions {
  // Writes B.qzf, B.fmc1 and B.qzf1 as the run goes and leaves them on disk
  // after a completed run.
  bool keep_intermediate_files = false;
  // How rules are matched against the cases; the results are the same.
  MatchMethod match_method = MatchMethod::kIndexed;
  // Where warnings go: what the run noticed but went on despite.
  std::FILE* warnings = stderr;
  // What the run writes besides its specified outputs: --json,
  // --predictions, --html and --explain.
  ResultRequests results;
  // --quiet: no report on standard output; messages still appear.
  bool quiet = false;
  // --output-dir: the directory every file of the run is written to; empty
  // for beside the inputs. The command line names the files by it.
  std::string output_dir;
  // When set, told where each stage of a run ends (the benchmark's
  // breakdown); the run itself is the same.
  StageClock* stage_clock = nullptr;
};

// Where one run prints, chosen from its options by run_evaluation.
struct RunStreams {
  // The real standard output, as handed to run_evaluation: the JSON
  // document, the predictions or the HTML page asked for with "-" go here,
  // and only here.
  std::FILE* out;
  // The text report (qualityno=N included): out, or a stream that discards
  // everything when the options ask for quiet or out carries a result.
  std::FILE* report;
  // The explanations of --explain: out, quiet or not; warnings when out
  // carries a result.
  std::FILE* explanations;
  // Warnings, from the options: standard error.
  std::FILE* warnings;
};

// How a run ended.
struct RunOutcome {
  // Ok when every stage completed; otherwise the failure that ended the
  // run, its message printed as it stands.
  Status status = Status::Ok();
  // What the process exits with: 0 after a completed run, 1 after a
  // failure.
  int exit_status = 0;

  static RunOutcome completed() { return {Status::Ok(), 0}; }
  static RunOutcome failed(Status status) { return {std::move(status), 1}; }
};

// Runs every stage on the files named by context->files. out is the real
// standard output; the report goes to it unless options ask for quiet or
// for the JSON or the predictions on "-" (see RunStreams). A completed run
// leaves no intermediate file; a failure leaves those of the stages before
// it for inspection (see IntermediateFiles).
RunOutcome run_evaluation(RunContext* context, std::FILE* out,
                          const RunOptions& options);

// The whole program: usage, help and version, or a run on the base name
// with the options of the command line, which take the place of those of
// options (results, quiet and output_dir). Prints everything, failures
// included, on out and returns the process exit status (1 on every
// failure).
int run_command_line(int argc, const char* const* argv, std::FILE* out,
                     const RunOptions& options = RunOptions());

}  // namespace ruleval
