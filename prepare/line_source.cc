#include "prepare/line_source.h"

namespace ruleval {

TextLines::TextLines(std::string_view text) {
  const LineFormat format = line_format(text);
  text_ = text.substr(format.skip);
  line_end_ = format.line_end;
}

bool TextLines::next_lines(std::size_t, std::string_view* lines) {
  if (text_.empty()) return false;
  *lines = text_;
  text_ = std::string_view();
  return true;
}

}  // namespace ruleval
