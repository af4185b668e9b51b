// Text for an HTML page: what comes from the input files escaped and made
// valid UTF-8, labels shortened for narrow places, figures formatted, and
// a horizontal bar drawn as inline SVG.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "evaluate/result_figures.h"

namespace ruleval {

// text as valid UTF-8 that an HTML parser takes for itself: every byte
// that does not belong to a well-formed UTF-8 sequence, every control
// character but tab, line feed and carriage return, and every noncharacter
// replaced by U+FFFD.
std::string valid_text(std::string_view text);

// valid_text(text) with &, <, >, " and ' as character references: fit for
// element content and quoted attribute values alike.
std::string html_escape(std::string_view text);

// valid_text(text), cut to its first max_characters - 1 characters and an
// ellipsis when it has more than max_characters.
// REQUIRES: max_characters >= 1.
std::string shortened(std::string_view text, std::size_t max_characters);

// A fraction as a percentage with the given decimals ("64.3%"), a real
// with the given decimals, or "n/a" for a figure that does not exist.
std::string percent_text(const Figure& fraction, int decimals);
std::string real_text(const Figure& value, int decimals);

// A bar of the given width and height in pixels, filled from the left to
// fraction (clamped to [0, 1]); an empty track for a figure that does not
// exist.
std::string bar_svg(const Figure& fraction, int width, int height);

}  // namespace ruleval
