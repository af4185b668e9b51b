// Fuzz target: the reader of the attribute description, then the selection
// and the class names of a run on what it read.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "evaluate/class_labels.h"
#include "fuzz/fuzz_support.h"
#include "prepare/attribute_file.h"
#include "prepare/attribute_selection.h"

namespace ruleval::fuzz {
namespace {

// Every attribute owns its values, one after another, in file order.
void check_value_ranges(const AttributeTable& table) {
  std::size_t next = 0;
  for (const Attribute& attribute : table.attributes) {
    if (attribute.first_value < 0 ||
        static_cast<std::size_t>(attribute.first_value) != next) {
      finding("AttriValueP does not follow the values before it");
    }
    next += static_cast<std::size_t>(attribute.value_count);
  }
  if (next != table.values.size()) finding("values not owned by attributes");
}

void read_description(std::string_view text) {
  AttributeTable table;
  int num_cases = 0;
  const Status status =
      parse_attribute_description(text, "f.fmc", &table, &num_cases);
  require_malformed_message(status, "attribute", "f.fmc", text);
  if (!status.ok()) return;
  check_value_ranges(table);
  const SelectionPlan plan = plan_selection(&table.attributes);
  if (!plan.status.ok()) return;
  rearrange_attribute_table(&table.attributes, plan.list);
  const Attribute& decision = table.attributes.back();
  const int classes = number_of_classes(decision);
  for (int k = 0; k < classes; ++k) {
    if (class_label(table, decision, k, classes - 1).empty()) {
      finding("a class without a label");
    }
  }
}

}  // namespace
}  // namespace ruleval::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  ruleval::fuzz::read_description(
      std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
