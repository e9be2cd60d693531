// The folder settings' list: one row per folder, its check box (the row's
// state image) saying whether the folder is searched. Rows are drawn as the
// launcher's are. The list turns the user's clicks and keys into requests
// that the dialog carries out on the document: a click on a check box or
// Space toggles, a double click explores, Delete removes, and the end of a label
// edit renames.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "database/folder.h"
#include "resultlist/owner_drawn_list_win.h"

class CFolderList : public COwnerDrawnList {
 public:
  // The state images of the check boxes.
  static constexpr int kUnchecked = 1;
  static constexpr int kChecked = 2;

  void DeleteAllRows();
  // A row at the end showing `folder` (a copy the list keeps for drawing)
  // with image `image` of the small image list.
  void AppendRow(const CFolder& folder, int image);
  size_t GetRowCount() const { return m_rows.size(); }
  const CFolder& FolderAt(size_t row) const { return m_rows[row].folder; }

  // -1 when no row is selected.
  int GetSelectedRow() const;
  // Selects and focuses `row` and scrolls it into view.
  void SelectRow(int row);
  void SetChecked(size_t row, bool checked);
  bool IsChecked(size_t row) const;
  // Scrolls `row` into view and opens its label for editing.
  void EditRowLabel(int row);

  bool OnReflectedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  // What the user asked for; the dialog answers each.
  std::function<void(int row)> m_onToggle;
  std::function<void()> m_onExplore;
  std::function<void()> m_onRemove;
  std::function<void(int row, std::string name)> m_onRename;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  size_t RowCount() const override { return m_rows.size(); }
  std::string_view RowLabel(size_t row) const override { return m_rows[row].folder.m_strName; }
  std::string_view RowFolder(size_t row) const override { return m_rows[row].folder.m_strPath; }
  int RowImage(size_t row) const override { return m_rows[row].image; }

 private:
  // True when the press was on a check box, which it then toggled.
  bool OnLeftButtonDown(POINT point);
  bool IsOnCheckBox(POINT point, int row, UINT flags) const;
  // The focused row, or else the selected one.
  void ToggleFocusedRow();

  // The label editor while it is open: Wine reports an edit that ended
  // empty as if it had been cancelled, so Escape is told apart here.
  class CLabelEdit : public CControl {
   public:
    bool m_bEscaped = false;

   protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  };
  // The text the edit ended with; nothing for a cancelled or unchanged one.
  std::optional<std::wstring> EditedText(const NMLVDISPINFOW& info);

  CLabelEdit m_labelEdit;

  struct Row {
    CFolder folder;
    int image;
  };
  std::vector<Row> m_rows;
};
