// Folder settings: the folders the database indexes, each with a check box
// that switches it on or off, and the commands to add, rename, explore,
// remove and reset them. Every change goes to the document at once; the
// dialog only remembers whether a new scan is due when it closes.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "folders/folder_edits.h"
#include "folders/folder_list_win.h"
#include "framework/dialog_win.h"
#include "framework/win_handles.h"

class CVelnorDoc;

class CFolderSettingsDlg : public CDialog {
 public:
  // The result of closing with Escape or the close box; "Close" gives 1.
  static constexpr INT_PTR kCancelResult = 2;

  explicit CFolderSettingsDlg(CVelnorDoc& doc);
  ~CFolderSettingsDlg() override;

  // A check box toggled, or a folder added, removed or reset since the
  // dialog opened: the database needs a refresh.
  bool FoldersChanged() const { return m_edits.FoldersChanged(); }
  CFolderList* GetFolderList() { return m_pList.get(); }

  // Rebuilds every row from the document's folders.
  void FillFolderList();
  void OnAddFolder();
  void OnExploreFolder();
  void OnRenameFolder();
  void OnRemoveFolder();
  void OnResetFolders();

  // The list's context menu with its entries enabled for the current
  // selection, as it opens.
  MenuHandle LoadContextMenu() const;

 protected:
  BOOL OnInitDialog() override;
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnNcDestroy() override;

  // The folder the user picked in the shell's folder browser; empty when
  // the browser was cancelled or the item is not a file-system folder.
  virtual std::string BrowseForFolder();
  virtual void ShowAlreadyListed();

 private:
  bool OnCommand(UINT id);
  void OnContextMenu(HWND window, POINT screen);
  void OnToggle(int row);
  void OnRename(int row, std::string name);
  void CreateImageLists();
  void InsertColumns();

  CVelnorDoc& m_doc;
  CFolderEdits m_edits;
  std::unique_ptr<CFolderList> m_pList;
  // Given to the list control, which destroys them with itself.
  HIMAGELIST m_imlIcons = nullptr;
  HIMAGELIST m_imlChecks = nullptr;
};
