#include "evaluate/results.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iterator>
#include <map>
#include <string_view>

#include "common/input_file.h"
#include "common/messages.h"
#include "common/parallel.h"
#include "common/replaced_file.h"
#include "evaluate/case_explanation.h"
#include "evaluate/predictions_csv.h"
#include "evaluate/result_tally.h"
#include "evaluate/results_html.h"
#include "evaluate/results_json.h"

namespace ruleval {
namespace {

using Writer =
    std::function<void(const std::function<void(std::string_view)>&)>;

Status cannot_write(const std::string& path, const ReplacedFile& file) {
  return Status::Fatal(
      render<Message::kCannotWriteResults>(path, file.reason()));
}

// Hands what writer writes to path: to out for "-", otherwise to file,
// which is closed but takes the name only when committed.
Status write_to(const std::string& path, std::FILE* out, ReplacedFile* file,
                const Writer& writer) {
  if (path == "-") {
    writer([out](std::string_view text) {
      std::fwrite(text.data(), 1, text.size(), out);
    });
    std::fflush(out);
    return Status::Ok();
  }
  if (file->open(path)) {
    writer([file](std::string_view text) { file->write(text); });
    if (file->close()) return Status::Ok();
  }
  return cannot_write(path, *file);
}

// The lines of the test data with the given numbers (from 1), without
// their line ends.
Status read_test_lines(const std::string& path, const std::vector<int>& numbers,
                       std::map<int, std::string>* lines) {
  InputFile test_data;
  if (!test_data.open(path))
    return Status::Fatal(render<Message::kCannotOpenTestData>(path));
  const int last = *std::max_element(numbers.begin(), numbers.end());
  std::string_view line;
  for (int n = 1; n <= last; ++n) {
    if (!test_data.next_line(&line)) {
      if (test_data.failed()) return read_failure(path);
      return Status::Fatal(render<Message::kTestDataChanged>(path));
    }
    // A carriage return that ends the line belongs to its line end.
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (std::find(numbers.begin(), numbers.end(), n) != numbers.end())
      (*lines)[n] = std::string(line);
  }
  return Status::Ok();
}

Status explain_cases(const std::vector<int>& numbers, const RunNames& names,
                     const RunFindings& findings, std::FILE* explanations) {
  if (numbers.empty()) return Status::Ok();
  std::map<int, std::string> lines;
  const Status status = read_test_lines(names.test_data, numbers, &lines);
  if (!status.ok()) return status;
  for (const int n : numbers) {
    const auto c = static_cast<std::size_t>(n - 1);
    const CaseExplanation explanation =
        explain_case(findings.table, findings.rules, findings.cases, c);
    std::fputs(explanation_text(findings.table, findings.rules, findings.cases,
                                c, lines[n], explanation)
                   .c_str(),
               explanations);
  }
  std::fflush(explanations);
  return Status::Ok();
}

bool in_file(const std::string& path) { return !path.empty() && path != "-"; }

// The path made absolute, its links and dot-dots resolved as far as it
// exists; empty when that fails.
std::filesystem::path resolved(const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) return {};
  std::filesystem::path result =
      std::filesystem::weakly_canonical(absolute, error);
  return error ? std::filesystem::path() : result;
}

// Whether the paths name one file, existing or not.
bool same_file(const std::string& a, const std::string& b) {
  std::error_code error;
  if (std::filesystem::equivalent(a, b, error)) return true;
  const std::filesystem::path first = resolved(a);
  return !first.empty() && first == resolved(b);
}

}  // namespace

bool needs_match_details(const ResultRequests& requests) {
  return !requests.json_path.empty() || !requests.predictions_path.empty() ||
         !requests.html_path.empty();
}

