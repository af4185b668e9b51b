#include "prepare/attribute_selection.h"

#include "common/messages.h"
#include "common/numbers.h"
#include "common/output_file.h"
#include "prepare/case_files.h"

namespace ruleval {
namespace {

// Orders entries by ascending priority with the exchange procedure that
// fixes where equal priorities end up: each position in turn takes the
// lowest priority among the entries from it on, and every entry passed over
// for a strictly lower one takes the place of the one it displaced. Equal
// priorities therefore do not keep their table order.
void exchange_sort(std::vector<OrderedEntry>* entries) {
  std::vector<OrderedEntry>& list = *entries;
  for (std::size_t i = 0; i < list.size(); ++i) {
    OrderedEntry candidate = list[i];
    for (std::size_t j = i + 1; j < list.size(); ++j) {
      if (list[j].priority < candidate.priority) std::swap(list[j], candidate);
    }
    list[i] = candidate;
  }
}

void settle_decision_flag(std::vector<Attribute>* attributes) {
  Attribute* decision = nullptr;
  for (Attribute& attribute : *attributes) {
    if (attribute.role != 'D') continue;
    if (decision != nullptr) decision->role = 'C';
    decision = &attribute;
  }
  if (decision != nullptr) return;
  for (auto it = attributes->rbegin(); it != attributes->rend(); ++it) {
    if (it->role != 'X') {
      it->role = 'D';
      return;
    }
  }
}

void write_values(const Attribute& attribute, const AttributeTable& table,
                  OutputFile& out) {
  for (int k = 0; k < attribute.value_count; ++k) {
    const ValueEntry& entry = table.value(attribute, k);
    switch (attribute.type) {
      case 'S':
        out.write(entry.text);
        out.put(' ');
        break;
      case 'I':
        out.write(truncated_integer(entry.point));
        out.put(' ');
        break;
      default:
        out.print("%f ", static_cast<double>(entry.point));
        break;
    }
  }
  out.put('\n');
}

}  // namespace

int order_attributes(std::vector<Attribute>* attributes,
                     std::vector<OrderedEntry>* list) {
  settle_decision_flag(attributes);
  list->clear();
  int decision = -1;
  for (std::size_t i = 0; i < attributes->size(); ++i) {
    const Attribute& attribute = (*attributes)[i];
    if (attribute.role == 'C') {
      list->push_back({attribute.priority, static_cast<int>(i)});
    } else if (attribute.role == 'D') {
      decision = static_cast<int>(i);
    }
  }
  // Without a decision attribute (every attribute excluded) there is no
  // condition attribute either.
  if (list->empty() || decision < 0) return -1;
  exchange_sort(list);
  const int conditions = static_cast<int>(list->size());
  list->push_back({0, decision});
  return conditions;
}

Status write_selected_description(const std::string& path,
                                  const AttributeTable& table,
                                  const std::vector<OrderedEntry>& list,
                                  int num_cases) {
  OutputFile out;
  if (!out.open(path)) return Status::Ok();
  long long value_pairs = 0;
  for (const OrderedEntry& entry : list) {
    value_pairs +=
        table.attributes[static_cast<std::size_t>(entry.index)].value_count;
  }
  out.print("Attrinum=%d   Casenum=%d Valuepair=%lld\n",
            static_cast<int>(list.size()), num_cases, value_pairs);
  long long first_value = 0;
  for (const OrderedEntry& entry : list) {
    const Attribute& attribute =
        table.attributes[static_cast<std::size_t>(entry.index)];
    out.print(
        "AttriFlag=%c AttriName=%s AttriType=%c AttriPairNum=%d "
        "AttriValueP=%lld AttriPriority=%d\n",
        attribute.role, attribute.name.c_str(), attribute.type,
        attribute.value_count, first_value, attribute.priority);
    write_values(attribute, table, out);
    first_value += attribute.value_count;
  }
  return out.close();
}

void rearrange_attribute_table(std::vector<Attribute>* attributes,
                               const std::vector<OrderedEntry>& list) {
  std::vector<Attribute> selected;
  selected.reserve(list.size());
  for (const OrderedEntry& entry : list) {
    selected.push_back((*attributes)[static_cast<std::size_t>(entry.index)]);
  }
  *attributes = std::move(selected);
}

std::vector<int> SelectionPlan::kept_rows() const {
  std::vector<int> rows;
  rows.reserve(list.size());
  for (const OrderedEntry& entry : list) rows.push_back(entry.index);
  return rows;
}

SelectionPlan plan_selection(std::vector<Attribute>* attributes) {
  SelectionPlan plan;
  if (order_attributes(attributes, &plan.list) < 0) {
    plan.list.clear();
    plan.status = Status::Fatal(render<Message::kNoConditionAttributes>());
    return plan;
  }
  // A numeric decision attribute needs two points to bound one class.
  const Attribute& decision =
      (*attributes)[static_cast<std::size_t>(plan.list.back().index)];
  if (number_of_classes(decision) < 1) {
    plan.status = Status::Fatal(render<Message::kNoClasses>(decision.name));
  }
  return plan;
}

Status select_attributes(const std::string& selected_description_path,
                         const std::string& ordered_cases_path,
                         const SelectionPlan& plan, const CaseBuffer& cases,
                         AttributeTable* table) {
  if (!plan.status.ok()) return plan.status;
  Status status =
      write_selected_description(selected_description_path, *table, plan.list,
                                 static_cast<int>(cases.num_cases()));
  if (!status.ok()) return status;
  status = write_ordered_cases(ordered_cases_path, cases);
  if (!status.ok()) return status;
  rearrange_attribute_table(&table->attributes, plan.list);
  return Status::Ok();
}

}  // namespace ruleval
