// The result list's file information tooltip. It comes into being on the
// first mouse movement over the list: one tool over the whole list, whose
// text follows the row and column under the pointer (the summary of the
// file over the Title column, its full folder over the Folder column). The
// list hands it every message first, as a message pre-translation would.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "framework/control_win.h"

class CFileInfo;
class CVelnorDoc;

class CFileTip {
 public:
  // The record of a row of the list; null when there is none.
  using RecordAt = std::function<const CFileInfo*(int row)>;

  explicit CFileTip(RecordAt recordAt) : m_recordAt(std::move(recordAt)) {}

  // The records' owner: their fields are read under its lock, with its MP3
  // option and its platform's time zone. No tip shows without one.
  void SetDocument(const CVelnorDoc& doc) { m_pDoc = &doc; }

  // A message to the list window, before the list handles it.
  void OnListMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam);

  // The tooltip control; null before the first mouse movement, after a
  // failed creation and once the list is gone.
  HWND GetSafeHwnd() const { return m_wndTip.GetSafeHwnd(); }

 private:
  // Destroyed with its object; forgotten when the system destroys it first
  // (with the dialog that owns the list).
  class CTipWindow : public CControl {
   public:
    ~CTipWindow() override { Destroy(); }
    void Destroy();
  };

  bool Create(HWND list);
  bool AddTool(HWND list);
  void Relay(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
  void UpdateTip(HWND list, POINT point);
  void SetText(HWND list, const std::string& text);
  void Pop();

  RecordAt m_recordAt;
  const CVelnorDoc* m_pDoc = nullptr;
  CTipWindow m_wndTip;
  bool m_bTipPending = true;

  // Shared by every result list for the life of the program (one list
  // exists at a time): where the pointer was, and the mouse-move count.
  static inline bool s_bHitTested = false;
  static inline int s_nPrevRow = -1;
  static inline int s_nPrevColumn = -1;
  static inline int s_nMoves = 0;
};
