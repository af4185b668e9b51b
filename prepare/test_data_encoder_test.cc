#include "prepare/test_data_encoder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "prepare/attribute_file.h"
#include "tests/test_util.h"

namespace ruleval {
namespace {

using testing::read_file;
using testing::TempDir;
using testing::write_file;

class EncoderTest : public ::testing::Test {
 protected:
  // colour (S: red green red), class (S: yes no), size (R: 0 10 20 30).
  void SetUp() override {
    int ignored = 0;
    const Status status = parse_attribute_description(
        "Attrinum=3 Casenum=0\n"
        "AttriFlag=C AttriName=colour AttriType=S AttriPairNum=3 AttriValueP=0 "
        "AttriPriority=1\n"
        "red green red\n"
        "AttriFlag=D AttriName=class AttriType=S AttriPairNum=2 AttriValueP=0 "
        "AttriPriority=1\n"
        "yes no\n"
        "AttriFlag=C AttriName=size AttriType=R AttriPairNum=4 AttriValueP=0 "
        "AttriPriority=1\n"
        "0 10 20 30\n",
        "t.fmc", &table_, &ignored);
    ASSERT_TRUE(status.ok()) << status.message();
  }

  // Encodes test data, keeping size and colour in the case buffer; returns
  // the qzf file, or the failure message. Encoded without a qzf file, the
  // same data gives the same cases, messages and warnings, and no file.
  std::string encode(const std::string& tst, int* num_cases) {
    write_file(dir_.file("t.tst"), tst);
    std::filesystem::remove(dir_.file("t.qzf"));
    CaseBuffer alone;
    std::string alone_warning;
    const Status without_file = encode_test_cases(
        dir_.file("t.tst"), "", table_, {2, 0}, &alone, &alone_warning);
    EXPECT_FALSE(std::filesystem::exists(dir_.file("t.qzf")));
    warning_.clear();
    const Status status =
        encode_test_cases(dir_.file("t.tst"), dir_.file("t.qzf"), table_,
                          {2, 0}, &cases_, &warning_);
    *num_cases = static_cast<int>(cases_.num_cases());
    EXPECT_EQ(status.message(), without_file.message());
    EXPECT_EQ(warning_, alone_warning);
    EXPECT_TRUE(same_cases(alone, cases_));
    if (!status.ok()) return status.message();
    return read_file(dir_.file("t.qzf"));
  }

  static bool same_cases(const CaseBuffer& a, const CaseBuffer& b) {
    if (a.num_cases() != b.num_cases() ||
        a.may_hold_missing_values() != b.may_hold_missing_values()) {
      return false;
    }
    for (std::size_t c = 0; c < a.num_cases(); ++c) {
      for (std::size_t j = 0; j < a.record_length(); ++j) {
        if (a.code(c, j) != b.code(c, j)) return false;
      }
    }
    return true;
  }

  // The failure for a value of the test file.
  std::string bad_value(int line, const std::string& what) const {
    return format("\nMalformed test data file %s, line %d: %s\n",
                  dir_.file("t.tst").c_str(), line, what.c_str());
  }

