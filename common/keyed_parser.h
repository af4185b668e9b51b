// The shared half of the readers of the keyed text formats (attribute
// description, rule file): keys that must stand as written, numbers after
// them, and messages that name the file and the line at fault.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "common/status.h"
#include "common/text_scanner.h"

namespace ruleval {

class KeyedParser {
 public:
  // The format of the text, which its messages name.
  enum class Kind { kAttributeDescription, kRuleFile };

  // A byte order mark at the start of text is skipped: editors add it.
  KeyedParser(std::string_view text, const std::string& path, Kind kind)
      : text_(without_byte_order_mark(text)),
        scanner_(text_),
        path_(path),
        kind_(kind) {}

  TextScanner& scanner() { return scanner_; }
  // The text read, without its byte order mark.
  std::string_view text() const { return text_; }

  // Fails on a NUL byte anywhere in the text: no text format holds one.
  Status check_no_nul() const;
  // Expects key, after the white space that ends the item before it.
  Status key(std::string_view key);
  // Reads the integer that follows key; a number that is missing or out of
  // range is reported on the line of its key, even when the file goes on
  // with something else on the next line.
  Status integer_after(std::string_view key, int* value);
  // The same for a real number in single precision, which must be finite.
  Status real_after(std::string_view key, float* value);
  // Reads key and the integer after it; a negative count is refused.
  Status count(std::string_view key, int* value);

  // Something that should stand at the cursor does not; what is a key or
  // one of the catalogue's Detail::kWhat... texts.
  Status expected(const std::string& what) const {
    return expected_at(scanner_.position(), what);
  }
  Status expected_at(std::size_t at, const std::string& what) const;
  // problem is one of the catalogue's details.
  Status malformed(const std::string& problem) const {
    return malformed_at(scanner_.position(), problem);
  }
  // Lines are counted only here, when a message needs one.
  Status malformed_at(std::size_t at, const std::string& problem) const;

 private:
  std::string_view text_;
  TextScanner scanner_;
  const std::string& path_;
  Kind kind_;
};

}  // namespace ruleval
