#include "prepare/case_files.h"

#include <algorithm>
#include <limits>
#include <new>
#include <string_view>

#include "common/input_file.h"
#include "common/output_file.h"
#include "driver/file_names.h"

namespace ruleval {
namespace {

Status cannot_read(const std::string& path) {
  return Status::Fatal(
      format("\nCannot read intermediate file: %s ...\n", path.c_str()));
}

Status cannot_operate(const char* extension) {
  return Status::Fatal(format(
      "\nCannot operate intermediate data file (.%s file)\n", extension));
}

bool expect_literal(InputFile& in, std::string_view text) {
  for (const char c : text) {
    if (in.get() != static_cast<unsigned char>(c)) return false;
  }
  return true;
}

// Reads one code: a whole number from 0 to limit - 1.
bool read_code(InputFile& in, long long limit, long long* code) {
  return read_integer(in, code) && *code >= 0 && *code < limit;
}

// The qzf1 header: "Casenum=%d   Dependency=%d   Concept=%d ", where each
// run of blanks accepts any white space; its case count must be ours.
bool read_header(InputFile& in, int num_cases) {
  long long count = 0;
  long long ignored = 0;
  return expect_literal(in, "Casenum=") && read_integer(in, &count) &&
         count == num_cases && expect_literal(in, "Dependency=") &&
         read_integer(in, &ignored) && expect_literal(in, "Concept=") &&
         read_integer(in, &ignored);
}

Status read_coded_cases(const std::string& base_name, const char* extension,
                        const std::vector<Attribute>& attributes, int num_cases,
                        CaseBuffer* cases) {
  const std::string path = replace_extension(base_name, extension);
  InputFile in;
  if (!in.open(path)) return cannot_read(path);
  if (!read_header(in, num_cases)) return cannot_operate(extension);
  const Attribute& decision = attributes.back();
  const long long classes = number_of_classes(decision);
  const std::size_t last = attributes.size() - 1;
  for (std::size_t c = 0; c < cases->num_cases(); ++c) {
    for (std::size_t j = 0; j < attributes.size(); ++j) {
      long long code = 0;
      if (!read_code(in, code_count(attributes[j]), &code)) {
        return cannot_operate(extension);
      }
      if (j == last && code >= classes) {
        return Status::Fatal(format(
            "\nClass value of case %d is above the last boundary point of %s\n",
            static_cast<int>(c) + 1, decision.AttriName.c_str()));
      }
      cases->set_code(c, j, static_cast<std::uint32_t>(code));
    }
  }
  return Status::Ok();
}

}  // namespace

Status write_ordered_cases(const std::string& base_name,
                           std::size_t attribute_count, int num_cases,
                           const std::vector<OrderedEntry>& list) {
  // When qzf1 cannot be made, loading it is what fails, with its message;
  // the loader must never find a stale qzf1 of an earlier run instead.
  const std::string target = replace_extension(base_name, "qzf1");
  InputFile in;
  if (!in.open(replace_extension(base_name, "qzf"))) return cannot_read(target);
  OutputFile out;
  if (!out.open(target)) return cannot_read(target);
  out.print("Casenum=%d Dependency=0 Concept=0\n", num_cases);
  std::vector<long long> row(attribute_count);
  constexpr long long kAnyCode = std::numeric_limits<int>::max();
  for (int c = 0; c < num_cases; ++c) {
    for (long long& code : row) {
      if (!read_code(in, kAnyCode, &code)) return cannot_operate("qzf");
    }
    for (const OrderedEntry& entry : list) {
      out.write_code(static_cast<std::uint32_t>(
          row[static_cast<std::size_t>(entry.index)]));
    }
    out.put('\n');
  }
  return out.close();
}

Status load_case_buffer(const std::string& base_name,
                        const std::vector<Attribute>& attributes, int num_cases,
                        CaseBuffer* cases) {
  std::uint64_t code_limit = 1;
  for (const Attribute& attribute : attributes) {
    code_limit = std::max<std::uint64_t>(code_limit, code_count(attribute));
  }
  try {
    cases->allocate(static_cast<std::size_t>(num_cases), attributes.size(),
                    code_limit);
  } catch (const std::bad_alloc&) {
    return Status::Fatal("\nNot enough memory for casebuffer...");
  }
  return read_coded_cases(base_name, "qzf1", attributes, num_cases, cases);
}

}  // namespace ruleval
