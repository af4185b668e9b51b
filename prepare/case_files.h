// The coded cases in selected order: the file B.qzf1 and the case buffer.
//
//   Casenum=14 Dependency=0 Concept=0
//   0 1 1 0 1
//   ...
//
// One line per case, one code per selected attribute written as "%d ", the
// class code last. Readers take the codes as one stream of integers, so
// line ends carry no meaning.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "common/attribute_table.h"
#include "common/case_buffer.h"
#include "common/status.h"
#include "prepare/attribute_selection.h"

namespace ruleval {

// Rewrites every case of B.qzf (attribute_count codes per case, description
// order) into B.qzf1, keeping the attributes of list in list order.
Status write_ordered_cases(const std::string& base_name,
                           std::size_t attribute_count, int num_cases,
                           const std::vector<OrderedEntry>& list);

// Loads B.qzf1 into cases. attributes is the table in selected order, the
// decision attribute last; every code must lie within its attribute's codes.
// A numeric class value above the decision attribute's last boundary point
// (the code one past the last class) is refused, naming the case.
Status load_case_buffer(const std::string& base_name,
                        const std::vector<Attribute>& attributes, int num_cases,
                        CaseBuffer* cases);

}  // namespace ruleval
