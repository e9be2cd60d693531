// The launcher: the result list over the query box. It fills the list from
// the filter as the user types, opens the chosen files through the shell,
// fetches the visible rows' icons once a second, and remembers where it
// stood and how wide its columns were.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/dialog_win.h"
#include "framework/win_handles.h"
#include "launcher/icon_cache_win.h"
#include "launcher/query_edit_win.h"
#include "launcher/run_selection.h"
#include "resultlist/result_list_win.h"
#include "resultlist/shell_menu_win.h"

class CFileFilter;
class CVelnorDoc;

class CLauncherDlg : public CDialog {
 public:
  static constexpr UINT_PTR kIconTimer = 3;
  static constexpr UINT kIconTimerMs = 1000;
  static constexpr UINT_PTR kReadyTimer = 4;

  // Files go to the shell of the document's platform.
  CLauncherDlg(CVelnorDoc& doc, CFileFilter& filter);
  ~CLauncherDlg() override;

  // Empties the list and fills it with the files matching the query box.
  void FilterList();
  // The same after the index changed on its own (the change watcher): the
  // rows the user selected stay selected, so Enter still opens them.
  void RefillList();
  // Opens the selected rows or the typed text, as `mode` says.
  void RunSelection(RunMode mode);
  // Gives the visible rows without an icon their shell icon and type name.
  void FetchVisibleIcons();

  // How the last run of the dialog was ended (0 while it runs).
  INT_PTR EndResult() const { return m_endResult; }
  void EndLauncher(INT_PTR result);

  CResultList& ResultList() { return m_list; }
  // How the shell's context menu is shown and answered (tests pick for the user).
  ShellMenuPicker m_pickShellCommand = TrackShellMenu;
  CQueryEdit& QueryEdit() { return m_query; }
  // Once after opening: the launcher is on the screen, the keyboard in its
  // query box, and keys sent to the window in front reach the box.
  std::function<void()> m_onReadyForKeys;
  // How many times the list was filled since the dialog opened.
  int FilterRuns() const { return m_filterRuns; }

 protected:
  BOOL OnInitDialog() override;
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  // The screen's resolution across and down, in dots per inch.
  virtual SIZE ScreenDpi() const;
  virtual void ShowDpiWarning();

 private:
  void FillList(const std::vector<const CFileInfo*>& keepSelected);
  void LayoutControls();
  void OnDestroy();
  void RestorePlacement();
  RECT NormalRect() const;
  void WarnAboutScreenResolution();

  CVelnorDoc& m_doc;
  CFileFilter& m_filter;
  CResultList m_list;
  CQueryEdit m_query;
  std::unique_ptr<CIconCache> m_icons;
  IconHandle m_icon;
  INT_PTR m_endResult = 0;
  int m_filterRuns = 0;
};
