// A JSON document as text: members in the order they were added, two blanks
// of indent per level, an array of numbers, strings and nulls on one line,
// integers as they are and reals in the shortest form that reads back as
// the same double (with ".0" on a whole one), a real that is not finite as
// null, and strings valid UTF-8 (a byte that breaks it replaced by U+FFFD).
#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace ruleval {

using Json = nlohmann::ordered_json;

std::string json_text(const Json& document);

}  // namespace ruleval
