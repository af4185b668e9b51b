#include "bench/workload.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

namespace ruleval::bench {
namespace {

// splitmix64: small, fast and the same everywhere, unlike the standard
// library's distributions.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}

  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  // 0 to n - 1.
  int below(int n) {
    return static_cast<int>(next() % static_cast<std::uint64_t>(n));
  }
  int between(int low, int high) { return low + below(high - low + 1); }
  double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
  bool chance(double p) { return unit() < p; }

 private:
  std::uint64_t state_;
};

// Independent streams for the attributes, the rules and the cases, so that
// more cases leave the rules alone and more rules leave the cases alone.
enum class Stream : std::uint64_t {
  kAttributes = 1,
  kRules = 2,
  kCases = 3,
  kHoles = 4
};

Random stream(std::uint64_t seed, Stream which) {
  Random mixer(seed * 0x100000001b3ULL + static_cast<std::uint64_t>(which));
  return Random(mixer.next());
}

constexpr const char* kWords[] = {
    "red",   "blue",  "green", "grey", "black", "white", "low",  "high",
    "mid",   "none",  "some",  "many", "north", "south", "east", "west",
    "old",   "new",   "used",  "rare", "often", "yes",   "no",   "maybe",
    "ok",    "bad",   "good",  "fair", "poor",  "rich",  "flat", "steep",
    "dry",   "wet",   "cold",  "warm", "hot",   "small", "big",  "tiny",
    "round", "sharp", "soft",  "hard", "fast",  "slow",  "up",   "down"};
constexpr int kWordCount = sizeof(kWords) / sizeof(kWords[0]);

constexpr const char* kClassNames[] = {
    "alpha", "beta", "gamma", "delta", "eps", "zeta", "eta",
    "theta", "iota", "kappa", "lamda", "mu",  "nu",   "xi",
    "omi",   "pi",   "rho",   "sigma", "tau", "ups",  "phi"};
constexpr int kClassNameCount = sizeof(kClassNames) / sizeof(kClassNames[0]);

struct Attribute {
  char flag = 'C';
  char type = 'S';
  std::string name;
  int priority = 0;
  std::vector<std::string> values;  // symbolic
  // Numeric: the boundary points and the highest value, in units of 1 for
  // type I and of 0.01 for type R. The first point is the lowest value.
  std::vector<long> points;
  long top = 0;
  double strength = 0.0;
  std::vector<int> favoured;  // per class, the code its cases lean to
  int attrino = -1;           // position in selected order (conditions)

