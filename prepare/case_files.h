// The coded cases in selected order: the case buffer, and the file B.qzf1
// that shows it for inspection.
//
//   Casenum=14 Dependency=0 Concept=0
//   0 1 1 0 1
//   ...
//
// One line per case, one code per selected attribute written as "%d ", the
// class code last. The run keeps the cases in memory and never reads the
// file back.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "common/attribute_table.h"
#include "common/case_buffer.h"
#include "common/status.h"

namespace ruleval {

// Writes every case of cases, in selected order, to B.qzf1 at path.
Status write_ordered_cases(const std::string& path, const CaseBuffer& cases);

// Refuses a numeric class value above the decision attribute's last boundary
// point (the code one past the last class), naming the case. attributes is
// the table in selected order, the decision attribute last.
Status check_class_codes(const std::vector<Attribute>& attributes,
                         const CaseBuffer& cases);

}  // namespace ruleval
