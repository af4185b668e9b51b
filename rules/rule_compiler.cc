#include "rules/rule_compiler.h"

#include <algorithm>
#include <vector>

namespace ruleval {
namespace {

class RuleCompiler {
 public:
  RuleCompiler(const AttributeTable& table,
               const std::vector<ConditionPair>& pairs)
      : table_(table), pairs_(pairs) {}

  std::optional<std::size_t> read_for_classification(
      std::vector<Condition>* conditions) const;
  std::optional<std::size_t> read_for_coverage(
      std::vector<Condition>* conditions) const;
  std::optional<std::size_t> read_for_text(
      std::vector<ShownCondition>* shown) const;
  bool has_groups() const {
    return std::any_of(
        pairs_.begin(), pairs_.end(),
        [&](const ConditionPair& pair) { return heads_group(pair); });
  }

 private:
  const Attribute& attribute(int a) const {
    return table_.attributes[static_cast<std::size_t>(a)];
  }
  bool heads_group(const ConditionPair& pair) const { return pair.orflag > 1; }
  // Whether the group of the pair at l runs past the last pair.
  bool overruns(std::size_t l) const {
    return static_cast<std::size_t>(pairs_[l].orflag) > pairs_.size() - l;
  }
  std::size_t group_end(std::size_t l) const {
    return l + static_cast<std::size_t>(pairs_[l].orflag);
  }
  Condition plain(const ConditionPair& pair) const;
  void members_on_their_attributes(std::size_t begin, std::size_t end,
                                   std::vector<Condition>* conditions) const;
  Condition members_on_head_attribute(std::size_t begin, std::size_t end) const;
  ShownCondition numeric_shown(std::size_t a) const;
  std::optional<std::size_t> symbolic_shown(std::size_t a,
                                            ShownCondition* shown) const;
  ShownValue shown_value(std::size_t a, const ConditionPair& pair) const;

