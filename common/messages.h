// The program's messages to its user, in one place: the failures that end
// a run (on standard output, or on standard error when standard output
// itself fails), the usage line, what is wrong with a command line, the
// warning on standard error, and the details a malformed-file message gives
// after "line N: ". The reports, the --help text and the list of options
// printed after a bad command line are output, not messages, and stay with
// their writers.
// The formats are printf formats and part of the program's fixed output,
// byte for byte: odd spacing and leading or trailing line ends included.
// README.md lists the messages (common/messages_test.cc holds the two
// together); the details it leaves to the text.
//
// render<id>(args...) formats one. Its arguments are checked against the
// format when the call is compiled: %d takes an int, %s a const char* or a
// std::string; every format uses these two conversions only.
#pragma once

#include <cstddef>
#include <string>
#include <type_traits>

namespace ruleval {

// What happened, in the order of the README's table.
enum class Message {
  kUsage,
  // A bad command line: printed before the usage.
  kUnknownOption,
  kOptionNeedsValue,
  kOptionTakesNoValue,
  kBadCaseNumber,
  kSecondBaseName,
  kBothOnStandardOutput,
  kPageAndOtherOnStandardOutput,  // %s: the other option
  kNoOutputDirectory,
  kCannotOpenDescription,
  kMalformedAttributeFile,  // %s: a Detail
  kCannotOpenTestData,
  kCannotCreateTestCodes,
  kUnknownValue,
  kValueNotANumber,
  kNulByteInTestData,
  kNoConditionAttributes,
  kClassAboveLastPoint,
  kNoClasses,
  kCannotOpenRules,
  kMalformedRuleFile,  // %s: a Detail
  kCannotWriteFile,    // also for standard output, named so
  kCannotReadFile,
  kCannotCreateOrderedCases,
  kTestDataChanged,
  kCannotCreateResultFile,
  kCannotCreateSumFile,
  kExplainedCaseBeyondTestData,
  kCannotWriteResults,
  kTooManyTestCases,
  kNoMemoryForCases,
  kNoMemoryForPositiveCoverage,
  kNoMemoryForNegativeCoverage,
  kOutOfMemory,
  kCannotStartThread,  // %s: the system's reason
  kTestDataEndsEarly,  // the warning: lines with values after the end
  kCount
};

// What is wrong at the line of a malformed attribute or rule file.
enum class Detail {
  kNulByteInFile,
  kExpected,       // %s: what, a key or one of the kWhat... below
  kExpectedAtEnd,  // the same where the file has ended
  kIntegerOutOfRange,
  kNotAFiniteNumber,  // %s: a key's name or a kWhat...Position
  kNegative,          // %s: a count's name
  kNoAttributes,
  kTooManyValues,
  kNoBoundaryPoints,
  kFewerConceptsThanClasses,
  kMajorityNotAClass,
  kAndPairNumZero,
  kAttrinoNotACondition,
  kParinoNotAValue,
  kParinoNotABoundaryPoint,
  kOrflagBelowOne,
  kOrGroupOverrun,
  // What was expected: the %s of kExpected and kExpectedAtEnd.
  kWhatIntegerAfter,
  kWhatNumberAfter,
  kWhatNameAfter,
  kWhatFlagLetterAfter,
  kWhatTypeLetterAfter,
  kWhatValuePosition,
  kWhatBoundaryPointPosition,
  kCount
};

template <class Id>
struct CatalogueEntry {
  Id id;
  const char* format;
};

inline constexpr CatalogueEntry<Message> kMessages[] = {
    {Message::kUsage, "\n Usage: ruleval.exe filename\n"},
    {Message::kUnknownOption, "ruleval: unknown option '%s'\n"},
    {Message::kOptionNeedsValue, "ruleval: option '%s' needs a value\n"},
    {Message::kOptionTakesNoValue, "ruleval: option '%s' takes no value\n"},
    {Message::kBadCaseNumber,
     "ruleval: option '%s' needs a test case number from 1, not '%s'\n"},
    {Message::kSecondBaseName, "ruleval: unexpected second base name '%s'\n"},
    {Message::kBothOnStandardOutput,
     "ruleval: --json and --predictions cannot both write to standard "
     "output\n"},
    {Message::kPageAndOtherOnStandardOutput,
     "ruleval: --html and %s cannot both write to standard output\n"},
    {Message::kNoOutputDirectory,
     "ruleval: output directory '%s' does not exist or is not a directory\n"},
    {Message::kCannotOpenDescription,
     "\n Cannot open intermediate file: %s...\n"},
    {Message::kMalformedAttributeFile,
     "\nMalformed attribute file %s, line %d: %s\n"},
    {Message::kCannotOpenTestData, "\n Cannot open test data file: %s...\n"},
    {Message::kCannotCreateTestCodes,
     "\nFailed to create .qzf file...\nCannot create file: %s (%s)\n"},
    {Message::kUnknownValue,
     "\n String  of case %d is over the limition"
     "\nMalformed test data file %s, line %d: \"%s\" is not a value of "
     "attribute %s\n"},
    {Message::kValueNotANumber,
     "\nMalformed test data file %s, line %d: value \"%s\" of attribute %s "
     "is not a number\n"},
    {Message::kNulByteInTestData,
     "\nMalformed test data file %s, line %d: NUL byte in the line\n"},
    {Message::kNoConditionAttributes,
     "\n No condition attributes in the table"},
    {Message::kClassAboveLastPoint,
     "\nClass value of case %d is above the last boundary point of %s\n"},
    {Message::kNoClasses, "\nDecision attribute %s has no classes\n"},
    {Message::kCannotOpenRules, "\n Cannot open internal rule file: %s !\n"},
    {Message::kMalformedRuleFile, "\nMalformed rule file %s, line %d: %s\n"},
    {Message::kCannotWriteFile, "\nCannot write file: %s ...\n"},
    {Message::kCannotReadFile, "\nCannot read file: %s ...\n"},
    // B.qzf1 could not be created: said as when it could not be read.
    {Message::kCannotCreateOrderedCases,
     "\nCannot read intermediate file: %s ...\n"},
    {Message::kTestDataChanged,
     "\nTest data file %s changed during the run ...\n"},
    {Message::kCannotCreateResultFile, "\nCannot create result file: %s ...\n"},
    {Message::kCannotCreateSumFile, "\nCannot create sum file: %s ...\n"},
    {Message::kExplainedCaseBeyondTestData,
     "ruleval: cannot explain case %d: the test data holds %d cases\n"},
    {Message::kCannotWriteResults, "ruleval: cannot write %s: %s\n"},
    {Message::kTooManyTestCases, "\nToo many test cases...\n"},
    {Message::kNoMemoryForCases, "\nNot enough memory for casebuffer..."},
    {Message::kNoMemoryForPositiveCoverage,
     "\nNot enough memory for covered_pos_cases ... \n"},
    {Message::kNoMemoryForNegativeCoverage,
     "\nNot enough memory for covered_neg_cases ... \n"},
    {Message::kOutOfMemory, "\nNot enough memory available to go on...\n"},
    {Message::kCannotStartThread, "ruleval: cannot start a thread: %s\n"},
    {Message::kTestDataEndsEarly,
     "ruleval: warning: %s, line %d holds %d values, fewer than the %d "
     "attributes: the test data ends there, and the %d lines after it that "
     "hold values are not evaluated\n"},
};

inline constexpr CatalogueEntry<Detail> kDetails[] = {
    {Detail::kNulByteInFile, "NUL byte in the file"},
    {Detail::kExpected, "expected %s"},
    {Detail::kExpectedAtEnd, "unexpected end of file, expected %s"},
    {Detail::kIntegerOutOfRange, "integer out of range after %s"},
    {Detail::kNotAFiniteNumber, "%s is not a finite number"},
    {Detail::kNegative, "%s must not be negative"},
    {Detail::kNoAttributes, "Attrinum must be at least 1"},
    {Detail::kTooManyValues, "too many values"},
    {Detail::kNoBoundaryPoints, "numeric attribute %s has no boundary points"},
    {Detail::kFewerConceptsThanClasses,
     "Concept_num is %d, fewer than the %d classes of decision attribute %s"},
    {Detail::kMajorityNotAClass,
     "Majority_class %d is not a class of decision attribute %s (0 to %d)"},
    {Detail::kAndPairNumZero, "and_pair_num is 0 in a rule with conditions"},
    {Detail::kAttrinoNotACondition,
     "attrino %d is not a condition attribute (0 to %d)"},
    {Detail::kParinoNotAValue,
     "parino %d is not a value of attribute %s (0 to %d)"},
    {Detail::kParinoNotABoundaryPoint,
     "parino %d is not a boundary point of attribute %s (0 to %d)"},
    {Detail::kOrflagBelowOne, "orflag %d is below 1"},
    {Detail::kOrGroupOverrun,
     "OR group of %d pairs runs past the %d pairs of its rule"},
    {Detail::kWhatIntegerAfter, "an integer after %s"},
    {Detail::kWhatNumberAfter, "a number after %s"},
    {Detail::kWhatNameAfter, "a name after %s"},
    {Detail::kWhatFlagLetterAfter, "a flag letter after %s"},
    {Detail::kWhatTypeLetterAfter, "S, I or R after %s"},
    {Detail::kWhatValuePosition, "value %d of %d of attribute %s"},
    {Detail::kWhatBoundaryPointPosition,
     "boundary point %d of %d of attribute %s"},
};

namespace catalogue_internal {

// Each table holds every id once, at the place of its value, and its
// formats convert with %d and %s alone.
template <class Id, std::size_t n>
constexpr bool well_formed(const CatalogueEntry<Id> (&entries)[n]) {
  if (n != static_cast<std::size_t>(Id::kCount)) return false;
  for (std::size_t i = 0; i < n; ++i) {
    if (static_cast<std::size_t>(entries[i].id) != i) return false;
    for (const char* c = entries[i].format; *c != '\0'; ++c) {
      if (*c == '%' && *++c != 'd' && *c != 's') return false;
    }
  }
  return true;
}

}  // namespace catalogue_internal

static_assert(catalogue_internal::well_formed(kMessages));
static_assert(catalogue_internal::well_formed(kDetails));

constexpr const char* format_of(Message id) {
  return kMessages[static_cast<std::size_t>(id)].format;
}
constexpr const char* format_of(Detail id) {
  return kDetails[static_cast<std::size_t>(id)].format;
}

namespace catalogue_internal {

// The conversion an argument type fills; '?' for any other type.
template <class T>
inline constexpr char kConversion = '?';
template <>
inline constexpr char kConversion<int> = 'd';
template <>
inline constexpr char kConversion<const char*> = 's';
template <>
inline constexpr char kConversion<std::string> = 's';

// Whether the conversions of format are, in order, those listed in taken.
constexpr bool arguments_fit(const char* format, const char* taken) {
  for (const char* c = format; *c != '\0'; ++c) {
    if (*c != '%') continue;
    ++c;
    if (*c != *taken || *taken == '\0') return false;
    ++taken;
  }
  return *taken == '\0';
}

inline int pass(int value) { return value; }
inline const char* pass(const char* text) { return text; }
inline const char* pass(const std::string& text) { return text.c_str(); }

// printf of a catalogue format, whose arguments render() has checked.
std::string print(const char* format, ...);

}  // namespace catalogue_internal

// The text of message or detail id with args filled in.
template <auto id, class... Args>
std::string render(const Args&... args) {
  using namespace catalogue_internal;
  static constexpr char kTaken[] = {kConversion<std::decay_t<const Args&>>...,
                                    '\0'};
  static_assert(arguments_fit(format_of(id), kTaken),
                "the arguments do not fit the format of this message");
  return print(format_of(id), pass(args)...);
}

}  // namespace ruleval
