// The README's tables of messages and warnings must list the catalogue's
// messages, and no others. They are compared line by line, as sets:
// - a catalogue message gives its lines (two of them print two), trimmed
//   of blanks, with every %s and %d made a "*";
// - a README row gives the code spans that open its first cell, joined by
//   "and" or ","; a remark after them, such as "(after `qualityno=N`)", is
//   none. Its placeholders (B.tst and the other files of a run, PATH, NAME,
//   REASON, OPTION, DIR, the single capitals N, A, V, K, M, L, and "…") are
//   made a "*".
// Writing to standard output fails with kCannotWriteFile naming "standard
// output", as its row says.
#include "common/messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "tests/test_util.h"

namespace ruleval {
namespace {

using Lines = std::set<std::string>;

std::string trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool is_word(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

// text with the README's placeholders made a "*".
std::string with_wildcards(const std::string& text) {
  static const Lines kPlaceholders = {
      "PATH", "NAME", "REASON", "OPTION", "DIR", "N", "A", "V", "K", "M", "L"};
  const std::string ellipsis = "\u2026";
  std::string result;
  for (std::size_t i = 0; i < text.size();) {
    if (text.compare(i, ellipsis.size(), ellipsis) == 0) {
      result += '*';
      i += ellipsis.size();
      continue;
    }
    if (!is_word(text[i])) {
      result += text[i++];
      continue;
    }
    std::size_t end = i;
    while (end < text.size() && is_word(text[end])) ++end;
    // A file of the run: B and its extension.
    if (text.compare(i, end - i, "B") == 0 && end + 1 < text.size() &&
        text[end] == '.' && is_word(text[end + 1])) {
      for (++end; end < text.size() && is_word(text[end]);) ++end;
      result += '*';
    } else {
      const std::string word = text.substr(i, end - i);
      result += kPlaceholders.contains(word) ? "*" : word;
    }
    i = end;
  }
  return result;
}

Lines catalogue_lines() {
  Lines lines;
  for (const CatalogueEntry<Message>& entry : kMessages) {
    std::string text = entry.format;
    for (std::size_t at = 0; (at = text.find('%', at)) != std::string::npos;)
      text.replace(at, 2, "*");
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
      if (!trimmed(line).empty()) lines.insert(trimmed(line));
    }
  }
  return lines;
}

// The code spans that open cell, joined by "and" or ",".
std::vector<std::string> leading_spans(std::string_view cell) {
  std::vector<std::string> spans;
  for (;;) {
    const auto skip_space = [&] {
      while (!cell.empty() && cell.front() == ' ') cell.remove_prefix(1);
    };
    skip_space();
    if (!spans.empty()) {
      if (cell.starts_with(","))
        cell.remove_prefix(1);
      else if (cell.starts_with("and "))
        cell.remove_prefix(4);
      else
        return spans;
      skip_space();
    }
    const std::size_t close = cell.find('`', 1);
    if (!cell.starts_with('`') || close == std::string_view::npos) return spans;
    spans.emplace_back(cell.substr(1, close - 1));
    cell.remove_prefix(close + 1);
  }
}

Lines readme_lines() {
  const std::string readme = testing::read_file(
      std::filesystem::path(RULEVAL_SOURCE_DIR) / "README.md");
  const std::size_t start = readme.find("\n## Exit status and messages\n");
  EXPECT_NE(start, std::string::npos);
  if (start == std::string::npos) return {};
  std::istringstream section(
      readme.substr(start, readme.find("\n## ", start + 1) - start));
  Lines lines;
  for (std::string row; std::getline(section, row);) {
    if (!row.starts_with("| ")) continue;
    const std::string cell = row.substr(1, row.find('|', 1) - 1);
    for (const std::string& span : leading_spans(cell)) {
      lines.insert(trimmed(with_wildcards(span)));
    }
  }
  return lines;
}
// The lines of a that b lacks.
std::vector<std::string> lacking(const Lines& a, const Lines& b) {
  std::vector<std::string> difference;
  std::set_difference(a.begin(), a.end(), b.begin(), b.end(),
                      std::back_inserter(difference));
  return difference;
}

TEST(Messages, ReadmeListsTheCatalogueMessagesAndNoOthers) {
  const Lines catalogue = catalogue_lines();
  const Lines readme = readme_lines();
  EXPECT_EQ(lacking(catalogue, readme), std::vector<std::string>())
      << "catalogue messages the README does not list";
  EXPECT_EQ(lacking(readme, catalogue), std::vector<std::string>())
      << "README rows that are no catalogue message";
}

}  // namespace
}  // namespace ruleval