  const AttributeTable& table_;
  const std::vector<ConditionPair>& pairs_;
};

Condition RuleCompiler::plain(const ConditionPair& pair) const {
  const auto code = static_cast<std::uint32_t>(pair.parino);
  const bool positive = pair.direction == 0;
  CodeSet codes =
      attribute(pair.attrino).symbolic()
          ? (positive ? CodeSet::equal_to(code) : CodeSet::other_than(code))
          : (positive ? CodeSet::below(code) : CodeSet::at_least(code));
  return Condition{std::move(codes), static_cast<std::uint32_t>(pair.attrino),
                   true, false};
}

// The classification reading of a group: each member names the code its own
// attribute must have; members on one attribute form one set, and the sets
// of several attributes a run of joined conditions.
void RuleCompiler::members_on_their_attributes(
    std::size_t begin, std::size_t end,
    std::vector<Condition>* conditions) const {
  std::vector<std::uint32_t> attributes;
  std::vector<std::vector<std::uint32_t>> codes;
  for (std::size_t m = begin; m < end; ++m) {
    const auto a = static_cast<std::uint32_t>(pairs_[m].attrino);
    const auto found = std::find(attributes.begin(), attributes.end(), a);
    const auto k = static_cast<std::size_t>(found - attributes.begin());
    if (found == attributes.end()) {
      attributes.push_back(a);
      codes.emplace_back();
    }
    codes[k].push_back(static_cast<std::uint32_t>(pairs_[m].parino));
  }
  for (std::size_t k = 0; k < attributes.size(); ++k) {
    conditions->push_back(Condition{CodeSet::one_of(std::move(codes[k])),
                                    attributes[k], false,
                                    k + 1 < attributes.size()});
  }
}

// The coverage reading of a group: every member's code is one the head's
// attribute may have.
Condition RuleCompiler::members_on_head_attribute(std::size_t begin,
                                                  std::size_t end) const {
  std::vector<std::uint32_t> codes;
  for (std::size_t m = begin; m < end; ++m)
    codes.push_back(static_cast<std::uint32_t>(pairs_[m].parino));
  const auto head = static_cast<std::uint32_t>(pairs_[begin].attrino);
  return Condition{CodeSet::one_of(std::move(codes)), head, false, false};
}

std::optional<std::size_t> RuleCompiler::read_for_classification(
    std::vector<Condition>* conditions) const {
  for (std::size_t l = 0; l < pairs_.size();) {
    if (!heads_group(pairs_[l])) {
      conditions->push_back(plain(pairs_[l]));
      ++l;
      continue;
    }
    if (overruns(l)) return l;
    members_on_their_attributes(l, group_end(l), conditions);
    l = group_end(l);
  }
  return std::nullopt;
}

std::optional<std::size_t> RuleCompiler::read_for_coverage(
    std::vector<Condition>* conditions) const {
  for (std::size_t l = 0; l < pairs_.size();) {
    const ConditionPair& pair = pairs_[l];
    if (!heads_group(pair) || !attribute(pair.attrino).symbolic() ||
        pair.direction != 0) {
      conditions->push_back(plain(pair));
      ++l;
      continue;
    }
    if (overruns(l)) return l;
    conditions->push_back(members_on_head_attribute(l, group_end(l)));
    l = group_end(l);
  }
  return std::nullopt;
}

// Every bound the pairs set on numeric attribute a, whatever group they
// stand in: the last of each side is shown.
ShownCondition RuleCompiler::numeric_shown(std::size_t a) const {
  ShownCondition shown;
  shown.attribute = static_cast<std::uint32_t>(a);
  for (const ConditionPair& pair : pairs_) {
    if (static_cast<std::size_t>(pair.attrino) != a) continue;
    (pair.direction == 0 ? shown.upper_point : shown.lower_point) = pair.parino;
  }
  return shown;
}

// The value a pair names, shown as a value of attribute a; a group member
// may stand on another attribute with a code beyond a's values, and is
// then shown as a value of its own attribute.
ShownValue RuleCompiler::shown_value(std::size_t a,
                                     const ConditionPair& pair) const {
  if (pair.parino >= 0 && pair.parino < table_.attributes[a].value_count)
    return {static_cast<std::uint32_t>(a), pair.parino};
  return {static_cast<std::uint32_t>(pair.attrino), pair.parino};
}

// The pairs of symbolic attribute a from the start of the rule: its first
// plain "is" pair ends the reading and gives the value; an "is" pair heading
// a group takes the group's members as the values the attribute may have
// (the last such group counts), less the values negated after it; "is not"
// pairs before any group give the values it must not have.
std::optional<std::size_t> RuleCompiler::symbolic_shown(
    std::size_t a, ShownCondition* shown) const {
  shown->attribute = static_cast<std::uint32_t>(a);
  for (std::size_t k = 0; k < pairs_.size();) {
    const ConditionPair& pair = pairs_[k];
    if (static_cast<std::size_t>(pair.attrino) != a) {
      ++k;
    } else if (pair.direction == 0 && !heads_group(pair)) {
      shown->has_value = true;
      shown->value = shown_value(a, pair);
      break;
    } else if (pair.direction == 0) {
      if (overruns(k)) return k;
      shown->list = ShownCondition::List::kAnyOf;
      shown->values.clear();
      for (std::size_t m = k; m < group_end(k); ++m)
        shown->values.push_back(shown_value(a, pairs_[m]));
      k = group_end(k);
    } else if (shown->list == ShownCondition::List::kAnyOf) {
      const auto found = std::find_if(
          shown->values.begin(), shown->values.end(),
          [&](const ShownValue& value) { return value.code == pair.parino; });
      if (found != shown->values.end()) shown->values.erase(found);
      ++k;
    } else {
      shown->list = ShownCondition::List::kNoneOf;
      shown->values.push_back(shown_value(a, pair));
      ++k;
    }
  }
  return std::nullopt;
}

std::optional<std::size_t> RuleCompiler::read_for_text(
    std::vector<ShownCondition>* shown) const {
  // One entry per attribute the pairs name, by ascending attribute.
  shown->reserve(pairs_.size());
  for (const ConditionPair& pair : pairs_) {
    const auto a = static_cast<std::uint32_t>(pair.attrino);
    if (std::none_of(shown->begin(), shown->end(),
                     [&](const ShownCondition& s) { return s.attribute == a; }))
      shown->emplace_back().attribute = a;
  }
  std::sort(shown->begin(), shown->end(),
            [](const ShownCondition& x, const ShownCondition& y) {
              return x.attribute < y.attribute;
            });
  // Each attribute is read on its own; the first overrun in pair order is
  // the first among theirs.
  std::optional<std::size_t> overrun;
  for (ShownCondition& condition : *shown) {
    const std::size_t a = condition.attribute;
    if (!table_.attributes[a].symbolic()) {
      condition = numeric_shown(a);
      continue;
    }
    const std::optional<std::size_t> at = symbolic_shown(a, &condition);
    if (at && (!overrun || *at < *overrun)) overrun = at;
  }
  return overrun;
}

}  // namespace

CodeSet CodeSet::one_of(std::vector<std::uint32_t> codes) {
  std::sort(codes.begin(), codes.end());
  codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
  CodeSet set(Kind::kOneOf, static_cast<std::uint32_t>(codes.size()));
  set.members_ = std::make_unique<std::uint32_t[]>(codes.size());
  std::copy(codes.begin(), codes.end(), set.members_.get());
  return set;
}

CodeSet::CodeSet(const CodeSet& other)
    : bound_(other.bound_), kind_(other.kind_) {
  if (other.members_) {
    members_ = std::make_unique<std::uint32_t[]>(bound_);
    std::copy(other.members_.get(), other.members_.get() + bound_,
              members_.get());
  }
}

CodeSet& CodeSet::operator=(const CodeSet& other) {
  if (this != &other) *this = CodeSet(other);
  return *this;
}

bool operator==(const CodeSet& a, const CodeSet& b) {
  if (a.kind_ != b.kind_ || a.bound_ != b.bound_) return false;
  return a.kind_ != CodeSet::Kind::kOneOf ||
         std::equal(a.members_.get(), a.members_.get() + a.bound_,
                    b.members_.get());
}

std::optional<std::size_t> compile_rule(const AttributeTable& table,
                                        Rule* rule) {
  const RuleCompiler compiler(table, rule->pairs);
  rule->classified_conditions.clear();
  rule->coverage_conditions.clear();
  rule->shown.clear();
  // No more conditions than pairs: room for them at once.
  rule->classified_conditions.reserve(rule->pairs.size());
  std::optional<std::size_t> overrun =
      compiler.read_for_classification(&rule->classified_conditions);
  // Without OR groups both readings are the plain conditions, pair by pair:
  // the coverage reading is left empty.
  if (!overrun && compiler.has_groups())
    overrun = compiler.read_for_coverage(&rule->coverage_conditions);
  if (!overrun) overrun = compiler.read_for_text(&rule->shown);
  // When both readings agree (then no classified condition is joined, as
  // none of the scan's is), the classifier's conditions, whose groups end no
  // scan either, serve the coverage scan too: having no coverage conditions
  // of its own marks such a rule. A rule whose readings differ has some, as
  // its OR groups give at least one.
  if (!overrun && rule->classified_conditions == rule->coverage_conditions) {
    std::vector<Condition>().swap(rule->coverage_conditions);
  }
  return overrun;
}

}  // namespace ruleval
