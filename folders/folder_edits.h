// What the folder settings dialog does to the document's folder list, apart
// from the dialog: each change is made to a copy of the list and put back
// whole, under the document's lock, so the change watcher never sees a list
// half changed; and whether the changes need a new scan when the dialog
// closes (a rename does not: it changes no file the launcher can find).
#pragma once

#include <cstddef>
#include <string>

#include "database/velnor_doc.h"

// The context menu's entries for a selected row (-1: none); "Add..." is
// always enabled.
struct FolderMenuStates {
  bool explore = false;
  bool rename = false;
  bool remove = false;
};
FolderMenuStates FolderMenuStatesFor(int selectedRow);

class CFolderEdits {
 public:
  // The default set's six places head the list and are never removed.
  static constexpr int kProtectedRows = 6;

  explicit CFolderEdits(CVelnorDoc& doc) : m_doc(doc) {}

  void Toggle(size_t row);
  // False, with nothing changed, when the folder is listed already. A new
  // folder is enabled, named after its path and carries the Start Menu icon.
  bool Add(const std::string& path);
  // False, with nothing changed, for no row (-1) and the protected rows;
  // otherwise the row above the removed one is the one to select.
  bool Remove(int row, int& selectAfter);
  void Rename(size_t row, std::string name);
  // The default set as a first start makes it: the user's folders go.
  void Reset();

  bool FoldersChanged() const { return m_bFoldersChanged; }

 private:
  CVelnorDoc& m_doc;
  bool m_bFoldersChanged = false;
};