  int codes() const {
    return static_cast<int>(type == 'S' ? values.size() : points.size());
  }
};

struct Model {
  std::vector<Attribute> attributes;  // in description order
  std::vector<int> conditions;        // indices of the C attributes
  int decision = -1;
  std::vector<double> class_weights;  // cumulative
  int majority = 0;
};

Attribute symbolic_attribute(Random* random, int values) {
  std::vector<int> words(kWordCount);
  for (int i = 0; i < kWordCount; ++i) words[i] = i;
  for (int i = 0; i < values; ++i) {
    std::swap(words[i], words[random->between(i, kWordCount - 1)]);
  }
  Attribute a;
  a.type = 'S';
  for (int i = 0; i < values; ++i) a.values.push_back(kWords[words[i]]);
  return a;
}

Attribute numeric_attribute(Random* random, char type, int points) {
  Attribute a;
  a.type = type;
  const long scale = type == 'R' ? 100 : 1;
  long point = random->between(0, 100) * scale / 2;
  const int step = type == 'R' ? 2000 : 400;  // the widest gap
  for (int i = 0; i < points; ++i) {
    a.points.push_back(point);
    point += random->between(step / 20, step) + 2;
  }
  a.top = point;
  return a;
}

Model make_model(const WorkloadShape& shape) {
  Random random = stream(shape.seed, Stream::kAttributes);
  Model model;
  std::vector<Attribute> conditions;
  for (int i = 0; i < shape.symbolic; ++i) {
    Attribute a = symbolic_attribute(
        &random, random.between(shape.min_values, shape.max_values));
    a.name = "sym" + std::to_string(i + 1);
    conditions.push_back(std::move(a));
  }
  for (int i = 0; i < shape.numeric; ++i) {
    const char type = i % 2 == 0 ? 'I' : 'R';
    Attribute a = numeric_attribute(
        &random, type, random.between(shape.min_points, shape.max_points));
    a.name = (type == 'I' ? "int" : "real") + std::to_string(i / 2 + 1);
    conditions.push_back(std::move(a));
  }
  // Priorities rank the attributes as a learner ranks them by information
  // gain: a shuffle of 1 to m. attrino follows them.
  std::vector<int> rank(conditions.size());
  for (std::size_t i = 0; i < rank.size(); ++i) rank[i] = static_cast<int>(i);
  for (std::size_t i = 0; i + 1 < rank.size(); ++i) {
    std::swap(rank[i], rank[random.between(static_cast<int>(i),
                                           static_cast<int>(rank.size()) - 1)]);
  }
  for (std::size_t i = 0; i < conditions.size(); ++i) {
    Attribute& a = conditions[i];
    a.priority = rank[i] + 1;
    a.attrino = rank[i];
    a.strength = shape.min_strength +
                 (shape.max_strength - shape.min_strength) * random.unit();
    for (int c = 0; c < shape.classes; ++c) {
      a.favoured.push_back(random.below(a.codes()));
    }
  }

  // Description order: the conditions with the excluded attributes spread
  // among them, the decision attribute last.
  const std::size_t gap =
      conditions.size() / static_cast<std::size_t>(shape.excluded + 1) + 1;
  int excluded = 0;
  for (std::size_t i = 0; i < conditions.size(); ++i) {
    if (i > 0 && i % gap == 0 && excluded < shape.excluded) {
      Attribute x = excluded % 2 == 0 ? symbolic_attribute(&random, 4)
                                      : numeric_attribute(&random, 'I', 3);
      x.flag = 'X';
      x.name = "note" + std::to_string(++excluded);
      model.attributes.push_back(std::move(x));
    }
    model.conditions.push_back(static_cast<int>(model.attributes.size()));
    model.attributes.push_back(std::move(conditions[i]));
  }
  while (excluded < shape.excluded) {
    Attribute x = numeric_attribute(&random, 'I', 3);
    x.flag = 'X';
    x.name = "note" + std::to_string(++excluded);
    model.attributes.push_back(std::move(x));
  }
  Attribute d;
  d.flag = 'D';
  d.type = 'S';
  d.name = "class";
  for (int c = 0; c < shape.classes; ++c) {
    d.values.push_back(
        kClassNames[c % kClassNameCount] +
        (c < kClassNameCount ? std::string() : std::to_string(c)));
  }
  model.decision = static_cast<int>(model.attributes.size());
  model.attributes.push_back(std::move(d));

  // Uneven class sizes, so that the majority class means something.
  double total = 0.0;
  double heaviest = 0.0;
  for (int c = 0; c < shape.classes; ++c) {
    const double weight = 1.0 + 2.0 * random.unit();
    if (weight > heaviest) {
      heaviest = weight;
      model.majority = c;
    }
    total += weight;
    model.class_weights.push_back(total);
  }
  for (double& w : model.class_weights) w /= total;
  return model;
}

int draw_class(const Model& model, Random* random) {
  const double u = random->unit();
  int c = 0;
  while (c + 1 < static_cast<int>(model.class_weights.size()) &&
         u >= model.class_weights[c]) {
    ++c;
  }
  return c;
}

int draw_code(const Attribute& a, int cls, Random* random) {
  if (random->chance(a.strength)) return a.favoured[cls];
  return random->below(a.codes());
}

// The share of the cases of class cls whose code on a is one of codes.
double code_share(const Attribute& a, int cls, const std::vector<int>& codes) {
  const bool favoured =
      std::find(codes.begin(), codes.end(), a.favoured[cls]) != codes.end();
  return (1.0 - a.strength) * static_cast<double>(codes.size()) / a.codes() +
         (favoured ? a.strength : 0.0);
}

std::vector<int> code_range(int from, int to) {
  std::vector<int> codes;
  for (int v = from; v <= to; ++v) codes.push_back(v);
  return codes;
}

// What a rule is expected to cover: per class, the share of its cases that
// meet every condition so far.
class Coverage {
 public:
  explicit Coverage(const Model& model)
      : model_(model), met_(model.class_weights.size(), 1.0) {}

