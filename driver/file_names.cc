#include "driver/file_names.h"

#include <cstdio>

namespace ruleval {
namespace {

std::size_t file_name_start(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? 0 : slash + 1;
}

}  // namespace

std::string replace_extension(std::string_view path,
                              std::string_view extension) {
  std::size_t stem_end = file_name_start(path);
  while (stem_end < path.size() && path[stem_end] == '.') ++stem_end;
  stem_end = path.find('.', stem_end);
  if (stem_end == std::string_view::npos) stem_end = path.size();
  std::string name(path.substr(0, stem_end));
  name += '.';
  name += extension;
  return name;
}

bool has_file_name(std::string_view path) {
  return path.find_first_not_of('.', file_name_start(path)) !=
         std::string_view::npos;
}

RunFiles name_run_files(std::string_view base_name,
                        std::string_view output_dir) {
  std::string written(base_name);
  if (!output_dir.empty()) {
    written = output_dir;
    if (written.back() != '/') written += '/';
    written += base_name.substr(file_name_start(base_name));
  }
  RunFiles files;
  files.description = replace_extension(base_name, "fmc");
  files.test_data = replace_extension(base_name, "tst");
  files.rules = replace_extension(base_name, "intr");
  files.test_codes = replace_extension(written, "qzf");
  files.selected_description = replace_extension(written, "fmc1");
  files.ordered_cases = replace_extension(written, "qzf1");
  files.result = replace_extension(written, "result");
  files.coverage = replace_extension(written, "tcover");
  files.summary = replace_extension(written, "sum");
  return files;
}

int delete_intermediate_files(const RunFiles& files) {
  std::remove(files.selected_description.c_str());
  std::remove(files.test_codes.c_str());
  return std::remove(files.ordered_cases.c_str()) == 0 ? 0 : -1;
}

}  // namespace ruleval
