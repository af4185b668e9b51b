// Reader of the attribute description (B.fmc), written by the learning stage:
//
// clang-format off
//   Attrinum=3   Casenum=5
//   AttriFlag=C AttriName=colour AttriType=S AttriPairNum=2 AttriValueP=0 AttriPriority=2
//   red green
//   AttriFlag=C AttriName=size AttriType=R AttriPairNum=3 AttriValueP=2 AttriPriority=1
//   0.000000 10.500000 20.000000
//   ...
// clang-format on
//
// Every attribute has six keys, then its AttriPairNum value names ('S') or
// boundary points ('I', 'R'). White space between items is free; keys must
// stand exactly as written. AttriValueP is ignored: each attribute's first
// value index is recomputed from the counts before it.
#pragma once

#include <string>
#include <string_view>

#include "common/attribute_table.h"
#include "common/status.h"

namespace ruleval {

// Reads the description at path into table, and its Casenum into
// num_cases. Fails with "Cannot open intermediate file" when the file cannot
// be read, or "Malformed attribute file" naming the line at fault.
Status read_attribute_file(const std::string& path, AttributeTable* table,
                           int* num_cases);

// The same for a description already in memory; path names it in messages.
Status parse_attribute_description(std::string_view text,
                                   const std::string& path,
                                   AttributeTable* table, int* num_cases);

}  // namespace ruleval
