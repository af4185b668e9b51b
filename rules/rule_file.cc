#include "rules/rule_file.h"

#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "common/input_file.h"
#include "common/keyed_parser.h"
#include "common/messages.h"
#include "common/parallel.h"
#include "rules/rule_compiler.h"

namespace ruleval {
namespace {

class RuleParser {
 public:
  RuleParser(std::string_view text, const std::string& path,
             const AttributeTable& table)
      : parser_(text, path, KeyedParser::Kind::kRuleFile),
        scanner_(parser_.scanner()),
        file_text_(text),
        path_(path),
        table_(table),
        condition_count_(static_cast<int>(table.attributes.size()) - 1),
        class_count_(number_of_classes(table.attributes.back())) {}

  Status parse(std::FILE* out, RuleStore* store, std::size_t split_from);

 private:
  Status parse_header(std::FILE* out, int* concept_num, RuleStore* store);
  bool read_in_two_parts(std::size_t body, int concept_num,
                         RuleStore* store) const;
  Status parse_concepts(int first, int end,
                        std::vector<std::vector<Rule>>* concepts);
  Status parse_concept(std::vector<Rule>* rules);
  Status parse_rule(Rule* rule);
  // Notes where the pair's orflag stands, for the group checks.
  Status parse_pair(ConditionPair* pair, std::size_t* orflag_at);
  // Compiles the rule; every OR group must fit in it, in every reading.
  Status compile(Rule* rule, const std::vector<std::size_t>& orflag_at) const;
  Status group_overrun(std::size_t orflag_at, int orflag, int pairs) const {
    return parser_.malformed_at(orflag_at,
                                render<Detail::kOrGroupOverrun>(orflag, pairs));
  }

  const Attribute& attribute(int attrino) const {
    return table_.attributes[static_cast<std::size_t>(attrino)];
  }
  const Attribute& decision() const { return table_.attributes.back(); }

