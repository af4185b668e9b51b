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

int delete_intermediate_files(std::string_view base_name) {
  std::remove(replace_extension(base_name, "fmc1").c_str());
  std::remove(replace_extension(base_name, "qzf").c_str());
  return std::remove(replace_extension(base_name, "qzf1").c_str()) == 0 ? 0
                                                                        : -1;
}

}  // namespace ruleval