  TempDir dir_;
  AttributeTable table_;
  CaseBuffer cases_;
  std::string warning_;
};

TEST_F(EncoderTest, CodesValuesAndIntervals) {
  int cases = -1;
  EXPECT_EQ("1 0 1 \n0 1 3 \n",
            encode("green, yes, 12.5\nred,no,31\n", &cases));
  EXPECT_EQ(2, cases);
  // The kept attributes, in the order asked for.
  ASSERT_EQ(2u, cases_.num_cases());
  ASSERT_EQ(2u, cases_.record_length());
  EXPECT_EQ(1u, cases_.code(0, 0));
  EXPECT_EQ(1u, cases_.code(0, 1));
  EXPECT_EQ(3u, cases_.code(1, 0));
  EXPECT_EQ(0u, cases_.code(1, 1));
}

TEST_F(EncoderTest, IntervalCodesFollowTheToleranceOfEachPoint) {
  const struct {
    const char* value;
    int code;
  } cases[] = {{"-5", 0},       {"0", 0},  {"10", 0},   {"10.000001", 0},
               {"10.00001", 1}, {"15", 1}, {"20", 1},   {"25", 2},
               {"30", 2},       {"31", 3}, {"1000", 3}, {"1.5e1", 1},
               {"12abc", 1},    {"-0", 0}, {"inf", 3},  {"nan", 0},
               {"0x10", 1},     {"+25", 2}};
  for (const auto& c : cases) {
    int count = 0;
    EXPECT_EQ(format("0 0 %d \n", c.code),
              encode(std::string("red yes ") + c.value, &count))
        << c.value;
  }
}

TEST_F(EncoderTest, NumericValueWithoutANumberStopsTheRun) {
  for (const char* value : {"abc", "??", "?5", "-", ".", "+", "e5", "-.x"}) {
    int cases = 0;
    EXPECT_EQ(bad_value(2, format("value \"%s\" of attribute size is not a "
                                  "number",
                                  value)),
              encode(std::string("red yes 1\nred no ") + value + "\n", &cases));
    // The codes before it stay in the file, as after other bad values.
    EXPECT_EQ("0 0 0 \n0 1 ", read_file(dir_.file("t.qzf"))) << value;
  }
}

TEST_F(EncoderTest, AQuestionMarkAloneIsAMissingValue) {
  int cases = -1;
  EXPECT_EQ("? ? ? \n0 0 1 \n", encode("? ? ?\nred yes 15\n", &cases));
  EXPECT_EQ(2, cases);
  EXPECT_TRUE(cases_.may_hold_missing_values());
  EXPECT_EQ(kMissingCode, cases_.code(0, 0));
  EXPECT_EQ(kMissingCode, cases_.code(0, 1));
  EXPECT_EQ(1u, cases_.code(1, 0));
  EXPECT_EQ("\n String  of case 1 is over the limition" +
                bad_value(1, "\"?red\" is not a value of attribute colour"),
            encode("?red yes 1\n", &cases));
  encode("red yes 1\n", &cases);
  EXPECT_FALSE(cases_.may_hold_missing_values());
}

TEST_F(EncoderTest, StopsAtTheFirstShortLine) {
  int cases = -1;
  // The codes of the short line stay at the end without a line feed.
  EXPECT_EQ("0 0 0 \n1 1 ", encode("red yes 1\ngreen no\nred yes 1\n", &cases));
  EXPECT_EQ(1, cases);
  EXPECT_EQ(1u, cases_.num_cases());
  EXPECT_EQ("0 0 0 \n", encode("red yes 1\n\nred yes 1\n", &cases));
  EXPECT_EQ(1, cases);
  EXPECT_EQ("0 0 0 \n1 ", encode("red yes 1\ngreen", &cases));  // no line feed
  EXPECT_EQ(1, cases);
  EXPECT_EQ("", encode("", &cases));
  EXPECT_EQ(0, cases);
  EXPECT_EQ("", encode(" ,\t\r\nred yes 1\n", &cases));
  EXPECT_EQ(0, cases);
}

TEST_F(EncoderTest, LinesWithValuesAfterTheEndAreWarnedOf) {
  const struct {
    const char* tst;
    const char* warning;  // after the file's name; empty for none
  } cases[] = {
      {"red yes 1\ngreen no\nred yes 1\n\nred yes",
       ", line 2 holds 2 values, fewer than the 3 attributes: the test data "
       "ends there, and the 2 lines after it that hold values are not "
       "evaluated\n"},
      {"red yes 1\n\n \t\n,\nred", ", line 2 holds 0 values"},
      {"red yes 1\n\n\n \r\n", ""},  // blank lines only
      {"red yes 1\ngreen no", ""},   // a file cut off
      {"red yes 1\rgreen\r\rred yes 1\r", ", line 2 holds 1 values"},
  };
  for (const auto& c : cases) {
    int count = 0;
    encode(c.tst, &count);
    EXPECT_EQ(1, count) << c.tst;
    if (*c.warning == '\0') {
      EXPECT_EQ("", warning_) << c.tst;
    } else {
      EXPECT_EQ(0u, warning_.find("ruleval: warning: " + dir_.file("t.tst") +
                                  c.warning))
          << warning_;
    }
  }
}

TEST_F(EncoderTest, CompleteLinesAreCountedWhateverTheirEnd) {
  int cases = -1;
  EXPECT_EQ("0 0 0 \n1 1 2 \n",
            encode("red yes 1 extra values\r\ngreen no 25", &cases));
  EXPECT_EQ(2, cases);
}

TEST_F(EncoderTest, LargeFilesEncodeAsLineByLine) {
  // Enough lines for several blocks, each split among threads: the first
  // line that ends the encoding counts wherever it falls.
  const auto lines = [](int count, const char* line) {
    std::string text;
    for (int k = 0; k < count; ++k) text += line;
    return text;
  };
  const std::string body = lines(150000, "green,no,25\n");  // 1.8 MB
  const std::string coded = lines(150000, "1 1 2 \n");
  int cases = 0;
  std::string qzf = encode(body + body + "red yes\n" + body, &cases);
  EXPECT_EQ(300000, cases);
  EXPECT_EQ(coded + coded + "0 0 ", qzf);
  ASSERT_EQ(300000u, cases_.num_cases());
  EXPECT_EQ(2u, cases_.code(299999, 0));
  EXPECT_EQ(1u, cases_.code(299999, 1));

  EXPECT_EQ(
      "\n String  of case 210001 is over the limition" +
          bad_value(210001, "\"maybe\" is not a value of attribute class"),
      encode(body + lines(60000, "red yes 1\n") + "red maybe 1\n" + body,
             &cases));
  EXPECT_EQ(coded + lines(60000, "0 0 0 \n") + "0 ",
            read_file(dir_.file("t.qzf")));

  // Lines ended by carriage returns alone read the same; one line feed at
  // the end makes them one line.
  const std::string old_body = lines(150000, "green,no,25\r");
  EXPECT_EQ(coded + coded, encode(old_body + old_body, &cases));
  EXPECT_EQ(300000, cases);
  EXPECT_EQ("1 1 2 \n", encode(old_body + old_body + "\n", &cases));
  EXPECT_EQ(1, cases);

  // The lines with values after a short line are counted to the end.
  encode(body + "\n" + body + "\n\n" + body, &cases);
  EXPECT_EQ(150000, cases);
  EXPECT_EQ(
      "ruleval: warning: " + dir_.file("t.tst") +
          ", line 150001 holds 0 values, fewer than the 3 attributes: the "
          "test data ends there, and the 300000 lines after it that hold "
          "values are not evaluated\n",
      warning_);

  EXPECT_EQ(
      "\nMalformed test data file " + dir_.file("t.tst") +
          ", line 150002: NUL byte in the line\n",
      encode(body + "red yes 1\n" + std::string("red\0yes 1\n", 10) + body,
             &cases));

  // A last line without a line feed, after many.
  qzf = encode(body + "red yes 30", &cases);
  EXPECT_EQ(150001, cases);
  EXPECT_EQ(coded + "0 0 2 \n", qzf);
  EXPECT_EQ(2u, cases_.code(150000, 0));
}

TEST_F(EncoderTest, UnknownSymbolicValueNamesTheCase) {
  int cases = 0;
  const std::string message =
      "\n String  of case 4 is over the limition" +
      bad_value(4, "\"Red\" is not a value of attribute colour");
  EXPECT_EQ(message,
            encode("red yes 1\nred yes 1\nred yes 1\nRed yes 1\n", &cases));
  // The codes written before the failure stay in the file.
  EXPECT_EQ("0 0 0 \n0 0 0 \n0 0 0 \n", read_file(dir_.file("t.qzf")));
  EXPECT_EQ("\n String  of case 1 is over the limition" +
                bad_value(1, "\"maybe\" is not a value of attribute class"),
            encode("red maybe 1\n", &cases));
  EXPECT_EQ("0 ", read_file(dir_.file("t.qzf")));
}

TEST_F(EncoderTest, TextInMemoryIsEncodedAsTheFileIs) {
  for (const char* tst :
       {"green, yes, 12.5\nred,no,31\n", "red yes 1\ngreen no\nred yes 1\n",
        "red yes 1\ngreen", "red yes 1 more\r\ngreen no 25", "", "\n",
        "red yes 1\nred maybe 1\n", "\xEF\xBB\xBFred yes 1\rgreen no 25\r"}) {
    int file_cases = -1;
    const std::string from_file = encode(tst, &file_cases);
    EncodedText encoded;
    const Status status =
        encode_test_text(tst, table_, dir_.file("t.tst"), &encoded);
    EXPECT_EQ(from_file, status.ok() ? encoded.codes : status.message()) << tst;
    EXPECT_EQ(warning_, encoded.warning) << tst;
    if (status.ok()) {
      EXPECT_EQ(file_cases, static_cast<int>(encoded.num_cases)) << tst;
    }
  }
}

TEST_F(EncoderTest, MissingTestDataWritesNothing) {
  std::string warning;
  EXPECT_EQ("\n Cannot open test data file: " + dir_.file("none") + ".tst...\n",
            encode_test_cases(dir_.file("none.tst"), dir_.file("none.qzf"),
                              table_, {0}, &cases_, &warning)
                .message());
  EXPECT_FALSE(std::filesystem::exists(dir_.file("none.qzf")));
}

TEST_F(EncoderTest, WriteFailureIsReported) {
  write_file(dir_.file("t.tst"), "red yes 1\n");
  std::filesystem::create_symlink("/dev/full", dir_.file("t.qzf"));
  std::string warning;
  EXPECT_EQ("\nCannot write file: " + dir_.file("t.qzf") + " ...\n",
            encode_test_cases(dir_.file("t.tst"), dir_.file("t.qzf"), table_,
                              {0}, &cases_, &warning)
                .message());
}

}  // namespace
}  // namespace ruleval
