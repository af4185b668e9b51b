#include "driver/intermediate_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/messages.h"
#include "prepare/case_files.h"
#include "prepare/test_data_encoder.h"

namespace ruleval {
namespace {

// Whether path holds something other than a regular file, or a link to
// one: such a path is written as the run goes, as it always was.
bool holds_other_than_file(const std::string& path) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) return false;  // nothing there
  return stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode);
}

// The directory part of path, "." when it has none.
std::string directory_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

int creation_error_of_new(const std::string& path) {
  const std::string directory = directory_of(path);
  if (faccessat(AT_FDCWD, directory.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
    return errno;
  }
  const long longest = pathconf(directory.c_str(), _PC_NAME_MAX);
  const std::size_t name_length = path.size() - path.rfind('/') - 1;
  if (longest > 0 && name_length > static_cast<std::size_t>(longest)) {
    return ENAMETOOLONG;
  }
  return 0;
}

}  // namespace

int creation_error(const std::string& path) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) {
    return errno == ENOENT ? creation_error_of_new(path) : errno;
  }
  // Opened for writing without emptying it: the file stays as it is.
  const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return errno;
  close(fd);
  return 0;
}

IntermediateFiles::IntermediateFiles(const RunFiles& files, bool keep)
    : files_(files),
      keep_(keep),
      description_now_(keep ||
                       holds_other_than_file(files.selected_description)),
      ordered_now_(keep || holds_other_than_file(files.ordered_cases)) {
  if (keep || holds_other_than_file(files.test_codes)) {
    codes_path_ = files.test_codes;
  }
}

Status IntermediateFiles::check_codes_file() const {
  if (!codes_path_.empty()) return Status::Ok();
  const int error = creation_error(files_.test_codes);
  if (error == 0) return Status::Ok();
  const char* reason = std::strerror(error);
  return Status::Fatal(
      render<Message::kCannotCreateTestCodes>(files_.test_codes, reason));
}

void IntermediateFiles::codes_begun(const AttributeTable& table) {
  codes_reached_ = true;
  if (codes_path_.empty()) described_ = table.attributes;
}

Status IntermediateFiles::select(const SelectionPlan& plan,
                                 const CaseBuffer& cases,
                                 AttributeTable* table) {
  if (!plan.status.ok()) return plan.status;
  selected_ = plan.list;
  description_reached_ = true;
  Status status = Status::Ok();
  if (description_now_) {
    status = write_selected_description(files_.selected_description, *table,
                                        plan.list,
                                        static_cast<int>(cases.num_cases()));
    if (!status.ok()) return status;
  }
  if (ordered_now_) {
    status = write_ordered_cases(files_.ordered_cases, cases);
  } else if (creation_error(files_.ordered_cases) != 0) {
    status = Status::Fatal(
        render<Message::kCannotCreateOrderedCases>(files_.ordered_cases));
  }
  // A B.qzf1 that could not be created is not left; one cut short is.
  ordered_reached_ = status.ok();
  if (!status.ok()) return status;
  rearrange_attribute_table(&table->attributes, plan.list);
  for (std::size_t i = 0; i < selected_.size(); ++i) {
    selected_[i].index = static_cast<int>(i);
  }
  return Status::Ok();
}

void IntermediateFiles::write_codes(const AttributeTable& table) const {
  const AttributeTable described{described_, table.values};
  CaseBuffer none;
  std::string warning;  // said once, by the run's own encoding
  encode_test_cases(files_.test_data, files_.test_codes, described, {}, &none,
                    &warning);
}

void IntermediateFiles::write_after_failure(
    const AttributeTable& table, const CaseBuffer& cases) const noexcept {
  try {
    if (codes_reached_ && codes_path_.empty()) write_codes(table);
    if (description_reached_ && !description_now_) {
      write_selected_description(files_.selected_description, table, selected_,
                                 static_cast<int>(cases.num_cases()));
    }
    if (ordered_reached_ && !ordered_now_) {
      write_ordered_cases(files_.ordered_cases, cases);
    }
  } catch (...) {
    // Out of memory again: the files are for inspection only.
  }
}

void IntermediateFiles::remove_after_completion() const {
  if (keep_) return;
  delete_intermediate_files(files_);
}

}  // namespace ruleval
