// The coded test cases in memory: one record per case, one code per selected
// attribute in selected order, the class code last. Every code is kept
// exactly; the buffer stores each in half a byte, one, two or four bytes,
// the fewest that hold the largest code any selected attribute can have
// and, above it, the code of a missing value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace ruleval {

// The code of a value the test data leaves unknown. No condition holds for
// it, and a case whose class is unknown is classified but not scored.
inline constexpr std::uint32_t kMissingCode = 0xFFFFFFFF;

class CaseBuffer {
 public:
  // Makes room for num_cases records of record_length codes, each code below
  // code_limit or kMissingCode; every code starts as 0. Throws std::bad_alloc
  // when the memory cannot be had.
  void allocate(std::size_t num_cases, std::size_t record_length,
                std::uint64_t code_limit);

  // Starts an empty buffer for records of record_length codes below
  // code_limit, reserving address space for expected_cases records; memory
  // is taken up only as cases are added.
  void start(std::size_t record_length, std::uint64_t code_limit,
             std::size_t expected_cases);
  // Makes the buffer hold num_cases cases: cases beyond the old count start
  // with every code 0, cases beyond the new one are dropped. Throws
  // std::bad_alloc when the memory cannot be had.
  void resize(std::size_t num_cases);

  std::size_t num_cases() const { return num_cases_; }
  std::size_t record_length() const { return record_length_; }
  // Bits per stored code: 4, 8, 16 or 32.
  std::size_t code_bits() const { return code_bits_; }

  // Whether some case may have a missing value: set by whoever stores one,
  // so that runs without any need not look for them.
  bool may_hold_missing_values() const { return may_hold_missing_values_; }
  void note_missing_values() { may_hold_missing_values_ = true; }

  // Where the lines of the cases lie in the test data, for reading them
  // again a block at a time: the lines from `offset` bytes after the byte
  // order mark (if any) on are those of the cases from first_case on, up to
  // the next block. The last block only marks where the lines read end.
  // None when the cases did not come from a file.
  struct LineBlock {
    std::uint64_t offset = 0;
    std::size_t first_case = 0;
  };
  const std::vector<LineBlock>& line_blocks() const { return line_blocks_; }
  void add_line_block(const LineBlock& block) { line_blocks_.push_back(block); }

  std::uint32_t code(std::size_t case_number, std::size_t position) const {
    switch (code_bits_) {
      case 4:
        return code_of_width<4>(case_number, position);
      case 8:
        return code_of_width<8>(case_number, position);
      case 16:
        return code_of_width<16>(case_number, position);
      default:
        return code_of_width<32>(case_number, position);
    }
  }
  // code(), in a buffer of kCodeBits bits a code: for loops over many
  // codes, which choose the width once.
  template <std::size_t kCodeBits>
  std::uint32_t code_of_width(std::size_t case_number,
                              std::size_t position) const {
    const std::size_t slot = case_number * slots_per_case_ + position;
    // A missing value is stored as every bit of its slot set.
    if constexpr (kCodeBits == 4) {
      const unsigned value = (bytes_[slot / 2] >> (slot % 2 * 4)) & 0xFu;
      return value == 0xF ? kMissingCode : value;
    } else if constexpr (kCodeBits == 8) {
      return bytes_[slot] == 0xFF ? kMissingCode : bytes_[slot];
    } else if constexpr (kCodeBits == 16) {
      std::uint16_t value;
      std::memcpy(&value, bytes_.data() + slot * 2, sizeof value);
      return value == 0xFFFF ? kMissingCode : value;
    } else {
      std::uint32_t value;
      std::memcpy(&value, bytes_.data() + slot * 4, sizeof value);
      return value;
    }
  }
  std::uint32_t class_code(std::size_t case_number) const {
    return code(case_number, record_length_ - 1);
  }
  // REQUIRES: value is below the code_limit given to allocate(), or is
  // kMissingCode.
  void set_code(std::size_t case_number, std::size_t position,
                std::uint32_t value) {
    const std::size_t slot = case_number * slots_per_case_ + position;
    if (code_bits_ == 4) {
      std::uint8_t& pair = bytes_[slot / 2];
      const unsigned shift = slot % 2 * 4;
      pair = static_cast<std::uint8_t>((pair & ~(0xFu << shift)) |
                                       (value & 0xFu) << shift);
      return;
    }
    store(bytes_.data() + slot * (code_bits_ / 8), value);
  }
  // Sets every code of a case at once: code_at(j) is the code at position
  // j. Cases start on whole bytes, so that threads may set different cases
  // at the same time.
  template <class CodeAt>
  void set_record(std::size_t case_number, const CodeAt& code_at) {
    std::uint8_t* at = bytes_.data() + case_number * record_bytes();
    if (code_bits_ == 4) {
      std::size_t j = 0;
      for (; j + 1 < record_length_; j += 2) {
        *at++ = static_cast<std::uint8_t>((code_at(j) & 0xFu) |
                                          (code_at(j + 1) & 0xFu) << 4);
      }
      if (j < record_length_)
        *at = static_cast<std::uint8_t>(code_at(j) & 0xFu);
      return;
    }
    const std::size_t width = code_bits_ / 8;
    for (std::size_t j = 0; j < record_length_; ++j, at += width)
      store(at, code_at(j));
  }

 private:
  std::size_t record_bytes() const { return slots_per_case_ * code_bits_ / 8; }
  void store(std::uint8_t* at, std::uint32_t value) const {
    switch (code_bits_) {
      case 8:
        *at = static_cast<std::uint8_t>(value);
        break;
      case 16: {
        const auto narrow = static_cast<std::uint16_t>(value);
        std::memcpy(at, &narrow, sizeof narrow);
        break;
      }
      default:
        std::memcpy(at, &value, sizeof value);
        break;
    }
  }

  std::vector<std::uint8_t> bytes_;
  std::size_t num_cases_ = 0;
  std::size_t record_length_ = 0;
  // The record length, made even when codes take half a byte.
  std::size_t slots_per_case_ = 0;
  std::size_t code_bits_ = 8;
  bool may_hold_missing_values_ = false;
  std::vector<LineBlock> line_blocks_;
};

}  // namespace ruleval