Status check_result_requests(const ResultRequests& requests,
                             std::size_t num_cases,
                             const std::vector<std::string>& run_files) {
  for (const int n : requests.explain_cases) {
    if (n < 1 || static_cast<std::size_t>(n) > num_cases) {
      return Status::Fatal(render<Message::kExplainedCaseBeyondTestData>(
          n, static_cast<int>(num_cases)));
    }
  }
  const struct {
    const std::string& path;
    const char* what;
  } results[] = {{requests.json_path, "the JSON document"},
                 {requests.predictions_path, "the predictions"},
                 {requests.html_path, "the HTML page"}};
  for (std::size_t k = 0; k < std::size(results); ++k) {
    const std::string& path = results[k].path;
    if (!in_file(path)) continue;
    for (const std::string& file : run_files) {
      if (same_file(path, file)) {
        return Status::Fatal(render<Message::kCannotWriteResults>(
            path, "it is a file of the run itself"));
      }
    }
    for (std::size_t later = k + 1; later < std::size(results); ++later) {
      if (in_file(results[later].path) &&
          same_file(path, results[later].path)) {
        return Status::Fatal(render<Message::kCannotWriteResults>(
            path,
            std::string("it is named for ") + results[later].what + " too"));
      }
    }
  }
  return Status::Ok();
}

ResultsWriter::ResultsWriter(const ResultRequests& requests,
                             const RunNames& names, const RunFindings& findings,
                             std::FILE* out)
    : requests_(requests), names_(names), findings_(findings), out_(out) {}

ResultsWriter::~ResultsWriter() {
  if (thread_.joinable()) thread_.join();
}

Status ResultsWriter::write_predictions(std::size_t workers) {
  return write_to(requests_.predictions_path, out_, &predictions_file_,
                  [&](const auto& sink) {
                    ruleval::write_predictions(findings_, workers, sink);
                  });
}

const ResultTally& ResultsWriter::tally() {
  if (!tally_) {
    const int classes = number_of_classes(findings_.table.attributes.back());
    tally_.emplace(tally_results(findings_.cases, findings_.given,
                                 findings_.details, findings_.rules, classes));
  }
  return *tally_;
}

Status ResultsWriter::write_document() {
  return write_to(
      requests_.json_path, out_, &document_file_, [&](const auto& sink) {
        sink(json_text(results_document(names_, findings_, tally())));
      });
}

Status ResultsWriter::write_page() {
  return write_to(requests_.html_path, out_, &page_file_,
                  [&](const auto& sink) {
                    sink(results_page(names_, findings_, tally()));
                  });
}

// The results that go to files; those for out wait for the report.
Status ResultsWriter::write_files() {
  if (in_file(requests_.predictions_path)) {
    const Status status = write_predictions(1);
    if (!status.ok()) return status;
  }
  if (in_file(requests_.json_path)) {
    const Status status = write_document();
    if (!status.ok()) return status;
  }
  if (in_file(requests_.html_path)) return write_page();
  return Status::Ok();
}

void ResultsWriter::start() {
  if (!in_file(requests_.predictions_path) && !in_file(requests_.json_path) &&
      !in_file(requests_.html_path))
    return;
  // One core goes on with the reports; this thread takes another.
  thread_ = std::thread([this] {
    try {
      files_status_ = write_files();
    } catch (...) {
      files_error_ = std::current_exception();
    }
  });
}

Status ResultsWriter::finish(std::FILE* explanations) {
  if (thread_.joinable()) {
    thread_.join();
  } else {
    files_status_ = write_files();
  }
  if (files_error_) std::rethrow_exception(files_error_);
  if (!files_status_.ok()) return files_status_;
  // The files take their names only now, the reports being complete: a
  // run that fails leaves none of them.
  if (in_file(requests_.predictions_path) && !predictions_file_.commit())
    return cannot_write(requests_.predictions_path, predictions_file_);
  if (in_file(requests_.json_path) && !document_file_.commit())
    return cannot_write(requests_.json_path, document_file_);
  if (in_file(requests_.html_path) && !page_file_.commit())
    return cannot_write(requests_.html_path, page_file_);
  Status status = Status::Ok();
  if (requests_.predictions_path == "-") {
    status = write_predictions(worker_count(findings_.cases.num_cases()));
  } else if (requests_.json_path == "-") {
    status = write_document();
  } else if (requests_.html_path == "-") {
    status = write_page();
  }
  if (!status.ok()) return status;
  return explain_cases(requests_.explain_cases, names_, findings_,
                       explanations);
}

}  // namespace ruleval