  // Another condition, met by the given codes of a.
  void add(const Attribute& a, const std::vector<int>& codes) {
    for (std::size_t c = 0; c < met_.size(); ++c) {
      met_[c] *= code_share(a, static_cast<int>(c), codes);
    }
  }
  // The share of all cases.
  double total() const {
    double sum = 0.0;
    double before = 0.0;
    for (std::size_t c = 0; c < met_.size(); ++c) {
      sum += (model_.class_weights[c] - before) * met_[c];
      before = model_.class_weights[c];
    }
    return sum;
  }

 private:
  const Model& model_;
  std::vector<double> met_;
};

// A value of numeric attribute a in the interval of code k, in its units.
// Code 0 runs from the first point up to the second, code k from above
// point k up to point k + 1, the last code from above the last point to
// the top. Type R values never equal a point, so that rounding cannot move
// them across it.
long draw_number(const Attribute& a, int k, Random* random) {
  const int n = a.codes();
  const long low = k == 0 ? a.points[0] : a.points[k] + 1;
  long high = k == n - 1 ? a.top : a.points[k + 1];
  if (a.type == 'R' && k < n - 1) --high;
  return low + static_cast<long>(random->next() %
                                 static_cast<std::uint64_t>(high - low + 1));
}

// Buffered writing of one file, with its failure kept.
class Writer {
 public:
  explicit Writer(const std::string& path)
      : path_(path), file_(std::fopen(path.c_str(), "wb")) {
    buffer_.reserve(kChunk + 256);
  }
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;
  ~Writer() {
    if (file_ != nullptr) std::fclose(file_);
  }

  void text(std::string_view s) {
    buffer_.append(s);
    if (buffer_.size() >= kChunk) flush();
  }
  void integer(long v) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, v).ptr;
    text(std::string_view(digits, static_cast<std::size_t>(end - digits)));
  }
  // v / 100 with two decimals; v is not negative.
  void hundredths(long v) {
    integer(v / 100);
    const char frac[] = {'.', static_cast<char>('0' + v / 10 % 10),
                         static_cast<char>('0' + v % 10)};
    text(std::string_view(frac, 3));
  }
  void real(double v) {
    char digits[48];
    std::snprintf(digits, sizeof digits, "%f", v);
    text(digits);
  }

  // Writes what is left and closes; an empty text, or what failed.
  std::string close() {
    flush();
    if (file_ == nullptr) return "cannot write " + path_;
    const bool failed = std::fclose(file_) != 0 || failed_;
    file_ = nullptr;
    return failed ? "cannot write " + path_ : std::string();
  }

 private:
  static constexpr std::size_t kChunk = 1 << 20;

  void flush() {
    if (file_ != nullptr && !buffer_.empty() &&
        std::fwrite(buffer_.data(), 1, buffer_.size(), file_) !=
            buffer_.size()) {
      failed_ = true;
    }
    buffer_.clear();
  }

  std::string path_;
  std::FILE* file_;
  std::string buffer_;
  bool failed_ = false;
};