  KeyedParser parser_;
  TextScanner& scanner_;
  // The text as given, for more readers of it; positions count in
  // parser_.text(), which leaves out a byte order mark.
  const std::string_view file_text_;
  const std::string& path_;
  const AttributeTable& table_;
  const int condition_count_;
  const int class_count_;
};

Status RuleParser::parse(std::FILE* out, RuleStore* store,
                         std::size_t split_from) {
  Status status = parser_.check_no_nul();
  int concept_num = 0;
  if (status.ok()) status = parse_header(out, &concept_num, store);
  if (!status.ok()) return status;
  store->concepts.clear();
  if (parser_.text().size() >= split_from &&
      read_in_two_parts(scanner_.position(), concept_num, store)) {
    return Status::Ok();
  }
  return parse_concepts(0, concept_num, &store->concepts);
}

// Reads concepts first to end - 1 from the cursor on. Concepts and rules
// are added as they are read, never reserved by the declared counts.
Status RuleParser::parse_concepts(int first, int end,
                                  std::vector<std::vector<Rule>>* concepts) {
  for (int i = first; i < end; ++i) {
    std::vector<Rule> rules;
    const Status status = parse_concept(&rules);
    if (!status.ok()) return status;
    concepts->push_back(std::move(rules));
  }
  return Status::Ok();
}

// Reads the concepts from body on in two parts side by side, the second
// from the "Concept=" nearest the middle of the text. Takes them only when
// both parts read without fault and the first ends where the second begins,
// white space between: they are then what one reader would have read.
// Otherwise leaves store alone, for one reader to read the concepts again
// and find the fault where it is.
bool RuleParser::read_in_two_parts(std::size_t body, int concept_num,
                                   RuleStore* store) const {
  constexpr std::string_view kConcept = "Concept=";
  const std::string_view text = parser_.text();
  if (concept_num < 2 || worker_count(2) < 2) return false;
  std::vector<std::size_t> starts;
  for (std::size_t at = text.find(kConcept, body);
       at != std::string_view::npos &&
       starts.size() < static_cast<std::size_t>(concept_num);
       at = text.find(kConcept, at + 1)) {
    starts.push_back(at);
  }
  if (starts.size() != static_cast<std::size_t>(concept_num)) return false;
  const std::size_t middle = starts[0] + (text.size() - starts[0]) / 2;
  std::size_t second = 1;
  while (second + 1 < starts.size() && starts[second] < middle) ++second;
  struct Part {
    std::vector<std::vector<Rule>> concepts;
    Status status = Status::Ok();
    std::size_t end = 0;
  };
  Part parts[2];
  run_in_parallel(2, [&](std::size_t p) {
    RuleParser reader(file_text_, path_, table_);
    reader.scanner_.seek(p == 0 ? body : starts[second]);
    const int split = static_cast<int>(second);
    parts[p].status =
        p == 0 ? reader.parse_concepts(0, split, &parts[p].concepts)
               : reader.parse_concepts(split, concept_num, &parts[p].concepts);
    parts[p].end = reader.scanner_.position();
  });
  if (!parts[0].status.ok() || !parts[1].status.ok() ||
      parts[0].end > starts[second])
    return false;
  for (std::size_t at = parts[0].end; at < starts[second]; ++at) {
    if (!is_space(text[at])) return false;
  }
  store->concepts = std::move(parts[0].concepts);
  for (std::vector<Rule>& rules : parts[1].concepts)
    store->concepts.push_back(std::move(rules));
  return true;
}

Status RuleParser::parse_header(std::FILE* out, int* concept_num,
                                RuleStore* store) {
  if (!scanner_.literal("Concept_num=")) {
    return parser_.expected("Concept_num=");
  }
  const std::size_t concept_num_at = scanner_.position();
  Status status = parser_.integer_after("Concept_num=", concept_num);
  if (status.ok() && *concept_num < 0) {
    return parser_.malformed_at(concept_num_at,
                                render<Detail::kNegative>("Concept_num"));
  }
  int ignored = 0;
  if (status.ok()) status = parser_.count("Total_rulenum=", &ignored);
  if (status.ok()) status = parser_.key("Majority_class=");
  const std::size_t majority_at = scanner_.position();
  if (status.ok())
    status = parser_.integer_after("Majority_class=", &store->majority_class);
  if (status.ok()) status = parser_.key("Rule_qualityno=");
  if (status.ok()) {
    status = parser_.integer_after("Rule_qualityno=", &store->quality_number);
  }
  if (!status.ok()) return status;
  std::fprintf(out, "qualityno=%d\n", store->quality_number);

  const std::string& name = decision().name;
  if (*concept_num < class_count_) {
    return parser_.malformed_at(concept_num_at,
                                render<Detail::kFewerConceptsThanClasses>(
                                    *concept_num, class_count_, name));
  }
  if (store->majority_class < 0 || store->majority_class >= class_count_) {
    return parser_.malformed_at(
        majority_at, render<Detail::kMajorityNotAClass>(
                         store->majority_class, name, class_count_ - 1));
  }
  return Status::Ok();
}

Status RuleParser::parse_concept(std::vector<Rule>* rules) {
  int ignored = 0;
  Status status = parser_.key("Concept=");
  if (status.ok()) status = parser_.integer_after("Concept=", &ignored);
  int rulenum = 0;
  if (status.ok()) status = parser_.count("rulenum=", &rulenum);
  for (int j = 0; status.ok() && j < rulenum; ++j) {
    Rule rule;
    status = parse_rule(&rule);
    if (status.ok()) rules->push_back(std::move(rule));
  }
  return status;
}

Status RuleParser::parse_rule(Rule* rule) {
  int num_of_pairs = 0;
  Status status = parser_.count("num_of_pairs=", &num_of_pairs);
  scanner_.skip_space();
  const std::size_t and_pair_num_at = scanner_.position();
  if (status.ok())
    status = parser_.count("and_pair_num=", &rule->conditions_to_meet);
  if (status.ok() && rule->conditions_to_meet == 0 && num_of_pairs > 0) {
    // Its partial-match score would divide by zero.
    return parser_.malformed_at(and_pair_num_at,
                                render<Detail::kAndPairNumZero>());
  }
  if (status.ok()) status = parser_.key("rule_accuracy=");
  if (status.ok())
    status = parser_.real_after("rule_accuracy=", &rule->accuracy);
  if (status.ok()) status = parser_.key("rule_quality=");
  if (status.ok()) status = parser_.real_after("rule_quality=", &rule->quality);
  if (status.ok()) status = parser_.count("posnum=", &rule->declared_positive);
  if (status.ok()) status = parser_.count("negnum=", &rule->declared_negative);
  std::vector<std::size_t> orflag_at;
  for (int k = 0; status.ok() && k < num_of_pairs; ++k) {
    ConditionPair pair;
    orflag_at.push_back(0);
    status = parse_pair(&pair, &orflag_at.back());
    if (status.ok()) rule->pairs.push_back(pair);
  }
  if (!status.ok()) return status;
  return compile(rule, orflag_at);
}

Status RuleParser::parse_pair(ConditionPair* pair, std::size_t* orflag_at) {
  Status status = parser_.key("attrino=");
  const std::size_t attrino_at = scanner_.position();
  if (status.ok()) status = parser_.integer_after("attrino=", &pair->attrino);
  if (!status.ok()) return status;
  if (pair->attrino < 0 || pair->attrino >= condition_count_) {
    return parser_.malformed_at(attrino_at,
                                render<Detail::kAttrinoNotACondition>(
                                    pair->attrino, condition_count_ - 1));
  }
  status = parser_.key("parino=");
  const std::size_t parino_at = scanner_.position();
  if (status.ok()) status = parser_.integer_after("parino=", &pair->parino);
  if (!status.ok()) return status;
  const Attribute& named = attribute(pair->attrino);
  if (pair->parino < 0 || pair->parino >= named.value_count) {
    const int last = named.value_count - 1;
    return parser_.malformed_at(
        parino_at, named.symbolic() ? render<Detail::kParinoNotAValue>(
                                          pair->parino, named.name, last)
                                    : render<Detail::kParinoNotABoundaryPoint>(
                                          pair->parino, named.name, last));
  }
  status = parser_.key("direction=");
  if (status.ok())
    status = parser_.integer_after("direction=", &pair->direction);
  if (status.ok()) status = parser_.key("orflag=");
  *orflag_at = scanner_.position();
  if (status.ok()) status = parser_.integer_after("orflag=", &pair->orflag);
  if (status.ok() && pair->orflag < 1) {
    return parser_.malformed_at(*orflag_at,
                                render<Detail::kOrflagBelowOne>(pair->orflag));
  }
  return status;
}

Status RuleParser::compile(Rule* rule,
                           const std::vector<std::size_t>& orflag_at) const {
  const std::optional<std::size_t> overrun = compile_rule(table_, rule);
  if (!overrun) return Status::Ok();
  return group_overrun(orflag_at[*overrun], rule->pairs[*overrun].orflag,
                       static_cast<int>(rule->pairs.size()));
}

}  // namespace

Status parse_rule_file(std::string_view text, const std::string& path,
                       const AttributeTable& table, std::FILE* out,
                       RuleStore* store, std::size_t split_from) {
  return RuleParser(text, path, table).parse(out, store, split_from);
}

Status read_rule_file(const std::string& path, const AttributeTable& table,
                      std::FILE* out, RuleStore* store) {
  std::string text;
  if (!read_whole_file(path, &text)) {
    return Status::Fatal(render<Message::kCannotOpenRules>(path));
  }
  return parse_rule_file(text, path, table, out, store);
}

}  // namespace ruleval
