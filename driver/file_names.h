// Naming the files of a run. Every file shares the stem of the base name
// given on the command line and differs only in its extension.
#pragma once

#include <string>
#include <string_view>

namespace ruleval {

// The name of the file with the given extension (no dot): the path cut at
// the first dot of its file-name part, then a dot and the extension.
// Directories keep their dots, and dots that start the file name belong to
// the stem: "iris.old.tst" -> "iris.fmc", "data.old/iris" ->
// "data.old/iris.fmc", ".iris" -> ".iris.fmc".
std::string replace_extension(std::string_view path,
                              std::string_view extension);

// False when path names no file to take a stem from: empty, ending in '/',
// or a file-name part of dots only ("." or "..").
bool has_file_name(std::string_view path);

// Every file of one run, named once from the base name; the stages are
// handed the paths they read and write.
struct RunFiles {
  std::string description;           // B.fmc, the attribute description
  std::string test_data;             // B.tst, the raw test cases
  std::string rules;                 // B.intr, the rule set
  std::string test_codes;            // B.qzf, the coded cases
  std::string selected_description;  // B.fmc1, the selected attributes
  std::string ordered_cases;         // B.qzf1, the coded cases selected
  std::string result;                // B.result
  std::string coverage;              // B.tcover
  std::string summary;               // B.sum
};

// The inputs are named beside base_name; the files the run writes too, or,
// when output_dir is not empty, in output_dir under the file-name part of
// base_name: "data/iris" with "out" writes "out/iris.result".
RunFiles name_run_files(std::string_view base_name,
                        std::string_view output_dir = {});

// Deletes the intermediate files of the run (fmc1, qzf, qzf1, in that order).
// Returns 0 when qzf1 was deleted and -1 when not; the other two deletions
// do not count.
int delete_intermediate_files(const RunFiles& files);

}  // namespace ruleval