std::string write_description(const WorkloadShape& shape, const Model& model,
                              const std::string& path) {
  Writer out(path);
  out.text("Attrinum=");
  out.integer(static_cast<long>(model.attributes.size()));
  out.text("   Casenum=");
  out.integer(shape.cases);
  out.text("\n");
  long first = 0;
  for (const Attribute& a : model.attributes) {
    out.text("AttriFlag=");
    out.text(std::string(1, a.flag));
    out.text(" AttriName=");
    out.text(a.name);
    out.text(" AttriType=");
    out.text(std::string(1, a.type));
    out.text(" AttriPairNum=");
    out.integer(a.codes());
    out.text(" AttriValueP=");
    out.integer(first);
    out.text(" AttriPriority=");
    out.integer(a.priority);
    out.text("\n");
    for (int i = 0; i < a.codes(); ++i) {
      if (a.type == 'S') {
        out.text(a.values[i]);
      } else if (a.type == 'R') {
        out.hundredths(a.points[i]);
      } else {
        out.integer(a.points[i]);
      }
      out.text(" ");
    }
    out.text("\n");
    first += a.codes();
  }
  return out.close();
}

std::string write_cases(const WorkloadShape& shape, const Model& model,
                        const std::string& path) {
  Random random = stream(shape.seed, Stream::kCases);
  // Holes are drawn apart, so that the values around them stay the same.
  Random holes = stream(shape.seed, Stream::kHoles);
  Writer out(path);
  for (std::int64_t i = 0; i < shape.cases; ++i) {
    const int cls = draw_class(model, &random);
    bool first = true;
    for (const Attribute& a : model.attributes) {
      if (!first) out.text(",");
      first = false;
      int code = 0;
      if (a.flag == 'D') {
        code = cls;
      } else if (a.flag == 'X') {
        code = random.below(a.codes());
      } else {
        code = draw_code(a, cls, &random);
      }
      if (a.flag == 'C' && shape.missing_share > 0 &&
          holes.chance(shape.missing_share)) {
        // The value is drawn all the same, to keep the stream in step.
        if (a.type != 'S') draw_number(a, code, &random);
        out.text("?");
      } else if (a.type == 'S') {
        out.text(a.values[code]);
      } else if (a.type == 'R') {
        out.hundredths(draw_number(a, code, &random));
      } else {
        out.integer(draw_number(a, code, &random));
      }
    }
    out.text("\n");
  }
  return out.close();
}

struct Pair {
  int attrino;
  int parino;
  int direction;
  int orflag;
};

// One condition on attribute a that a case with code k meets: its pairs,
// the conditions it counts for and the codes that meet it.
struct Condition {
  std::vector<Pair> pairs;
  int count = 0;
  std::vector<int> codes;
};

Condition make_condition(const WorkloadShape& shape, const Attribute& a, int k,
                         int room, Random* random) {
  Condition condition;
  const int n = a.codes();
  if (a.type == 'S') {
    condition.count = 1;
    const double r = random->unit();
    if (n >= 3 && r < shape.negation_share) {
      int other = random->below(n - 1);
      if (other >= k) ++other;
      condition.pairs.push_back({a.attrino, other, 1, 1});
      condition.codes = code_range(0, n - 1);
      condition.codes.erase(condition.codes.begin() + other);
    } else if (n >= 3 && r < shape.negation_share + shape.or_group_share) {
      const int size = random->between(2, std::min(4, n - 1));
      std::vector<int> members = {k};
      while (static_cast<int>(members.size()) < size) {
        const int v = random->below(n);
        if (std::find(members.begin(), members.end(), v) == members.end()) {
          members.push_back(v);
        }
      }
      std::sort(members.begin(), members.end());
      condition.pairs.push_back({a.attrino, members[0], 0, size});
      for (int m = 1; m < size; ++m) {
        condition.pairs.push_back({a.attrino, members[m], 0, 1});
      }
      condition.codes = members;
    } else {
      condition.pairs.push_back({a.attrino, k, 0, 1});
      condition.codes = {k};
    }
    return condition;
  }
  // Numeric: "above point p" holds for codes p and up, "at or below point
  // p" for codes below p; points 1 to n - 1 are the cuts.
  const bool can_low = k >= 1;
  const bool can_high = k <= n - 2;
  const bool both =
      can_low && can_high && room >= 2 && random->chance(shape.two_sided_share);
  const bool low = both || (can_low && (!can_high || random->chance(0.5)));
  const bool high = both || !low;
  int from = 0;
  int to = n - 1;
  if (low) {
    from = random->between(std::max(1, k - shape.bound_slack), k);
    condition.pairs.push_back({a.attrino, from, 1, 1});
    ++condition.count;
  }
  if (high) {
    const int p =
        random->between(k + 1, std::min(n - 1, k + 1 + shape.bound_slack));
    to = p - 1;
    condition.pairs.push_back({a.attrino, p, 0, 1});
    ++condition.count;
  }
  condition.codes = code_range(from, to);
  return condition;
}

