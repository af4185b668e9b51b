#include "evaluate/html_text.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace ruleval {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// The length of the well-formed UTF-8 sequence at text[at], or 0 when none
// starts there; *code is its code point.
std::size_t sequence_at(std::string_view text, std::size_t at,
                        std::uint32_t* code) {
  const auto byte = [&](std::size_t k) {
    return static_cast<unsigned char>(text[at + k]);
  };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  std::uint32_t lowest = 0;
  if (lead < 0x80) {
    *code = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    lowest = 0x80;
    *code = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    lowest = 0x800;
    *code = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    lowest = 0x10000;
    *code = lead & 0x07u;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(k) & 0xC0u) != 0x80u) return 0;
    *code = (*code << 6) | (byte(k) & 0x3Fu);
  }
  const bool surrogate = *code >= 0xD800 && *code <= 0xDFFF;
  if (*code < lowest || surrogate || *code > 0x10FFFF) return 0;
  return length;
}

// Code points an HTML parser reports as errors in text.
bool unwelcome(std::uint32_t code) {
  const bool control =
      (code < 0x20 && code != '\t' && code != '\n' && code != '\r') ||
      (code >= 0x7F && code <= 0x9F);
  const bool noncharacter =
      (code >= 0xFDD0 && code <= 0xFDEF) || (code & 0xFFFEu) == 0xFFFEu;
  return control || noncharacter;
}

// Calls each(piece) for every character of text, made valid as valid_text
// says.
template <typename Each>
void for_each_character(std::string_view text, Each each) {
  std::size_t at = 0;
  while (at < text.size()) {
    std::uint32_t code = 0;
    const std::size_t length = sequence_at(text, at, &code);
    if (length == 0 || unwelcome(code)) {
      each(kReplacement);
      at += std::max<std::size_t>(length, 1);
    } else {
      each(text.substr(at, length));
      at += length;
    }
  }
}

std::string fixed(double value, int decimals, const char* suffix) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f%s", decimals, value, suffix);
  return buffer;
}

}  // namespace

std::string valid_text(std::string_view text) {
  std::string valid;
  valid.reserve(text.size());
  for_each_character(text, [&](std::string_view piece) { valid += piece; });
  return valid;
}

std::string html_escape(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for_each_character(text, [&](std::string_view piece) {
    switch (piece.front()) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      case '\'':
        escaped += "&#39;";
        break;
      default:
        escaped += piece;
    }
  });
  return escaped;
}

std::string shortened(std::string_view text, std::size_t max_characters) {
  std::vector<std::string_view> characters;
  for_each_character(
      text, [&](std::string_view piece) { characters.push_back(piece); });
  std::string result;
  const bool cut = characters.size() > max_characters;
  const std::size_t kept = cut ? max_characters - 1 : characters.size();
  for (std::size_t k = 0; k < kept; ++k) result += characters[k];
  if (cut) result += "\xE2\x80\xA6";  // U+2026, the ellipsis
  return result;
}

std::string percent_text(const Figure& fraction, int decimals) {
  return fraction ? fixed(*fraction * 100, decimals, "%") : "n/a";
}

std::string real_text(const Figure& value, int decimals) {
  return value ? fixed(*value, decimals, "") : "n/a";
}

std::string bar_svg(const Figure& fraction, int width, int height) {
  const double filled =
      fraction ? std::clamp(*fraction, 0.0, 1.0) * width : 0.0;
  const std::string w = std::to_string(width);
  const std::string h = std::to_string(height);
  return "<svg class=\"bar\" width=\"" + w + "\" height=\"" + h +
         "\" viewBox=\"0 0 " + w + " " + h +
         "\" aria-hidden=\"true\"><rect class=\"track\" width=\"" + w +
         "\" height=\"" + h + "\" rx=\"2\"/><rect class=\"fill\" width=\"" +
         fixed(filled, 1, "") + "\" height=\"" + h + "\" rx=\"2\"/></svg>";
}

}  // namespace ruleval
