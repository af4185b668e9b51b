#include "rules/rule_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/rule_fixtures.h"

namespace ruleval {
namespace {

using testing::kExampleRules;
using testing::selected_table;

// Two symbolic condition attributes of 4 and 3 values, an integer one of 3
// boundary points, and a symbolic decision attribute of 2 classes.
const AttributeTable kTable =
    selected_table({{'S', 4}, {'S', 3}, {'I', 3}, {'S', 2}});

struct Parsed {
  Status status;
  std::string out;
  RuleStore store;
};

Parsed parse(const std::string& text,
             std::size_t split_from = kRuleBytesToSplit) {
  Parsed parsed{Status::Ok(), "", {}};
  std::FILE* out = std::tmpfile();
  parsed.status =
      parse_rule_file(text, "t.intr", kTable, out, &parsed.store, split_from);
  std::rewind(out);
  for (int c = std::fgetc(out); c != EOF; c = std::fgetc(out))
    parsed.out.push_back(static_cast<char>(c));
  std::fclose(out);
  return parsed;
}

// The example with the first occurrence of from replaced by to.
std::string example_with(const std::string& from, const std::string& to) {
  std::string text = kExampleRules;
  const std::size_t at = text.find(from);
  EXPECT_NE(std::string::npos, at) << from;
  return text.replace(at, from.size(), to);
}

// Compares the fields the reader fills.
void expect_same_rules(const RuleStore& expected, const RuleStore& actual) {
  EXPECT_EQ(expected.majority_class, actual.majority_class);
  ASSERT_EQ(expected.concept_count(), actual.concept_count());
  for (std::size_t i = 0; i < expected.concepts.size(); ++i) {
    ASSERT_EQ(expected.rule_count(i), actual.rule_count(i));
    for (std::size_t j = 0; j < expected.concepts[i].size(); ++j) {
      const Rule& a = expected.concepts[i][j];
      const Rule& b = actual.concepts[i][j];
      EXPECT_EQ(a.pairs.size(), b.pairs.size());
      EXPECT_EQ(a.conditions_to_meet, b.conditions_to_meet);
      EXPECT_EQ(a.accuracy, b.accuracy);
      EXPECT_EQ(a.quality, b.quality);
      for (std::size_t k = 0; k < a.pairs.size(); ++k) {
        EXPECT_EQ(a.pairs[k].attrino, b.pairs[k].attrino);
        EXPECT_EQ(a.pairs[k].parino, b.pairs[k].parino);
        EXPECT_EQ(a.pairs[k].direction, b.pairs[k].direction);
        EXPECT_EQ(a.pairs[k].orflag, b.pairs[k].orflag);
      }
    }
  }
}

TEST(RuleFileTest, ReadsTheExampleIntoTheStore) {
  const Parsed parsed = parse(kExampleRules);
  ASSERT_TRUE(parsed.status.ok()) << parsed.status.message();
  EXPECT_EQ("qualityno=2\n", parsed.out);
  const RuleStore& store = parsed.store;
  EXPECT_EQ(1, store.majority_class);
  ASSERT_EQ(2, store.concept_count());
  EXPECT_EQ(2, store.rule_count(0));
  EXPECT_EQ(1, store.rule_count(1));
  const Rule& second = store.concepts[0][1];
  EXPECT_EQ(2, second.pairs.size());
  EXPECT_EQ(2, second.conditions_to_meet);
  EXPECT_FLOAT_EQ(0.8f, second.accuracy);
  EXPECT_FLOAT_EQ(1.0f, second.quality);
  EXPECT_EQ(3, second.declared_positive);
  EXPECT_EQ(1, second.declared_negative);
  EXPECT_EQ(1, second.pairs[1].attrino);
  EXPECT_EQ(0, second.pairs[1].parino);
  EXPECT_EQ(1, second.pairs[1].direction);
  EXPECT_EQ(1, second.pairs[1].orflag);
  EXPECT_FLOAT_EQ(3.0f, store.concepts[1][0].quality);
}

TEST(RuleFileTest, WhiteSpaceIsFreeAndUnusedNumbersHaveNoEffect) {
  const RuleStore expected = parse(kExampleRules).store;
  std::string spread = kExampleRules;
  std::string packed = kExampleRules;
  for (std::size_t at; (at = spread.find("  ")) != std::string::npos;)
    spread.replace(at, 2, " \r\n\n\t");
  for (std::size_t at; (at = packed.find("  ")) != std::string::npos;)
    packed.erase(at, 2);
  for (const std::string& text :
       {spread, packed, example_with("Concept=1", "Concept=7"),
        example_with("Concept=0", "Concept=-3"),
        example_with("Total_rulenum=3", "Total_rulenum=99")}) {
    const Parsed parsed = parse(text);
    ASSERT_TRUE(parsed.status.ok()) << parsed.status.message() << text;
    expect_same_rules(expected, parsed.store);
  }
}

TEST(RuleFileTest, ReadingInTwoPartsGivesWhatOneReaderGives) {
  std::string packed = kExampleRules;
  for (std::size_t at; (at = packed.find("  ")) != std::string::npos;)
    packed.erase(at, 2);
  const std::string three_concepts =
      example_with("Concept_num=2", "Concept_num=3") + "Concept=2 rulenum=0";
  for (const std::string& text : {
           std::string(kExampleRules),
           packed,
           three_concepts,
           // Faults in either part, and parts that do not meet.
           example_with("attrino=1  parino=0  direction=0", "attrino=9"),
           example_with("rule_quality=2.0", "rule_quality=x"),
           example_with("Concept=1", "Concept 1"),
           example_with("Concept=1", "x Concept=1"),
           example_with("rulenum=2", "rulenum=3"),
           example_with("rulenum=1", "rulenum=0"),
           example_with("Concept_num=2", "Concept_num=3"),
           example_with("posnum=3", "posnum=3 Concept=1"),
       }) {
    const Parsed one = parse(text);
    const Parsed two = parse(text, 0);
    EXPECT_EQ(one.status.message(), two.status.message()) << text;
    EXPECT_EQ(one.out, two.out);
    expect_same_rules(one.store, two.store);
  }
}

TEST(RuleFileTest, AcceptsEmptyConceptsEmptyRulesAndExtraConcepts) {
  const Parsed parsed = parse(
      "Concept_num=3  Total_rulenum=2  Majority_class=0  Rule_qualityno=1\n"
      "Concept=0  rulenum=0\n"
      "Concept=1  rulenum=1\n"
      "num_of_pairs=0  and_pair_num=0  rule_accuracy=1  rule_quality=1  "
      "posnum=0  negnum=0\n"
      "Concept=2  rulenum=1\n"
      "num_of_pairs=1  and_pair_num=3  rule_accuracy=1  rule_quality=1  "
      "posnum=0  negnum=0\n"
      "attrino=2  parino=2  direction=1  orflag=1\n");
  ASSERT_TRUE(parsed.status.ok()) << parsed.status.message();
  ASSERT_EQ(3, parsed.store.concept_count());  // one more than the classes
  EXPECT_EQ(0, parsed.store.rule_count(0));
  EXPECT_EQ(0, parsed.store.concepts[1][0].pairs.size());
  EXPECT_EQ(3, parsed.store.concepts[2][0].conditions_to_meet);
}

TEST(RuleFileTest, AcceptsAMemberOrflagThatNoReadingTakes) {
  // The second pair is a member of the group on a0 in every reading of the
  // rule, so its orflag is never read.
  const Parsed parsed =
      parse(example_with("attrino=0  parino=2  direction=0  orflag=1\n"
                         "attrino=1  parino=0  direction=1  orflag=1",
                         "attrino=0  parino=2  direction=0  orflag=2\n"
                         "attrino=0  parino=0  direction=0  orflag=5"));
  EXPECT_TRUE(parsed.status.ok()) << parsed.status.message();
}

TEST(RuleFileTest, HoldsAnyNumberOfRulesAndPairs) {
  std::string text =
      "Concept_num=2 Total_rulenum=1201 Majority_class=0 Rule_qualityno=1\n"
      "Concept=0 rulenum=1200\n";
  for (int j = 0; j < 1200; ++j) {
    text +=
        "num_of_pairs=1 and_pair_num=1 rule_accuracy=1 rule_quality=1 "
        "posnum=0 negnum=0\nattrino=0 parino=1 direction=0 orflag=1\n";
  }
  text +=
      "Concept=1 rulenum=1\nnum_of_pairs=250 and_pair_num=250 "
      "rule_accuracy=1 rule_quality=1 posnum=0 negnum=0\n";
  for (int k = 0; k < 250; ++k)
    text += "attrino=1 parino=2 direction=1 orflag=1\n";
  const Parsed parsed = parse(text);
  ASSERT_TRUE(parsed.status.ok()) << parsed.status.message();
  EXPECT_EQ(1200, parsed.store.rule_count(0));
  EXPECT_EQ(250, parsed.store.concepts[1][0].pairs.size());
}

struct BadFile {
  std::string text;
  std::string problem;  // "line N: what", as the message gives it
  bool header_read;     // whether qualityno was printed first
};

TEST(RuleFileTest, MalformedFilesNameTheLineAtFault) {
  const std::string rule_line_9 =
      "num_of_pairs=1  and_pair_num=1  rule_accuracy=0.9  rule_quality=3.0  "
      "posnum=5  negnum=0\n";
  const BadFile files[] = {
      {example_with("Concept_num", "Concept_Num"),
       "line 1: expected Concept_num=", false},
      {" " + std::string(kExampleRules),
       "line 1: expected Concept_num=", false},
      {"", "line 1: unexpected end of file, expected Concept_num=", false},
      {example_with("Total_rulenum=3", "Total_rulenum=-3"),
       "line 1: Total_rulenum must not be negative", false},
      {example_with("Concept_num=2", "Concept_num=-2"),
       "line 1: Concept_num must not be negative", false},
      {example_with("Rule_qualityno=2", "Rule_qualityno=q"),
       "line 1: expected an integer after Rule_qualityno=", false},
      {example_with("Concept_num=2", "Concept_num=1"),
       "line 1: Concept_num is 1, fewer than the 2 classes of decision "
       "attribute class",
       true},
      {example_with("Majority_class=1", "Majority_class=2"),
       "line 1: Majority_class 2 is not a class of decision attribute class "
       "(0 to 1)",
       true},
      {example_with("rulenum=2", "rulenum=x"),
       "line 2: expected an integer after rulenum=", true},
      {example_with("rulenum=1", "rulenum=-1"),
       "line 8: rulenum must not be negative", true},
      {example_with("posnum=4", "posnum=99999999999"),
       "line 3: integer out of range after posnum=", true},
      {example_with("negnum=1", "negnum=-1"),
       "line 5: negnum must not be negative", true},
      {example_with("rule_quality=2.0", "rule_quality=two"),
       "line 3: expected a number after rule_quality=", true},
      {example_with("rule_accuracy=0.8", "rule_accuracy=1e39"),
       "line 5: rule_accuracy is not a finite number", true},
      {example_with("rule_quality=3.0", "rule_quality=nan"),
       "line 9: rule_quality is not a finite number", true},
      {example_with("and_pair_num=2", "and_pair_num=0"),
       "line 5: and_pair_num is 0 in a rule with conditions", true},
      // A field on a line of its own is reported on its own line.
      {example_with("num_of_pairs=2  and_pair_num=2",
                    "num_of_pairs=2\nand_pair_num=0"),
       "line 6: and_pair_num is 0 in a rule with conditions", true},
      {example_with("parino=2  direction=0  orflag=1",
                    "parino=2  direction=0\norflag=3"),
       "line 7: OR group of 3 pairs runs past the 2 pairs of its rule", true},
      // Also a group member's orflag, which no matcher reads, must be 1 or
      // more.
      {example_with("parino=2  direction=0  orflag=1\n"
                    "attrino=1  parino=0  direction=1  orflag=1",
                    "parino=2  direction=0  orflag=2\n"
                    "attrino=1  parino=0  direction=1  orflag=0"),
       "line 7: orflag 0 is below 1", true},
      {std::string(kExampleRules)
           .substr(0, std::string(kExampleRules).find(rule_line_9) +
                          rule_line_9.size()),
       "line 9: unexpected end of file, expected attrino=", true},
      {example_with("\nattrino=1  parino=0  direction=0",
                    "\nattrino=3  parino=0  direction=0"),
       "line 10: attrino 3 is not a condition attribute (0 to 2)", true},
      {example_with("attrino=0  parino=1", "attrino=-1  parino=1"),
       "line 4: attrino -1 is not a condition attribute (0 to 2)", true},
      {example_with("attrino=0  parino=1", "attrino=0  parino=4"),
       "line 4: parino 4 is not a value of attribute a0 (0 to 3)", true},
      {example_with("\nattrino=1  parino=0  direction=0",
                    "\nattrino=2  parino=3  direction=0"),
       "line 10: parino 3 is not a boundary point of attribute a2 (0 to 2)",
       true},
      {example_with("direction=0  orflag=1", "direction=0  orflag=0"),
       "line 4: orflag 0 is below 1", true},
      {example_with("direction=1  orflag=1", "direction=1  orflag=-2"),
       "line 7: orflag -2 is below 1", true},
      {example_with("parino=2  direction=0  orflag=1",
                    "parino=2  direction=0  orflag=3"),
       "line 6: OR group of 3 pairs runs past the 2 pairs of its rule", true},
      // A group only the classifier sees: a symbolic inequality heads one.
      {example_with("direction=1  orflag=1", "direction=1  orflag=2"),
       "line 7: OR group of 2 pairs runs past the 2 pairs of its rule", true},
      // A group only the coverage sees: the numeric head swallows it for
      // the classifier.
      {example_with("attrino=0  parino=2  direction=0  orflag=1\n"
                    "attrino=1  parino=0  direction=1  orflag=1",
                    "attrino=2  parino=1  direction=1  orflag=2\n"
                    "attrino=1  parino=0  direction=0  orflag=2"),
       "line 7: OR group of 2 pairs runs past the 2 pairs of its rule", true},
      // A group only the coverage report sees: its reading of a1 takes the
      // member of the group on a0 for the head of a group of its own.
      {example_with("attrino=0  parino=2  direction=0  orflag=1\n"
                    "attrino=1  parino=0  direction=1  orflag=1",
                    "attrino=0  parino=2  direction=0  orflag=2\n"
                    "attrino=1  parino=0  direction=0  orflag=3"),
       "line 7: OR group of 3 pairs runs past the 2 pairs of its rule", true},
      // Declared counts far beyond the text end at the text, not in memory.
      {example_with("Concept_num=2", "Concept_num=2147483647"),
       "line 10: unexpected end of file, expected Concept=", true},
      {example_with("rulenum=1", "rulenum=2147483647"),
       "line 10: unexpected end of file, expected num_of_pairs=", true},
      {example_with("num_of_pairs=1  and_pair_num=1  rule_accuracy=0.9",
                    "num_of_pairs=2147483647  and_pair_num=1  "
                    "rule_accuracy=0.9"),
       "line 10: unexpected end of file, expected attrino=", true},
      {example_with("Concept=1", std::string("Concept=\0", 9)),
       "line 8: NUL byte in the file", false},
  };
  for (const BadFile& file : files) {
    const Parsed parsed = parse(file.text);
    EXPECT_EQ("\nMalformed rule file t.intr, " + file.problem + "\n",
              parsed.status.message())
        << file.text;
    EXPECT_EQ(file.header_read ? "qualityno=2\n" : "", parsed.out)
        << file.problem;
  }
}

}  // namespace
}  // namespace ruleval
