// Writes a benchmark workload: generate WORKLOAD DIR [--cases N]
// [--rules N] [--seed S] makes DIR/WORKLOAD.fmc, .tst and .intr.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "bench/workload.h"

namespace {

constexpr const char* kUsage =
    "usage: ruleval_generate WORKLOAD DIR [--cases N] [--rules N] [--seed S]\n"
    "  WORKLOAD is small, wide, wide-missing or rules; writes "
    "DIR/WORKLOAD.fmc, .tst and .intr\n";

template <typename T>
bool parse_number(const char* text, T* value) {
  const char* end = text + std::strlen(text);
  const auto [ptr, error] = std::from_chars(text, end, *value);
  return error == std::errc() && ptr == end;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::optional<ruleval::bench::WorkloadShape> shape =
      ruleval::bench::find_workload(argv[1]);
  if (!shape) {
    std::fprintf(stderr, "unknown workload %s\n%s", argv[1], kUsage);
    return 2;
  }
  for (int i = 3; i < argc; i += 2) {
    const std::string_view option = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : "";
    bool ok = false;
    if (option == "--cases") {
      ok = parse_number(value, &shape->cases) && shape->cases >= 0;
    } else if (option == "--rules") {
      ok = parse_number(value, &shape->rules) && shape->rules >= 0 &&
           shape->rules <= 20000 * shape->classes;
    } else if (option == "--seed") {
      ok = parse_number(value, &shape->seed);
    }
    if (!ok) {
      std::fprintf(stderr, "bad option %s %s\n%s", argv[i], value, kUsage);
      return 2;
    }
  }
  const std::string failure = ruleval::bench::write_workload(*shape, argv[2]);
  if (!failure.empty()) {
    std::fprintf(stderr, "ruleval_generate: %s\n", failure.c_str());
    return 1;
  }
  return 0;
}
