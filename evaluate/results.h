// The results a run writes only when asked (evaluate/result_requests.h):
// the whole evaluation as a JSON document, one CSV row per test case, and
// how chosen test cases were classified.
#pragma once

#include <cstddef>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/attribute_table.h"
#include "common/case_buffer.h"
#include "common/replaced_file.h"
#include "common/status.h"
#include "evaluate/classifier.h"
#include "evaluate/result_requests.h"
#include "evaluate/result_tally.h"
#include "rules/rule_store.h"

namespace ruleval {

// The run as the driver names it.
struct RunNames {
  std::string version;      // of the program
  std::string description;  // the paths of B.fmc, B.tst and B.intr
  std::string test_data;
  std::string rules;
  std::string coverage;  // B.tcover, which lists every rule
  // When the run started, as UTC in ISO 8601 ("2026-01-31T12:00:00Z");
  // empty when no HTML page is asked for.
  std::string date;
};

// What the stages found, as the results read it.
struct RunFindings {
  const AttributeTable& table;  // the selected one
  const CaseBuffer& cases;
  const RuleStore& rules;  // with the coverage of every rule
  const Classifications& given;
  const MatchDetails& details;
};

// Whether the requests need the matcher to keep its details.
bool needs_match_details(const ResultRequests& requests);

// Fails when a case to explain lies beyond the num_cases test cases, or
// when the JSON document, the predictions or the HTML page would take the
// place of one of run_files (the files the run reads and writes) or of each
// other.
Status check_result_requests(const ResultRequests& requests,
                             std::size_t num_cases,
                             const std::vector<std::string>& run_files);

// Writes the results asked for: the predictions CSV, the JSON document and
// the HTML page, each to its file, whole or not at all, or on out for "-", and
// the explanations. What goes to files is made from start() on, on a thread of
// its own, while the run writes its reports, and takes its name in finish()
// once they are done; the rest is written then too.
class ResultsWriter {
 public:
  // names and findings must outlive the writer.
  ResultsWriter(const ResultRequests& requests, const RunNames& names,
                const RunFindings& findings, std::FILE* out);
  ResultsWriter(const ResultsWriter&) = delete;
  ResultsWriter& operator=(const ResultsWriter&) = delete;
  // Waits for the thread; a file it did not finish is removed.
  ~ResultsWriter();

  void start();
  // Writes the rest, the explanations on explanations, once the files are
  // done; the first failure.
  Status finish(std::FILE* explanations);

 private:
  Status write_predictions(std::size_t workers);
  Status write_document();
  Status write_page();
  Status write_files();
  // The counts of the results, made once for the document and the page.
  const ResultTally& tally();

  const ResultRequests& requests_;
  const RunNames& names_;
  const RunFindings& findings_;
  std::FILE* out_;
  // The files written, kept apart from their names until the run is done;
  // dropped unnamed when it fails.
  ReplacedFile predictions_file_;
  ReplacedFile document_file_;
  ReplacedFile page_file_;
  std::optional<ResultTally> tally_;
  std::thread thread_;
  // How writing the files ended: its status, or what it threw.
  Status files_status_ = Status::Ok();
  std::exception_ptr files_error_;
};

}  // namespace ruleval
