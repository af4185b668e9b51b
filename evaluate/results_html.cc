#include "evaluate/results_html.h"

#include <algorithm>
#include <filesystem>
#include <numeric>
#include <vector>

#include "common/numbers.h"
#include "evaluate/class_labels.h"
#include "evaluate/html_text.h"
#include "evaluate/result_figures.h"
#include "evaluate/rule_text.h"

namespace ruleval {
namespace {

// Cells tinted at least this much take light text: the heat colour's
// blend with a white background is then darker than mid-grey.
constexpr double kStrongTint = 0.75;
// The tint of a cell with the least share above none.
constexpr double kLeastTint = 0.08;
// More classes than this turn the matrix's column labels upright.
constexpr int kUprightColumnsAbove = 4;
constexpr std::size_t kRowLabelLength = 28;
constexpr std::size_t kColumnLabelLength = 20;

constexpr const char* kStyle = R"css(
:root{color-scheme:light dark;--bg:#fff;--fg:#1c2230;--muted:#5e6a7a;--line:#e1e5ea;--panel:#f5f7fa;--heat:31 95 168;--diag:#0a2a57;--accent:#1f5fa8;--bad:#b42318;--track:#e6eaef;--strong:#fff}
@media (prefers-color-scheme:dark){:root{--bg:#15181d;--fg:#e5e8ed;--muted:#97a1ae;--line:#2b313a;--panel:#1c2128;--heat:61 125 215;--diag:#d7e6ff;--accent:#6fa8f0;--bad:#f97066;--track:#2b313a}}
*{box-sizing:border-box}
html{background:var(--bg);color:var(--fg)}
body{margin:0;font:15px/1.45 system-ui,-apple-system,"Segoe UI",Roboto,"Helvetica Neue",Arial,sans-serif;font-variant-numeric:tabular-nums}
main{max-width:1200px;margin:0 auto;padding:28px 32px 56px}
h1{font-size:26px;margin:0 0 4px;font-weight:650;overflow-wrap:anywhere}
h2{font-size:18px;margin:40px 0 14px;padding-bottom:6px;border-bottom:1px solid var(--line);font-weight:620}
h3{font-size:15px;margin:26px 0 8px;font-weight:620}
p{margin:6px 0}
.eyebrow{color:var(--accent);font-size:12px;font-weight:650;letter-spacing:.08em;text-transform:uppercase;margin:0}
.muted,.meta{color:var(--muted)}
.meta{font-size:13px}
code,td.cond{font-family:ui-monospace,"SFMono-Regular",Menlo,Consolas,"DejaVu Sans Mono",monospace;font-size:13px}
dl.files{display:grid;grid-template-columns:max-content 1fr;gap:2px 14px;margin:12px 0 0;font-size:13px}
dl.files dt{color:var(--muted)}
dl.files dd{margin:0;overflow-wrap:anywhere}
.tiles{display:grid;grid-template-columns:repeat(auto-fit,minmax(170px,1fr));gap:12px;margin-top:22px}
.tile{background:var(--panel);border:1px solid var(--line);border-radius:8px;padding:10px 14px}
.tile .k{font-size:12px;color:var(--muted);text-transform:uppercase;letter-spacing:.05em}
.tile .v{font-size:26px;font-weight:650;line-height:1.25}
.tile .s{font-size:12.5px;color:var(--muted)}
table{border-collapse:collapse}
.data td,.data th{padding:5px 10px;border-bottom:1px solid var(--line);text-align:right;vertical-align:middle}
.data thead th{font-size:12.5px;font-weight:600;color:var(--muted);border-bottom:1px solid var(--muted);white-space:nowrap}
.data .l{text-align:left}
.data td.fig{white-space:nowrap}
.data td.fig span{display:inline-block;min-width:3.6em}
svg.bar{vertical-align:middle;margin-left:8px}
svg.bar .track{fill:var(--track)}
svg.bar .fill{fill:var(--accent)}
.bad{color:var(--bad);font-weight:600}
.scroll{overflow-x:auto;max-width:100%}
.matrix{border-collapse:separate;border-spacing:2px}
.matrix th{font-weight:500;font-size:13px}
.matrix th.corner{text-align:right;vertical-align:bottom;color:var(--muted);font-size:12px;font-weight:500;padding:0 8px 6px 0;white-space:nowrap}
.matrix th.col{vertical-align:bottom;padding:0 2px 6px;white-space:nowrap}
.matrix.upright th.col span{writing-mode:vertical-rl;transform:rotate(180deg)}
.matrix th.row{text-align:right;white-space:nowrap;padding:0 8px 0 0;position:sticky;left:0;background:var(--bg)}
.matrix td.cell{min-width:38px;height:32px;padding:0 4px;text-align:center;border-radius:3px;background:rgb(var(--heat)/var(--s))}
.matrix.roomy td.cell{min-width:72px;height:48px;font-size:17px}
.matrix.roomy th{font-size:14px}
.matrix td.cell.strong{color:var(--strong);font-weight:600}
.matrix td.cell.zero{color:var(--muted);opacity:.55}
.matrix td.diag{box-shadow:inset 0 0 0 2px var(--diag)}
.matrix .margin{color:var(--muted);font-size:11.5px;text-align:center;padding:0 4px;white-space:nowrap}
.matrix th.margin-head{color:var(--muted);font-size:12px;vertical-align:bottom;padding:0 6px 6px}
.legend{display:flex;align-items:center;gap:8px;font-size:12.5px;color:var(--muted);margin-top:10px}
.legend .ramp{width:160px;height:10px;border-radius:2px;background:linear-gradient(to right,rgb(var(--heat)/0),rgb(var(--heat)/1));border:1px solid var(--line)}
.legend .diag-key{display:inline-block;width:14px;height:14px;border-radius:3px;box-shadow:inset 0 0 0 2px var(--diag);margin-left:14px}
table.rules{width:100%}
table.rules td,table.rules th{width:1%;white-space:nowrap}
table.rules td.cond,table.rules th.cond{width:auto;white-space:normal;text-align:left;overflow-wrap:anywhere;min-width:16em}
footer{margin-top:48px;font-size:12px;color:var(--muted)}
@media print{
:root{--bg:#fff;--fg:#000;--muted:#444;--line:#ccc;--panel:#fff;--heat:31 95 168;--diag:#0a2a57;--accent:#1f5fa8;--bad:#b42318;--track:#e6eaef}
*{-webkit-print-color-adjust:exact;print-color-adjust:exact}
body{font-size:10pt}
main{max-width:none;padding:0}
.scroll{overflow:visible}
.matrix th.row{position:static}
h2,h3{break-after:avoid}
tr,.tile{break-inside:avoid}
}
)css";

using Labels = std::vector<std::string>;

// A count with its thousands grouped by commas ("71,549"); the matrix's
// cells, narrow, write theirs plain.
std::string count_text(long long n) {
  const std::string digits = std::to_string(n);
  std::string grouped;
  for (std::size_t k = 0; k < digits.size(); ++k) {
    const std::size_t left = digits.size() - k;  // digits from here on
    if (k > 0 && digits[k - 1] != '-' && left % 3 == 0) grouped += ',';
    grouped += digits[k];
  }
  return grouped;
}

std::string data_set_name(const RunNames& names) {
  return std::filesystem::path(names.description).stem().string();
}

void open_page(const std::string& title, std::string* out) {
  *out +=
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, "
      "initial-scale=1\">\n"
      "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src "
      "'none'; style-src 'unsafe-inline'\">\n"
      "<meta name=\"color-scheme\" content=\"light dark\">\n<title>" +
      html_escape(title) + "</title>\n<style>" + kStyle +
      "</style>\n</head>\n<body>\n<main>\n";
}

void tile(const std::string& key, const std::string& value,
          const std::string& value_attributes, const std::string& sub,
          std::string* out) {
  *out += "<div class=\"tile\"><div class=\"k\">" + key +
          "</div><div class=\"v\"" + value_attributes + ">" + value +
          "</div><div class=\"s\">" + sub + "</div></div>\n";
}

// The value of a figure for a program reading the page: its shortest
// text, or empty when it does not exist.
std::string data_value(const Figure& value) {
  return " data-value=\"" + (value ? shortest_text(*value) : "") + "\"";
}

// The data set, the program and when it ran, the input files.
void run_lines(const RunNames& names, std::string* out) {
  *out += "<p class=\"eyebrow\">Rule evaluation</p>\n<h1>" +
          html_escape(data_set_name(names)) +
          "</h1>\n<p class=\"meta\">ruleval " + html_escape(names.version) +
          " · run <time id=\"run-date\">" + html_escape(names.date) +
          "</time></p>\n<dl class=\"files\">";
  for (const auto& [key, path] : {std::pair{"Description", &names.description},
                                  {"Test data", &names.test_data},
                                  {"Rules", &names.rules}}) {
    *out += std::string("<dt>") + key + "</dt><dd><code>" + html_escape(*path) +
            "</code></dd>";
  }
  *out += "</dl>\n";
}

void figure_tiles(const RunFindings& findings, const ResultTally& tally,
                  const Figures& figures, std::string* out) {
  *out += "<div class=\"tiles\">\n";
  tile("Accuracy", percent_text(figures.accuracy, 2),
       " id=\"accuracy\"" + data_value(figures.accuracy),
       count_text(figures.correct) + " of " + count_text(figures.cases) +
           " cases right",
       out);
  tile("Cohen's kappa", real_text(figures.cohen_kappa, 3),
       " id=\"kappa\"" + data_value(figures.cohen_kappa),
       "agreement beyond chance", out);
  tile("Matthews correlation", real_text(figures.matthews_correlation, 3),
       " id=\"mcc\"" + data_value(figures.matthews_correlation),
       "over all classes", out);
  tile("Balanced accuracy", percent_text(figures.balanced_accuracy, 2),
       " id=\"balanced-accuracy\"" + data_value(figures.balanced_accuracy),
       "mean recall of the classes", out);
  std::string scored = count_text(figures.cases) + " scored";
  if (tally.unscored > 0)
    scored += ", " + count_text(tally.unscored) + " without class";
  tile("Cases", count_text(static_cast<long long>(findings.cases.num_cases())),
       " id=\"cases\"", scored, out);
  const Figure full_share = ratio(static_cast<double>(tally.routes[0].cases),
                                  static_cast<double>(figures.cases));
  tile("Full match", percent_text(full_share, 1), " id=\"routes\"",
       count_text(tally.routes[0].cases) + " cases; " +
           count_text(tally.routes[1].cases) + " by partial match, " +
           count_text(tally.routes[2].cases) + " by none",
       out);
  *out += "</div>\n";
}

std::string label_cell(const char* tag, const std::string& classes,
                       const std::string& label, std::size_t length,
                       const std::string& attributes) {
  return std::string("<") + tag + " class=\"" + classes + "\" title=\"" +
         html_escape(label) + "\"" + attributes + "><span>" +
         html_escape(shortened(label, length)) + "</span></" + tag + ">";
}

void matrix_head(const Labels& labels, std::string* out) {
  *out +=
      "<thead><tr><th class=\"corner\" scope=\"col\">actual ↓ · given "
      "→</th>";
  for (std::size_t j = 0; j < labels.size(); ++j) {
    *out +=
        label_cell("th", "col", labels[j], kColumnLabelLength,
                   " scope=\"col\" data-given=\"" + std::to_string(j) + "\"");
  }
  *out += "<th class=\"margin-head\" scope=\"col\">recall</th></tr></thead>\n";
}

std::string matrix_cell(const ConfusionMatrix& matrix, int i, int j,
                        const Labels& labels) {
  const long long n = matrix.cell(i, j);
  const Figure share =
      ratio(static_cast<double>(n), static_cast<double>(matrix.row_sum(i)));
  // A cell that holds cases is tinted however small its share, so that
  // no mistake fades into the background.
  const double s = n == 0 ? 0.0 : kLeastTint + (1 - kLeastTint) * *share;
  std::string classes = "cell";
  if (i == j) classes += " diag";
  if (n == 0) classes += " zero";
  if (s >= kStrongTint) classes += " strong";
  const auto at = [&](int k) { return labels[static_cast<std::size_t>(k)]; };
  const std::string title = "actual " + at(i) + ", given " + at(j) + ": " +
                            std::to_string(n) + " (" + percent_text(share, 1) +
                            " of the row)";
  char style[32];
  std::snprintf(style, sizeof style, "--s:%.3f", s);
  return "<td class=\"" + classes + "\" style=\"" + style +
         "\" data-actual=\"" + std::to_string(i) + "\" data-given=\"" +
         std::to_string(j) + "\" title=\"" + html_escape(title) + "\">" +
         std::to_string(n) + "</td>";
}

void matrix_part(const ConfusionMatrix& matrix, const Figures& figures,
                 const Labels& labels, std::string* out) {
  const int n = matrix.classes();
  *out +=
      "<section id=\"matrix\">\n<h2>Confusion matrix</h2>\n<p "
      "class=\"muted\">Rows are the actual classes, columns the classes "
      "given; each cell's colour is its share of its row.</p>\n"
      "<div class=\"scroll\"><table id=\"confusion-matrix\" class=\"matrix";
  *out += n > kUprightColumnsAbove ? " upright" : " roomy";
  *out += "\" data-classes=\"" + std::to_string(n) + "\">\n";
  matrix_head(labels, out);
  *out += "<tbody>\n";
  for (int i = 0; i < n; ++i) {
    const auto at = static_cast<std::size_t>(i);
    *out += "<tr>" + label_cell("th", "row", labels[at], kRowLabelLength,
                                " scope=\"row\" data-actual=\"" +
                                    std::to_string(i) + "\"");
    for (int j = 0; j < n; ++j) *out += matrix_cell(matrix, i, j, labels);
    *out += "<td class=\"margin\">" +
            percent_text(figures.classes[at].recall, 0) + "</td></tr>\n";
  }
  *out += "<tr><th class=\"row margin\" scope=\"row\">precision</th>";
  for (const ClassFigures& f : figures.classes)
    *out += "<td class=\"margin\">" + percent_text(f.precision, 0) + "</td>";
  *out +=
      "<td></td></tr>\n</tbody>\n</table></div>\n<div class=\"legend\">"
      "<span>0% of the row</span><span class=\"ramp\"></span><span>100%"
      "</span><span class=\"diag-key\"></span><span>actual = given</span>"
      "</div>\n</section>\n";
}

std::string figure_cell(const Figure& value) {
  return "<td class=\"fig\"><span>" + percent_text(value, 1) + "</span>" +
         bar_svg(value, 72, 8) + "</td>";
}

void classes_part(const Figures& figures, const Labels& labels,
                  std::string* out) {
  *out +=
      "<section id=\"classes\">\n<h2>Classes</h2>\n<div "
      "class=\"scroll\"><table class=\"data\" id=\"class-figures\">\n"
      "<thead><tr><th class=\"l\" scope=\"col\">Class</th><th "
      "scope=\"col\">Support</th><th scope=\"col\">Recall</th><th "
      "scope=\"col\">Precision</th><th scope=\"col\">F1</th><th scope=\"col\" "
      "title=\"geometric mean of recall and precision\">√(recall·precision)"
      "</th><th scope=\"col\" title=\"geometric mean of recall and "
      "specificity\">√(recall·specificity)</th></tr></thead>\n<tbody>\n";
  for (std::size_t k = 0; k < labels.size(); ++k) {
    const ClassFigures& f = figures.classes[k];
    *out +=
        "<tr data-class=\"" + std::to_string(k) + "\">" +
        label_cell("th", "l", labels[k], kRowLabelLength, " scope=\"row\"") +
        "<td>" + count_text(f.support) + "</td>" + figure_cell(f.recall) +
        figure_cell(f.precision) + figure_cell(f.f1) +
        figure_cell(f.recall_precision_mean) +
        figure_cell(f.recall_specificity_mean) + "</tr>\n";
  }
  *out += "</tbody>\n</table></div>\n</section>\n";
}

void route_row(const std::string& name, const RouteCounts& counts,
               const std::string& id, std::string* out) {
  const Figure accuracy = ratio(static_cast<double>(counts.correct),
                                static_cast<double>(counts.cases));
  *out += "<tr id=\"" + id + "\"><th class=\"l\" scope=\"row\">" + name +
          "</th><td>" + count_text(counts.cases) + "</td><td>" +
          count_text(counts.correct) + "</td>" + figure_cell(accuracy) +
          "</tr>\n";
}

void decisions_part(const RunFindings& findings, const ResultTally& tally,
                    const Labels& labels, std::string* out) {
  const auto majority = static_cast<std::size_t>(findings.rules.majority_class);
  const std::string majority_label =
      majority < labels.size() ? labels[majority] : "none";
  *out +=
      "<section id=\"decisions\">\n<h2>How the cases were decided</h2>\n"
      "<p>A case goes to the class whose fully matched rules weigh most; "
      "failing a full match, to the class of the best partial match; "
      "failing that, to the majority class, <strong id=\"majority-class\">" +
      html_escape(majority_label) +
      "</strong>.</p>\n<table class=\"data\">\n<thead><tr><th class=\"l\" "
      "scope=\"col\">Route</th><th scope=\"col\">Cases</th><th "
      "scope=\"col\">Correct</th><th scope=\"col\">Accuracy</th></tr>"
      "</thead>\n<tbody>\n";
  route_row("Full match", tally.routes[0], "route-full", out);
  route_row("Partial match", tally.routes[1], "route-partial", out);
  route_row("None: majority class", tally.routes[2], "route-none", out);
  if (tally.with_missing_values.cases > 0) {
    route_row("Of them, lacking a condition value", tally.with_missing_values,
              "with-missing-values", out);
  }
  *out += "</tbody>\n</table>\n";
  if (tally.unscored > 0) {
    *out += "<p class=\"muted\">" + count_text(tally.unscored) +
            " cases without a class value are not scored.</p>\n";
  }
  *out += "</section>\n";
}

// The rules of a concept in the order the page lists them: those that
// decided the most cases first, then by number; at most kRulesShownPerClass.
std::vector<std::size_t> rules_shown(std::size_t count, std::size_t first,
                                     const ResultTally& tally) {
  std::vector<std::size_t> order(count);
  std::iota(order.begin(), order.end(), std::size_t{0});
  const auto decided = [&](std::size_t j) {
    const std::size_t r = first + j;
    return r < tally.rules.size() ? tally.rules[r].helped_decide : 0;
  };
  const std::size_t shown = std::min(count, kRulesShownPerClass);
  std::partial_sort(order.begin(), order.begin() + static_cast<long>(shown),
                    order.end(), [&](std::size_t a, std::size_t b) {
                      const long long da = decided(a);
                      const long long db = decided(b);
                      return da != db ? da > db : a < b;
                    });
  order.resize(shown);
  return order;
}

std::string rule_row(const AttributeTable& table, const Rule& rule,
                     std::size_t j, const RuleCounts* counts) {
  const auto count = [&](long long RuleCounts::*field) {
    return counts != nullptr ? count_text(counts->*field) : "n/a";
  };
  const bool wrong = counts != nullptr && counts->wrong > 0;
  return "<tr data-rule=\"" + std::to_string(j + 1) + "\"><td>" +
         std::to_string(j + 1) + "</td><td class=\"cond\">" +
         html_escape(rule_conditions_text(table, rule)) + "</td><td>" +
         shortest_text(as_written(rule.quality)) + "</td><td>" +
         count_text(static_cast<long long>(rule.covered_positive.size())) +
         "</td><td>" +
         count_text(static_cast<long long>(rule.covered_negative.size())) +
         "</td><td>" + count(&RuleCounts::helped_decide) + "</td><td" +
         (wrong ? " class=\"bad\"" : "") + ">" + count(&RuleCounts::wrong) +
         "</td></tr>\n";
}

void concept_rules(const RunNames& names, const RunFindings& findings,
                   const ResultTally& tally, const Labels& labels,
                   std::size_t i, std::size_t first, std::string* out) {
  const std::vector<Rule>& rules = findings.rules.concepts[i];
  const std::string name = i < labels.size()
                               ? "Class " + html_escape(labels[i])
                               : "Concept " + std::to_string(i) + " (no class)";
  *out += "<h3>" + name + " <span class=\"muted\">· " +
          std::to_string(rules.size()) +
          (rules.size() == 1 ? " rule" : " rules") + "</span></h3>\n";
  if (rules.empty()) return;
  const std::vector<std::size_t> shown =
      rules_shown(rules.size(), first, tally);
  if (shown.size() < rules.size()) {
    *out +=
        "<p class=\"muted rules-more\">The " + std::to_string(shown.size()) +
        " rules that decided the most cases; " +
        std::to_string(rules.size() - shown.size()) + " more are in <code>" +
        html_escape(names.coverage) + "</code>.</p>\n";
  }
  *out +=
      "<div class=\"scroll\"><table class=\"data rules\" data-concept=\"" +
      std::to_string(i) +
      "\">\n<thead><tr><th scope=\"col\">#</th><th class=\"cond\" "
      "scope=\"col\">Conditions</th><th scope=\"col\">Quality</th><th "
      "scope=\"col\" title=\"covered test cases of the rule's class\">Covered "
      "+</th><th scope=\"col\" title=\"covered test cases of other "
      "classes\">Covered −</th><th scope=\"col\" title=\"cases given the "
      "class by a full match that met this rule\">Helped decide</th><th "
      "scope=\"col\" title=\"of those, cases of another class\">Wrong</th>"
      "</tr></thead>\n<tbody>\n";
  for (const std::size_t j : shown) {
    const std::size_t r = first + j;
    const RuleCounts* counts =
        r < tally.rules.size() ? &tally.rules[r] : nullptr;
    *out += rule_row(findings.table, rules[j], j, counts);
  }
  *out += "</tbody>\n</table></div>\n";
}

void rules_part(const RunNames& names, const RunFindings& findings,
                const ResultTally& tally, const Labels& labels,
                std::string* out) {
  *out +=
      "<section id=\"rules\">\n<h2>Rules</h2>\n<p class=\"muted\">Per "
      "class, the rules that decided the most cases first. Covered: test "
      "cases that meet the rule, of its class (+) and of others (−).</p>\n";
  std::size_t first = 0;  // the concept's first rule in concept order
  for (std::size_t i = 0; i < findings.rules.concepts.size(); ++i) {
    concept_rules(names, findings, tally, labels, i, first, out);
    first += findings.rules.concepts[i].size();
  }
  *out += "</section>\n";
}

}  // namespace

std::string results_page(const RunNames& names, const RunFindings& findings,
                         const ResultTally& tally) {
  const Labels labels = class_labels(findings.table);
  const Figures figures = compute_figures(tally.matrix);
  std::string page;
  open_page(data_set_name(names) + " · rule evaluation", &page);
  page += "<header>\n";
  run_lines(names, &page);
  figure_tiles(findings, tally, figures, &page);
  page += "</header>\n";
  matrix_part(tally.matrix, figures, labels, &page);
  classes_part(figures, labels, &page);
  decisions_part(findings, tally, labels, &page);
  rules_part(names, findings, tally, labels, &page);
  page += "<footer>Written by ruleval " + html_escape(names.version) +
          ". Every figure is over the scored test cases.</footer>\n"
          "</main>\n</body>\n</html>\n";
  return page;
}

}  // namespace ruleval