// One rule grown from a seed case of its concept: every condition holds
// for the seed case, as with a learner that specialises a rule around a
// case it must cover. Like a learner that goes on specialising a rule that
// still covers too much, it adds conditions until the share of all cases
// the rule is likely to cover falls below a target drawn for it (small
// targets more often, and now and then a large one for a general rule),
// each time the narrowest of a few candidates on attributes drawn by
// strength.
std::vector<Pair> grow_rule(const WorkloadShape& shape, const Model& model,
                            int concept_index, Random* random,
                            int* and_pair_num) {
  std::vector<int> seed(model.attributes.size(), 0);
  for (int i : model.conditions) {
    seed[i] = draw_code(model.attributes[i], concept_index, random);
  }
  const double target =
      random->chance(shape.general_share)
          ? shape.general_coverage
          : shape.max_coverage *
                std::pow(shape.min_coverage / shape.max_coverage,
                         std::sqrt(random->unit()));
  Coverage coverage(model);
  std::vector<int> unused = model.conditions;
  std::vector<Pair> pairs;
  int conditions = 0;
  while ((conditions < shape.min_conditions ||
          (coverage.total() > target && conditions < shape.max_conditions)) &&
         !unused.empty()) {
    std::size_t best_at = 0;
    Condition best;
    double best_total = 2.0;
    for (int tries = 0; tries < shape.candidates; ++tries) {
      double total = 0.0;
      for (int i : unused) total += 0.05 + model.attributes[i].strength;
      double u = random->unit() * total;
      std::size_t pick = 0;
      while (pick + 1 < unused.size() &&
             (u -= 0.05 + model.attributes[unused[pick]].strength) >= 0.0) {
        ++pick;
      }
      const Attribute& a = model.attributes[unused[pick]];
      Condition candidate =
          make_condition(shape, a, seed[unused[pick]],
                         shape.max_conditions - conditions, random);
      Coverage after = coverage;
      after.add(a, candidate.codes);
      if (after.total() < best_total) {
        best_total = after.total();
        best = std::move(candidate);
        best_at = pick;
      }
    }
    coverage.add(model.attributes[unused[best_at]], best.codes);
    unused.erase(unused.begin() + static_cast<std::ptrdiff_t>(best_at));
    pairs.insert(pairs.end(), best.pairs.begin(), best.pairs.end());
    conditions += best.count;
  }
  *and_pair_num = conditions;
  return pairs;
}

