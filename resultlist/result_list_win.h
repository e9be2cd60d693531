// The launcher's result list: a virtual report list view over the filter's
// rows (the control keeps only the count, the selection and the focus), so
// a million rows cost one message. Its rows are drawn as every list of the
// program draws them; the list answers its own notifications, which the
// dialog reflects to it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "resultlist/compare_files.h"
#include "resultlist/file_tip_win.h"
#include "resultlist/owner_drawn_list_win.h"

class CFileInfo;

class CResultList : public COwnerDrawnList, public SortKeys {
 public:
  // A row whose icon the shell could not give keeps the placeholder and is
  // not asked for again.
  static constexpr int kNoShellIcon = -1;

  struct Row {
    const CFileInfo* record;
    int image;  // 0 the placeholder, kNoShellIcon, or the fetched icon
  };

  // Replaces every row (in the given order), selects and focuses row 0 and
  // shows it; the title key's direction returns to ascending.
  // Selects the rows of `keep` that are still there, or else the first row.
  void SetRows(const std::vector<const CFileInfo*>& records, const std::vector<const CFileInfo*>& keep = {});
  size_t GetRowCount() const { return m_rows.size(); }
  const Row& GetRow(size_t index) const { return m_rows[index]; }
  void SetRowImage(size_t index, int image);
  // The selected rows' records in row order.
  std::vector<const CFileInfo*> GetSelectedRecords() const;

  bool OnReflectedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  // Alt plus a character typed in the list; true when it was a command.
  std::function<bool(WPARAM)> m_onAltKey;
  // A double click on a row.
  std::function<void()> m_onOpen;
  // Before a key moves the selection or asks for the focused row's menu:
  // the owner brings the rows up to date with what the user typed. (The
  // mouse acts on a row the user sees, so it goes on as it is.)
  std::function<void()> m_beforeKeyboardAction;
  // A context-menu request (right click, the menu key) for the focused
  // row, now the only one selected, at a screen point.
  std::function<void(const CFileInfo&, POINT)> m_onContextMenu;

  // The file information tooltip over the rows.
  CFileTip& Tip() { return m_tip; }

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  size_t RowCount() const override { return m_rows.size(); }
  std::string_view RowLabel(size_t row) const override;
  std::string_view RowFolder(size_t row) const override;
  int RowImage(size_t row) const override { return m_rows[row].image > 0 ? m_rows[row].image : 0; }

 private:
  // Header click on column `column`: reverse that column's order and sort.
  void OnColumnClick(int column);
  // Texts and images the control asks for (LVN_GETDISPINFO).
  void OnGetDispInfo(NMLVDISPINFOW& info);
  bool OnNotify(NMHDR& header);
  void OnContextMenu(POINT at);

  std::vector<Row> m_rows;
  CFileTip m_tip{[this](int row) -> const CFileInfo* {
    return row >= 0 && static_cast<size_t>(row) < m_rows.size() ? m_rows[row].record : nullptr;
  }};
};
