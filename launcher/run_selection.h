// What Enter does in the launcher, apart from the windows: which targets go
// to the shell, which records count a use, and whether the launcher ends.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "framework/archive.h"

class CFileInfo;
class CFileFilter;
class CVelnorDoc;

// Hands one target (a file's full path, or typed text) to the shell with its
// default action. True when the shell accepted it.
class ShellOpener {
 public:
  virtual ~ShellOpener() = default;
  virtual bool Open(const std::string& target) = 0;
};

// Counts one accepted launch of a record.
class UsageRecorder {
 public:
  virtual ~UsageRecorder() = default;
  virtual void RecordUse(CFileInfo& record) = 0;
};

// listMode: Enter (or a double click); otherwise the native mode, which
// hands the typed text to the shell whatever the list holds.
// `rowCount` is the number of listed rows, `selected` the selected rows'
// records in row order, `query` the query box's text as typed.
// Returns true when the launcher should end.
bool RunSelection(bool listMode, size_t rowCount, const std::vector<CFileInfo*>& selected,
                  std::string_view query, ShellOpener& shell, UsageRecorder& usage);

// One use of `record` at `now`: the count goes up by one and the time is
// stamped, under the document's lock, and the filter moves the record to its
// new place in the launcher's order.
void RecordLaunch(CVelnorDoc& doc, CFileFilter& filter, CFileInfo& record, VelnorTime now);
