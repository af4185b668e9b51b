#include "fuzz/fuzz_support.h"

#include <algorithm>
#include <cstdlib>

#include "prepare/attribute_file.h"
#include "prepare/attribute_selection.h"

namespace ruleval::fuzz {

std::vector<std::string_view> split_input(const std::uint8_t* data,
                                          std::size_t size, std::size_t parts) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> pieces;
  while (pieces.size() + 1 < parts) {
    const std::size_t at = rest.find(kSeparator);
    if (at == std::string_view::npos) break;
    pieces.push_back(rest.substr(0, at));
    rest.remove_prefix(at + kSeparator.size());
  }
  pieces.push_back(rest);
  return pieces;
}

const char* const kFixedDescription =
    "Attrinum=6   Casenum=3\n"
    "AttriFlag=C AttriName=colour AttriType=S AttriPairNum=3 AttriValueP=0 "
    "AttriPriority=2\n"
    "red green blue\n"
    "AttriFlag=C AttriName=count AttriType=I AttriPairNum=4 AttriValueP=3 "
    "AttriPriority=1\n"
    "0 10 20 30\n"
    "AttriFlag=X AttriName=note AttriType=S AttriPairNum=1 AttriValueP=7 "
    "AttriPriority=5\n"
    "none\n"
    "AttriFlag=C AttriName=size AttriType=R AttriPairNum=3 AttriValueP=8 "
    "AttriPriority=3\n"
    "0.5 1.5 2.5\n"
    "AttriFlag=C AttriName=shape AttriType=S AttriPairNum=2 AttriValueP=11 "
    "AttriPriority=4\n"
    "round square\n"
    "AttriFlag=D AttriName=class AttriType=S AttriPairNum=3 AttriValueP=13 "
    "AttriPriority=0\n"
    "yes no maybe\n";

bool selected_table(std::string_view description, AttributeTable* table) {
  int num_cases = 0;
  if (!parse_attribute_description(description, "f.fmc", table, &num_cases)
           .ok()) {
    return false;
  }
  const SelectionPlan plan = plan_selection(&table->attributes);
  if (!plan.status.ok()) return false;
  rearrange_attribute_table(&table->attributes, plan.list);
  return true;
}

void require_malformed_message(const Status& status, std::string_view kind,
                               std::string_view path, std::string_view text) {
  if (status.ok()) return;
  const std::string& message = status.message();
  const std::string prefix = "\nMalformed " + std::string(kind) + " file " +
                             std::string(path) + ", line ";
  if (message.compare(0, prefix.size(), prefix) != 0) {
    finding("unexpected message: " + message);
  }
  char* end = nullptr;
  const long line = std::strtol(message.c_str() + prefix.size(), &end, 10);
  // Lines end with a line feed, or a carriage return that none follows.
  long lines = 1;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] == '\n' ||
        (text[at] == '\r' && (at + 1 == text.size() || text[at + 1] != '\n')))
      ++lines;
  }
  if (line < 1 || line > lines || std::string_view(end).substr(0, 2) != ": ") {
    finding("message names no line of the file: " + message);
  }
  if (message.back() != '\n' ||
      message.find('\n', prefix.size()) != message.size() - 1) {
    finding("message is not one line: " + message);
  }
}

void finding(const std::string& what) {
  std::fprintf(stderr, "\n== finding: %s\n", what.c_str());
  std::abort();
}

NullOutput::NullOutput() : file_(std::fopen("/dev/null", "w")) {
  if (file_ == nullptr) finding("cannot open /dev/null");
}

NullOutput::~NullOutput() { std::fclose(file_); }

}  // namespace ruleval::fuzz
