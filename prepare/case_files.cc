#include "prepare/case_files.h"

#include "common/messages.h"
#include "common/output_file.h"

namespace ruleval {

Status write_ordered_cases(const std::string& path, const CaseBuffer& cases) {
  // When qzf1 cannot be made, the run stops as when it cannot be read; a
  // stale qzf1 of an earlier run must never pass for this run's.
  const std::string& target = path;
  OutputFile out;
  if (!out.open(target)) {
    return Status::Fatal(render<Message::kCannotCreateOrderedCases>(target));
  }
  out.print("Casenum=%d Dependency=0 Concept=0\n",
            static_cast<int>(cases.num_cases()));
  for (std::size_t c = 0; c < cases.num_cases(); ++c) {
    for (std::size_t j = 0; j < cases.record_length(); ++j)
      out.write_code(cases.code(c, j));
    out.put('\n');
  }
  return out.close();
}

Status check_class_codes(const std::vector<Attribute>& attributes,
                         const CaseBuffer& cases) {
  const Attribute& decision = attributes.back();
  const auto classes = static_cast<std::uint32_t>(number_of_classes(decision));
  for (std::size_t c = 0; c < cases.num_cases(); ++c) {
    const std::uint32_t code = cases.class_code(c);
    if (code >= classes && code != kMissingCode) {
      return Status::Fatal(render<Message::kClassAboveLastPoint>(
          static_cast<int>(c) + 1, decision.name));
    }
  }
  return Status::Ok();
}

}  // namespace ruleval
