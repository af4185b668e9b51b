// The intermediate files of a run: B.qzf, B.fmc1 and B.qzf1 show the coded
// cases and the selection, for inspection after a failure. A completed run
// needs none of them, so they are not written as the run goes: each stage
// that would write one only checks that it could, and fails as it would fail
// to create it. When a later stage fails, the files the stages before it
// would have left are written then, from the run's memory (B.fmc1, B.qzf1)
// or by encoding B.tst again (B.qzf), with the content they would have had.
//
// A file is still written as the run goes when the run keeps the files, and
// when its path holds something other than a regular file (a directory, a
// device, a dangling link): what happens there is what happened before.
#pragma once

#include <string>
#include <vector>

#include "common/attribute_table.h"
#include "common/case_buffer.h"
#include "common/status.h"
#include "driver/file_names.h"
#include "prepare/attribute_selection.h"

namespace ruleval {

// Why a file could not be created or emptied at path now, as an errno
// value, found without writing anything; 0 when it could be.
int creation_error(const std::string& path);

class IntermediateFiles {
 public:
  // keep: every file is written as the run goes and left after it.
  IntermediateFiles(const RunFiles& files, bool keep);

  // Where the encoder writes B.qzf: its path when it is written as the run
  // goes, empty otherwise.
  const std::string& codes_path() const { return codes_path_; }
  // Checks, when B.qzf is not written as the run goes, that it could be
  // created; to be called once B.tst is known to open. Fails with the
  // message of a B.qzf that cannot be created.
  Status check_codes_file() const;
  // The encoding has begun with the attributes of table in description
  // order: B.qzf exists from here on.
  void codes_begun(const AttributeTable& table);

  // Carries out plan on table (in description order on entry, in selected
  // order on return) as select_attributes does, the writing of B.fmc1 and
  // B.qzf1 aside when they are not written as the run goes.
  Status select(const SelectionPlan& plan, const CaseBuffer& cases,
                AttributeTable* table);

  // After a failure: writes every file the run would have left by now and
  // has not written, as it would have written it. table and cases are the
  // run's; B.tst is encoded again for B.qzf. Never fails nor throws: the
  // failure that ended the run is the one reported.
  void write_after_failure(const AttributeTable& table,
                           const CaseBuffer& cases) const noexcept;
  // After a completed run: removes the files unless they are kept, those
  // an earlier run left too.
  void remove_after_completion() const;

 private:
  void write_codes(const AttributeTable& table) const;

  const RunFiles& files_;
  bool keep_;
  std::string codes_path_;  // files_.test_codes or empty
  bool description_now_;    // B.fmc1 written as the run goes
  bool ordered_now_;        // B.qzf1 written as the run goes
  // What the run would have left so far, written or not.
  bool codes_reached_ = false;
  bool description_reached_ = false;
  bool ordered_reached_ = false;
  // The attributes in description order, as the encoder had them.
  std::vector<Attribute> described_;
  // The entries of B.fmc1 for the table as it stands: plan.list until the
  // table is in selected order, each attribute in its place after.
  std::vector<OrderedEntry> selected_;
};

}  // namespace ruleval
