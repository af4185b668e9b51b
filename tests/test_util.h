// Helpers shared by the tests: scratch directories and whole-file I/O.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace ruleval::testing {

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir();

  const std::filesystem::path& path() const { return path_; }
  // path() / name, as a string.
  std::string file(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

void write_file(const std::filesystem::path& path, const std::string& content);
std::string read_file(const std::filesystem::path& path);

// Runs command through the shell; returns its exit status, or -1.
int run_shell(const std::string& command);
// text in single quotes for the shell.
std::string shell_quote(const std::string& text);

}  // namespace ruleval::testing
