#include "prepare/attribute_selection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "prepare/attribute_file.h"
#include "tests/rule_fixtures.h"
#include "tests/test_util.h"

namespace ruleval {
namespace {

struct FlagAndPriority {
  char flag;
  int priority;
};

std::vector<Attribute> attributes_of(
    const std::vector<FlagAndPriority>& attributes_wanted) {
  std::vector<Attribute> attributes;
  for (std::size_t i = 0; i < attributes_wanted.size(); ++i) {
    Attribute a;
    a.role = attributes_wanted[i].flag;
    a.name = std::string(1, static_cast<char>('a' + i));
    a.type = 'S';
    a.priority = attributes_wanted[i].priority;
    attributes.push_back(a);
  }
  return attributes;
}

// The selected attributes by name, the decision attribute after a '|'.
std::string order_of(const std::vector<FlagAndPriority>& attributes_wanted) {
  std::vector<Attribute> attributes = attributes_of(attributes_wanted);
  std::vector<OrderedEntry> list;
  if (order_attributes(&attributes, &list) < 0) return "none";
  std::string names;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (i + 1 == list.size()) names += '|';
    names += attributes[static_cast<std::size_t>(list[i].index)].name;
  }
  return names;
}

TEST(OrderAttributes, SortsByPriorityWithTheExchangeProcedure) {
  EXPECT_EQ("cba|d", order_of({{'C', 2}, {'C', 2}, {'C', 1}, {'D', 0}}));
  EXPECT_EQ("bdca|e",
            order_of({{'C', 2}, {'C', 1}, {'C', 2}, {'C', 1}, {'D', 0}}));
  EXPECT_EQ("abc|d", order_of({{'C', 1}, {'C', 1}, {'C', 1}, {'D', 0}}));
  EXPECT_EQ("cab|d", order_of({{'C', 0}, {'C', 5}, {'C', -3}, {'D', -9}}));
}

TEST(OrderAttributes, SettlesTheDecisionAttribute) {
  // The last 'D' wins; an earlier one becomes a condition attribute.
  EXPECT_EQ("ab|c", order_of({{'D', 1}, {'C', 2}, {'D', 0}}));
  // Without 'D', the last attribute not excluded, whatever its flag.
  EXPECT_EQ("a|b", order_of({{'C', 1}, {'C', 2}, {'X', 0}}));
  EXPECT_EQ("a|c", order_of({{'C', 1}, {'X', 2}, {'?', 0}}));
  // A flag other than C, D or X is never a condition attribute.
  EXPECT_EQ("a|c", order_of({{'C', 1}, {'?', 2}, {'D', 0}}));
  EXPECT_EQ("none", order_of({{'X', 1}, {'C', 2}}));
  EXPECT_EQ("none", order_of({{'X', 1}, {'X', 2}}));
  EXPECT_EQ("none", order_of({{'D', 1}}));
}

TEST(OrderAttributes, EarlierDecisionFlagsBecomeConditions) {
  std::vector<Attribute> attributes =
      attributes_of({{'D', 1}, {'C', 2}, {'D', 0}});
  std::vector<OrderedEntry> list;
  EXPECT_EQ(2, order_attributes(&attributes, &list));
  EXPECT_EQ('C', attributes[0].role);
  EXPECT_EQ('D', attributes[2].role);
}

TEST(SelectAttributes, WritesTheSelectedDescription) {
  testing::TempDir dir;
  AttributeTable table;
  int ignored = 0;
  ASSERT_TRUE(parse_attribute_description(
                  "Attrinum=4 Casenum=99\n"
                  "AttriFlag=C AttriName=colour AttriType=S AttriPairNum=2 "
                  "AttriValueP=0 AttriPriority=2\n"
                  "red green\n"
                  "AttriFlag=X AttriName=id AttriType=I AttriPairNum=1 "
                  "AttriValueP=0 AttriPriority=0\n"
                  "0\n"
                  "AttriFlag=C AttriName=size AttriType=I AttriPairNum=4 "
                  "AttriValueP=0 AttriPriority=1\n"
                  "0 10.5 -2.7 20\n"
                  "AttriFlag=D AttriName=class AttriType=R AttriPairNum=2 "
                  "AttriValueP=0 AttriPriority=7\n"
                  "0.5 1e3\n",
                  "s.fmc", &table, &ignored)
                  .ok());
  const SelectionPlan plan = plan_selection(&table.attributes);
  EXPECT_EQ(std::vector<int>({2, 0, 3}), plan.kept_rows());
  const CaseBuffer cases = testing::case_buffer({{2, 1, 1}, {0, 0, 0}});
  const Status status = select_attributes(
      dir.file("s.fmc1"), dir.file("s.qzf1"), plan, cases, &table);
  ASSERT_TRUE(status.ok()) << status.message();
  // A coded case holds one code per attribute of the rearranged table.
  EXPECT_EQ(cases.record_length(), table.attributes.size());
  EXPECT_EQ(
      "Attrinum=3   Casenum=2 Valuepair=8\n"
      "AttriFlag=C AttriName=size AttriType=I AttriPairNum=4 AttriValueP=0 "
      "AttriPriority=1\n"
      "0 10 -2 20 \n"
      "AttriFlag=C AttriName=colour AttriType=S AttriPairNum=2 AttriValueP=4 "
      "AttriPriority=2\n"
      "red green \n"
      "AttriFlag=D AttriName=class AttriType=R AttriPairNum=2 AttriValueP=6 "
      "AttriPriority=7\n"
      "0.500000 1000.000000 \n",
      testing::read_file(dir.file("s.fmc1")));
  EXPECT_EQ("Casenum=2 Dependency=0 Concept=0\n2 1 1 \n0 0 0 \n",
            testing::read_file(dir.file("s.qzf1")));
  ASSERT_EQ(3u, table.attributes.size());
  EXPECT_EQ("size", table.attributes[0].name);
  EXPECT_EQ(3, table.attributes[0].first_value);  // still its own values
  EXPECT_EQ("class", table.attributes[2].name);
}

TEST(SelectAttributes, DecisionAttributeWithoutClassesEndsTheRun) {
  testing::TempDir dir;
  AttributeTable table;
  table.attributes = attributes_of({{'C', 1}, {'D', 0}});
  table.attributes[1].type = 'R';
  table.attributes[1].value_count = 1;  // one point bounds no interval
  table.values.resize(1);
  const SelectionPlan plan = plan_selection(&table.attributes);
  // The test data is still encoded, with the attributes in selected order.
  EXPECT_EQ(std::vector<int>({0, 1}), plan.kept_rows());
  EXPECT_EQ("\nDecision attribute b has no classes\n",
            select_attributes(dir.file("s.fmc1"), dir.file("s.qzf1"), plan,
                              CaseBuffer(), &table)
                .message());
}

TEST(SelectAttributes, NoConditionAttributeEndsTheRun) {
  testing::TempDir dir;
  AttributeTable table;
  table.attributes = attributes_of({{'X', 1}, {'C', 2}});
  const SelectionPlan plan = plan_selection(&table.attributes);
  EXPECT_TRUE(plan.kept_rows().empty());  // the test data keeps no attribute
  EXPECT_EQ("\n No condition attributes in the table",
            select_attributes(dir.file("s.fmc1"), dir.file("s.qzf1"), plan,
                              CaseBuffer(), &table)
                .message());
  EXPECT_FALSE(std::filesystem::exists(dir.file("s.fmc1")));
}

}  // namespace
}  // namespace ruleval
