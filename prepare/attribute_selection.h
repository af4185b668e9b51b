// Attribute selection: settles the decision attribute, orders the condition
// attributes by ascending priority, writes the selected description (B.fmc1)
// and the coded cases in selected order (B.qzf1), and rearranges the
// attribute table so that it holds the selected attributes in that order,
// the decision attribute last. From then on an attribute's index is its
// position in a coded case.
//
// B.fmc1 is written for inspection and never read back:
//
// clang-format off
//   Attrinum=3   Casenum=5 Valuepair=7
//   AttriFlag=C AttriName=size AttriType=I AttriPairNum=3 AttriValueP=0 AttriPriority=1
//   0 10 20
//   ...
// clang-format on
//
// with the decision attribute last and AttriValueP counting the values of
// the attributes written before it.
#pragma once

#include <string>
#include <vector>

#include "common/attribute_table.h"
#include "common/case_buffer.h"
#include "common/status.h"

namespace ruleval {

// An entry of the ordered attribute list: a condition attribute's priority
// and its row in the table as the description lists it.
struct OrderedEntry {
  int priority = 0;
  int index = 0;
};

// The selection of a run, planned once the description is read: the test
// data is encoded keeping the attributes it lists, and select_attributes
// carries it out on the coded cases.
struct SelectionPlan {
  // The condition attributes in ascending priority, then the decision
  // attribute; empty when order_attributes fails.
  std::vector<OrderedEntry> list;
  // Why the selection cannot be carried out: "No condition attributes in
  // the table", or a decision attribute without classes. It ends the run
  // only once the test data is encoded, so the encoder's failures come
  // first.
  Status status = Status::Ok();

  // The rows, in description order, of the attributes listed, in list order.
  std::vector<int> kept_rows() const;
};

// Settles the flags in attributes (see order_attributes) and plans the
// selection. A decision attribute without classes (no values, or fewer than
// two boundary points) fails the plan but keeps its list.
SelectionPlan plan_selection(std::vector<Attribute>* attributes);

// Carries out plan on table (in description order on entry, in selected
// order on return, the attributes plan was made on): writes B.fmc1, with
// the number of cases encoded, and B.qzf1 from cases, which holds the coded
// cases in selected order. Fails with the plan's failure, or when B.fmc1 or
// B.qzf1 cannot be written.
Status select_attributes(const std::string& selected_description_path,
                         const std::string& ordered_cases_path,
                         const SelectionPlan& plan, const CaseBuffer& cases,
                         AttributeTable* table);

// Settles the flags (the last 'D' wins; without one, the last attribute not
// flagged 'X' becomes the decision attribute) and fills list with the
// condition attributes in ascending priority, then the decision attribute.
// Returns the number of condition attributes, or -1 when there is none.
int order_attributes(std::vector<Attribute>* attributes,
                     std::vector<OrderedEntry>* list);

// Writes B.fmc1 at path. A file that cannot be created is passed over, since
// nothing reads it; a write that fails is an error.
Status write_selected_description(const std::string& path,
                                  const AttributeTable& table,
                                  const std::vector<OrderedEntry>& list,
                                  int num_cases);

// Puts the attributes of list, in list order, at the front of the table and
// drops the others. Every attribute keeps its own value table entries.
void rearrange_attribute_table(std::vector<Attribute>* attributes,
                               const std::vector<OrderedEntry>& list);

}  // namespace ruleval
