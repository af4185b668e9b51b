// The figures on a hand-worked confusion matrix, the predictions' quoting
// of labels, the JSON text's numbers, and the HTML page's escaping.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "evaluate/html_text.h"
#include "evaluate/json_text.h"
#include "evaluate/predictions_csv.h"
#include "evaluate/result_figures.h"
#include "evaluate/rule_matcher.h"
#include "tests/rule_fixtures.h"

namespace ruleval {
namespace {

ConfusionMatrix matrix_of(const std::vector<std::vector<int>>& rows) {
  ConfusionMatrix matrix(static_cast<int>(rows.size()));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    for (std::size_t j = 0; j < rows.size(); ++j) {
      for (int k = 0; k < rows[i][j]; ++k)
        matrix.add(static_cast<int>(i), static_cast<int>(j));
    }
  }
  return matrix;
}

void expect_figure(const Figure& expected, const Figure& got,
                   const char* what) {
  ASSERT_EQ(expected.has_value(), got.has_value()) << what;
  if (expected) {
    EXPECT_NEAR(*expected, *got, 1e-15) << what;
  }
}

// 12 cases; class 2 has none but is given once. Worked by hand: kappa
// (12·8 − 69) / (144 − 69), MCC 27 / √(78·70).
TEST(ResultFiguresTest, HandWorkedMatrix) {
  const Figures f =
      compute_figures(matrix_of({{5, 1, 1}, {2, 3, 0}, {0, 0, 0}}));
  EXPECT_EQ(12, f.cases);
  EXPECT_EQ(8, f.correct);
  const ClassFigures& third = f.classes[2];
  EXPECT_EQ(
      (std::vector<long long>{0, 1, 0, 1, 0, 11}),
      (std::vector<long long>{third.support, third.predicted,
                              third.true_positives, third.false_positives,
                              third.false_negatives, third.true_negatives}));
  const struct {
    const char* what;
    Figure got;
    Figure expected;
  } figures[] = {
      {"accuracy", f.accuracy, 8.0 / 12},
      {"recall 0", f.classes[0].recall, 5.0 / 7},
      {"specificity 1", f.classes[1].specificity, 6.0 / 7},
      {"f1 1", f.classes[1].f1, 6.0 / 9},
      {"recall 2", third.recall, std::nullopt},
      {"precision 2", third.precision, 0.0},
      {"f1 2", third.f1, 0.0},
      {"recall-precision mean 1", f.classes[1].recall_precision_mean,
       std::sqrt(0.6 * 0.75)},
      {"recall-specificity mean 2", third.recall_specificity_mean,
       std::nullopt},
      {"macro precision", f.macro.precision, (5.0 / 7 + 0.75 + 0) / 3},
      {"macro recall", f.macro.recall, (5.0 / 7 + 0.6) / 2},
      {"weighted precision", f.weighted.precision, (5 + 3.75) / 12},
      {"weighted f1", f.weighted.f1, (5 + 5 * 6.0 / 9) / 12},
      {"balanced accuracy", f.balanced_accuracy, (5.0 / 7 + 0.6) / 2},
      {"kappa", f.cohen_kappa, 27.0 / 75},
      {"mcc", f.matthews_correlation, 27 / std::sqrt(78.0 * 70)},
  };
  for (const auto& figure : figures)
    expect_figure(figure.expected, figure.got, figure.what);
}

TEST(ResultFiguresTest, FiguresOverNothingDoNotExist) {
  const Figures none = compute_figures(matrix_of({{0, 0}, {0, 0}}));
  for (const Figure& figure :
       {none.accuracy, none.macro.precision, none.weighted.recall,
        none.cohen_kappa, none.matthews_correlation, none.balanced_accuracy,
        none.classes[0].specificity}) {
    EXPECT_FALSE(figure.has_value());
  }
  // One class alone, always right: no agreement beyond chance to measure.
  const Figures one = compute_figures(matrix_of({{4, 0}, {0, 0}}));
  EXPECT_FALSE(one.cohen_kappa.has_value());
  EXPECT_FALSE(one.matthews_correlation.has_value());
  expect_figure(1.0, one.accuracy, "accuracy");
}

TEST(PredictionsTest, QuotesLabelsThatHoldACommaOrAQuote) {
  EXPECT_EQ("yes", csv_field("yes"));
  EXPECT_EQ("\"a,b\"", csv_field("a,b"));
  EXPECT_EQ("\"say \"\"hi\"\"\"", csv_field("say \"hi\""));
  EXPECT_EQ("\"two\r\nlines\"", csv_field("two\r\nlines"));

  AttributeTable table = testing::selected_table({{'S', 2}, {'S', 2}});
  const auto first = static_cast<std::size_t>(table.attributes[1].first_value);
  table.values[first].text = "a,b";
  table.values[first + 1].text = "say \"hi\"";
  RuleStore rules;
  rules.concepts = {{testing::make_rule(table, 1.5f, {{0, 0, 0, 1}})},
                    {testing::make_rule(table, 0.5f, {{0, 1, 0, 1}})}};
  const CaseBuffer cases = testing::case_buffer({{0, 1}, {1, 1}});
  Classifications given;
  MatchDetails details;
  ASSERT_TRUE(match_rules(table, cases, MatchMethod::kReference, &rules, &given,
                          &details)
                  .ok());
  std::string csv;
  write_predictions({table, cases, rules, given, details}, 2,
                    [&](std::string_view text) { csv += text; });
  EXPECT_EQ(
      "case,actual,given,correct,route,score,runner_up,runner_up_score,"
      "margin,full_matches\r\n"
      "1,\"say \"\"hi\"\"\",\"a,b\",0,full,1.5,,,,\"a,b:1\"\r\n"
      "2,\"say \"\"hi\"\"\",\"say \"\"hi\"\"\",1,full,0.5,,,,"
      "\"say \"\"hi\"\":1\"\r\n",
      csv);
}

TEST(JsonTextTest, RealsReadBackTheSameAndNothingElseIsWritten) {
  Json document;
  document["reals"] = {1.0, 0.1, 2.0 / 3, 1e-7};
  document["not_finite"] = std::numeric_limits<double>::infinity();
  document["nested"] = Json::array({Json{{"n", 3}}});
  EXPECT_EQ(
      "{\n"
      "  \"reals\": [1.0, 0.1, 0.6666666666666666, 1e-07],\n"
      "  \"not_finite\": null,\n"
      "  \"nested\": [\n"
      "    {\n"
      "      \"n\": 3\n"
      "    }\n"
      "  ]\n"
      "}\n",
      json_text(document));
}

// Bytes outside well-formed UTF-8 (stray, overlong, surrogate, cut short),
// controls and noncharacters each become U+FFFD; markup becomes text.
TEST(HtmlTextTest, EscapesAndRepairsWhatTheInputsHold) {
  const std::string r = "\xEF\xBF\xBD";
  const struct {
    std::string in;
    std::string escaped;
  } cases[] = {
      {"<script>a&b</script>", "&lt;script&gt;a&amp;b&lt;/script&gt;"},
      {"\"q\" it's", "&quot;q&quot; it&#39;s"},
      {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80",
       "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
      {"n\xE9!", "n" + r + "!"},
      {"\xC0\xAF", r + r},
      {"\xED\xA0\x80", r + r + r},
      {"end\xE2\x82", "end" + r + r},
      {"a\x01\x7F\xC2\x85\tb", "a" + r + r + r + "\tb"},
      {"\xEF\xBF\xBF\xEF\xB7\x90", r + r},
  };
  for (const auto& c : cases) EXPECT_EQ(c.escaped, html_escape(c.in)) << c.in;
  EXPECT_EQ("abc\xE2\x80\xA6", shortened("abcdef", 4));
  EXPECT_EQ("h\xC3\xA9llo", shortened("h\xC3\xA9llo", 5));
  EXPECT_EQ("h\xC3\xA9\xE2\x80\xA6", shortened("h\xC3\xA9llo", 3));
  EXPECT_EQ("n/a", percent_text(std::nullopt, 1));
  EXPECT_EQ("64.3%", percent_text(9.0 / 14, 1));
}

}  // namespace
}  // namespace ruleval