std::string write_rules(const WorkloadShape& shape, const Model& model,
                        const std::string& path) {
  Random random = stream(shape.seed, Stream::kRules);
  Writer out(path);
  out.text("Concept_num=");
  out.integer(shape.classes);
  out.text("  Total_rulenum=");
  out.integer(shape.rules);
  out.text("  Majority_class=");
  out.integer(model.majority);
  out.text("  Rule_qualityno=2\n");
  for (int c = 0; c < shape.classes; ++c) {
    const int rulenum =
        shape.rules / shape.classes + (c < shape.rules % shape.classes ? 1 : 0);
    out.text("Concept=");
    out.integer(c);
    out.text("  rulenum=");
    out.integer(rulenum);
    out.text("\n");
    for (int r = 0; r < rulenum; ++r) {
      int and_pair_num = 0;
      const std::vector<Pair> pairs =
          grow_rule(shape, model, c, &random, &and_pair_num);
      const int posnum = random.between(3, 400);
      const int negnum = random.between(0, posnum / 8);
      // Qualities spread over more than an order of magnitude.
      const double quality = std::exp(-2.3 + 3.4 * random.unit());
      out.text("num_of_pairs=");
      out.integer(static_cast<long>(pairs.size()));
      out.text("  and_pair_num=");
      out.integer(and_pair_num);
      out.text("  rule_accuracy=");
      out.real(static_cast<double>(posnum) / (posnum + negnum));
      out.text("  rule_quality=");
      out.real(quality);
      out.text("  posnum=");
      out.integer(posnum);
      out.text("  negnum=");
      out.integer(negnum);
      out.text("\n");
      for (const Pair& p : pairs) {
        out.text("attrino=");
        out.integer(p.attrino);
        out.text("  parino=");
        out.integer(p.parino);
        out.text("  direction=");
        out.integer(p.direction);
        out.text("  orflag=");
        out.integer(p.orflag);
        out.text("\n");
      }
    }
  }
  return out.close();
}

}  // namespace

std::optional<WorkloadShape> find_workload(std::string_view name) {
  WorkloadShape shape;
  shape.name = std::string(name);
  if (name == "wide" || name == "wide-missing" || name == "small") {
    const bool wide = name != "small";
    shape.seed = wide ? 20240601 : 20240602;
    shape.cases = wide ? 1000000 : 4000;
    shape.rules = wide ? 800 : 50;
    // wide-missing: wide with one condition value in twenty left out.
    if (name == "wide-missing") shape.missing_share = 0.05;
    shape.classes = 8;
    shape.symbolic = 10;
    shape.min_values = 3;
    shape.max_values = 12;
    shape.numeric = 10;
    shape.min_points = 3;
    shape.max_points = 10;
    shape.excluded = 2;
    shape.min_conditions = 1;
    shape.max_conditions = 6;
    shape.min_coverage = wide ? 1e-4 : 2e-3;
    shape.max_coverage = wide ? 0.02 : 0.3;
    shape.candidates = 2;
    shape.general_share = 0.004;
    shape.general_coverage = 0.15;
    shape.negation_share = 0.15;
    shape.or_group_share = 0.2;
    shape.two_sided_share = 0.25;
    shape.bound_slack = 1;
    shape.min_strength = 0.1;
    shape.max_strength = 0.6;
    return shape;
  }
  if (name == "rules") {
    shape.seed = 20240603;
    shape.cases = 100000;
    shape.rules = 10000;
    shape.classes = 10;
    shape.symbolic = 8;
    shape.min_values = 6;
    shape.max_values = 12;
    shape.numeric = 4;
    shape.min_points = 5;
    shape.max_points = 10;
    shape.min_conditions = 2;
    shape.max_conditions = 8;
    shape.min_coverage = 1e-5;
    shape.max_coverage = 1e-3;
    shape.candidates = 3;
    shape.negation_share = 0.03;
    shape.or_group_share = 0.07;
    shape.two_sided_share = 0.7;
    shape.bound_slack = 0;
    shape.min_strength = 0.2;
    shape.max_strength = 0.5;
    return shape;
  }
  return std::nullopt;
}

std::string write_workload(const WorkloadShape& shape, const std::string& dir) {
  const Model model = make_model(shape);
  const std::string base = dir + "/" + shape.name;
  std::string failure = write_description(shape, model, base + ".fmc");
  if (failure.empty()) failure = write_rules(shape, model, base + ".intr");
  if (failure.empty()) failure = write_cases(shape, model, base + ".tst");
  return failure;
}

}  // namespace ruleval::bench
