// Fuzz target: a whole run of the program, in process, on the three files
// of one input (description, test data and rule file, separated by the
// separator line), laid in a private directory that goes with the input.
// The run writes the HTML page too: there when the run completes, valid
// UTF-8 whatever the inputs hold, and absent when it fails.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "driver/run.h"
#include "evaluate/html_text.h"
#include "fuzz/fuzz_support.h"
#include "tests/test_util.h"

namespace ruleval::fuzz {
namespace {

namespace fs = std::filesystem;

// Runs the program on base; returns its exit status and what it printed.
int run_program(const std::string& base, std::string* printed) {
  char* buffer = nullptr;
  std::size_t length = 0;
  std::FILE* out = open_memstream(&buffer, &length);
  if (out == nullptr) finding("cannot open a memory stream");
  const std::string page = base + ".html";
  const char* const argv[] = {"ruleval", base.c_str(), "--html", page.c_str()};
  RunOptions options;
  options.warnings = out;  // with the rest, not in the fuzzer's log
  const int status = run_command_line(4, argv, out, options);
  std::fclose(out);
  printed->assign(buffer, length);
  std::free(buffer);
  return status;
}

void check_outcome(int status, const std::string& base,
                   const std::string& printed) {
  const auto exists = [&](const char* extension) {
    return fs::exists(base + "." + extension);
  };
  if (status == 1) {
    if (printed.empty()) finding("a failure without a message");
    if (exists("html")) finding("a failed run left its HTML page");
    return;
  }
  if (status != 0) finding("exit status " + std::to_string(status));
  if (!exists("result") || !exists("tcover") || !exists("sum") ||
      !exists("html")) {
    finding("a completed run without its outputs");
  }
  const std::string page = testing::read_file(base + ".html");
  if (valid_text(page) != page) finding("an HTML page that is not UTF-8");
  if (exists("qzf") || exists("qzf1") || exists("fmc1")) {
    finding("a completed run left intermediate files");
  }
  if (printed.find("\nPrediction accuracy on the testing data = ") ==
      std::string::npos) {
    finding("a completed run without the accuracy line");
  }
}

void run(const std::uint8_t* data, std::size_t size) {
  const auto parts = split_input(data, size, 3);
  if (parts.size() != 3) return;
  const testing::TempDir dir;
  const std::string base = dir.file("r");
  testing::write_file(base + ".fmc", std::string(parts[0]));
  testing::write_file(base + ".tst", std::string(parts[1]));
  testing::write_file(base + ".intr", std::string(parts[2]));
  std::string printed;
  const int status = run_program(base, &printed);
  check_outcome(status, base, printed);
}

}  // namespace
}  // namespace ruleval::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  ruleval::fuzz::run(data, size);
  return 0;
}
