#include "common/case_buffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace ruleval {
namespace {

// Every width keeps every code, and the missing code, without touching its
// neighbours, whether the codes are set one by one or a case at a time.
TEST(CaseBuffer, KeepsEveryCodeAtEachWidth) {
  const struct {
    std::uint64_t limit;
    std::size_t bits;
  } widths[] = {{1, 4},    {15, 4},     {16, 8},     {255, 8},
                {256, 16}, {65535, 16}, {65536, 32}, {1ull << 32, 32}};
  for (const auto& width : widths) {
    for (const std::size_t length : {1, 2, 3, 5}) {
      const auto code_of = [&](std::size_t c, std::size_t j) {
        if ((c + j) % 4 == 3) return kMissingCode;
        return static_cast<std::uint32_t>((c * 7 + j * 3) % width.limit);
      };
      CaseBuffer one_by_one;
      one_by_one.allocate(4, length, width.limit);
      CaseBuffer by_case;
      by_case.start(length, width.limit, 2);
      by_case.resize(4);
      EXPECT_EQ(width.bits, one_by_one.code_bits()) << width.limit;
      for (std::size_t c = 0; c < 4; ++c) {
        for (std::size_t j = 0; j < length; ++j)
          one_by_one.set_code(c, j, code_of(c, j));
        by_case.set_record(c, [&](std::size_t j) { return code_of(c, j); });
      }
      for (std::size_t c = 0; c < 4; ++c) {
        for (std::size_t j = 0; j < length; ++j) {
          EXPECT_EQ(code_of(c, j), one_by_one.code(c, j))
              << width.limit << " " << length << " " << c << " " << j;
          EXPECT_EQ(code_of(c, j), by_case.code(c, j))
              << width.limit << " " << length << " " << c << " " << j;
        }
      }
    }
  }
}

}  // namespace
}  // namespace ruleval
