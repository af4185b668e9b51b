#include "evaluate/json_text.h"

#include <cmath>

#include "common/numbers.h"

namespace ruleval {
namespace {

void append_real(double value, std::string* text) {
  if (!std::isfinite(value)) {
    *text += "null";
    return;
  }
  const std::string number = shortest_text(value);
  *text += number;
  if (number.find_first_of(".e") == std::string::npos) *text += ".0";
}

void append_scalar(const Json& value, std::string* text) {
  if (value.is_number_float()) {
    append_real(value.get<double>(), text);
  } else {
    *text += value.dump(-1, ' ', false, Json::error_handler_t::replace);
  }
}

bool all_scalars(const Json& array) {
  for (const Json& element : array) {
    if (element.is_structured()) return false;
  }
  return true;
}

void append_value(const Json& value, int depth, std::string* text);

void new_line(int depth, std::string* text) {
  *text += '\n';
  text->append(static_cast<std::size_t>(depth) * 2, ' ');
}

void append_array(const Json& array, int depth, std::string* text) {
  const bool one_line = all_scalars(array);
  *text += '[';
  bool first = true;
  for (const Json& element : array) {
    if (!first) *text += one_line ? ", " : ",";
    first = false;
    if (!one_line) new_line(depth + 1, text);
    append_value(element, depth + 1, text);
  }
  if (!one_line && !array.empty()) new_line(depth, text);
  *text += ']';
}

void append_object(const Json& object, int depth, std::string* text) {
  *text += '{';
  bool first = true;
  for (const auto& [key, member] : object.items()) {
    if (!first) *text += ',';
    first = false;
    new_line(depth + 1, text);
    append_scalar(Json(key), text);
    *text += ": ";
    append_value(member, depth + 1, text);
  }
  if (!object.empty()) new_line(depth, text);
  *text += '}';
}

void append_value(const Json& value, int depth, std::string* text) {
  if (value.is_object()) {
    append_object(value, depth, text);
  } else if (value.is_array()) {
    append_array(value, depth, text);
  } else {
    append_scalar(value, text);
  }
}

}  // namespace

std::string json_text(const Json& document) {
  std::string text;
  append_value(document, 0, &text);
  text += '\n';
  return text;
}

}  // namespace ruleval
