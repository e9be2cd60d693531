#include "launcher/launcher_dlg_win.h"

#include <commctrl.h>

#include <optional>

#include "database/velnor_doc.h"
#include "framework/wide_text_win.h"
#include "framework/window_win.h"
#include "framework/work_area_win.h"
#include "launcher/file_filter.h"
#include "launcher/launcher_layout.h"
#include "resources/resource.h"

namespace {

constexpr wchar_t kCaption[] = L"Plovant Velnor";
constexpr wchar_t kDpiWarning[] =
    L"Dialog text may be not correctly displayed. If so,\nselect small font size (96 dpi) in your control panel!";

std::string WindowTextUtf8(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
  return WideToUtf8(text);
}

// Window placements are in workspace coordinates (relative to the work
// area); moving a window takes screen coordinates.
POINT WorkspaceOffset(HWND hwnd) {
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  if (!GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &info)) return POINT{0, 0};
  return POINT{info.rcWork.left - info.rcMonitor.left, info.rcWork.top - info.rcMonitor.top};
}

// The smallest launcher that still shows the query box and a few rows, in
// dialog units of its client area; WM_GETMINMAXINFO holds the user to it.
constexpr LONG kMinClientWidthDlu = 100;
constexpr LONG kMinClientHeightDlu = 48;

SIZE MinimumWindowSize(HWND dialog) {
  RECT r = {0, 0, kMinClientWidthDlu, kMinClientHeightDlu};
  MapDialogRect(dialog, &r);
  AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
  return SIZE{r.right - r.left, r.bottom - r.top};
}

int32_t WorkAreaWidth(HWND hwnd) {
  RECT r = {};
  GetWindowRect(hwnd, &r);
  const CRect work = WorkAreaNearest(CRect{r.left, r.top, r.right, r.bottom});
  return work.right - work.left;
}

void InsertColumn(HWND list, int index, const wchar_t* header, int width) {
  LVCOLUMNW column = {};
  column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.fmt = LVCFMT_LEFT;
  column.pszText = const_cast<wchar_t*>(header);
  column.cx = width;
  column.iSubItem = index;
  SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}

}  // namespace

CLauncherDlg::CLauncherDlg(CVelnorDoc& doc, CFileFilter& filter)
    : CDialog(IDD_LAUNCHER), m_doc(doc), m_filter(filter) {}

CLauncherDlg::~CLauncherDlg() = default;

BOOL CLauncherDlg::OnInitDialog() {
  const HWND hwnd = GetSafeHwnd();
  const HWND list = GetDlgItem(hwnd, IDC_RESULT_LIST);
  const HWND query = GetDlgItem(hwnd, IDC_QUERY);

  if (!m_doc.m_placement.m_bValid) {
    MoveToWorkAreaCorner(hwnd);
    const RECT r = NormalRect();
    CaptureFirstPlacement(m_doc.m_placement, CRect{r.left, r.top, r.right, r.bottom});
  }
  RestorePlacement();

  m_icon.Reset(static_cast<HICON>(
      LoadImageW(CWindow::ModuleHandle(), MAKEINTRESOURCEW(IDI_TRAY), IMAGE_ICON, 16, 16, 0)));
  SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon.Get()));

  m_query.Attach(query, list, [this] { FilterList(); });
  m_list.Attach(list);
  m_list.m_onOpen = [this] { RunSelection(RunMode::kList); };
  m_list.m_beforeKeyboardAction = [this] { m_query.ApplyPendingQuery(); };
  m_list.Tip().SetDocument(m_doc);
  // Opening a file from its shell menu is a use, as opening it with Enter;
  // the launcher stays open.
  m_list.m_onContextMenu = [this](const CFileInfo& record, POINT at) {
    Env& env = m_doc.GetEnv();
    if (ShowShellMenu(env, m_list.GetSafeHwnd(), std::string(record.Path()), at, m_pickShellCommand))
      m_filter.RecordLaunch(record, env.Now());
  };
  // The dialog manager looks for mnemonics among visible controls only:
  // Alt+N for the hidden native-mode button reaches the focused control.
  const auto mnemonic = [this](WPARAM key) {
    if (key != 'n' && key != 'N') return false;
    PostMessageW(GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(IDC_NATIVE_MODE, BN_CLICKED), 0);
    return true;
  };
  m_query.m_onAltKey = mnemonic;
  m_list.m_onAltKey = mnemonic;

  const IconHandle placeholder(static_cast<HICON>(
      LoadImageW(CWindow::ModuleHandle(), MAKEINTRESOURCEW(IDI_FILE_PLACEHOLDER), IMAGE_ICON, 16, 16, 0)));
  m_icons = std::make_unique<CIconCache>(placeholder.Get());
  SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(m_icons->Images()));

  const int32_t workWidth = WorkAreaWidth(hwnd);
  InsertColumn(list, 0, L"Title", UsableColumnWidth(m_doc.m_placement.m_nTitleWidth, kDefaultTitleWidth, workWidth));
  InsertColumn(list, 1, L"Folder",
               UsableColumnWidth(m_doc.m_placement.m_nFolderWidth, kDefaultFolderWidth, workWidth));
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);

  WarnAboutScreenResolution();

  // The user types as soon as the hot key is down: the query box has the
  // keyboard before the slow part (filling a million rows), so keys typed
  // meanwhile wait in this thread's queue and reach the box in order once
  // the dialog's loop runs. Nothing sets the box's text: what was typed stays.
  ShowWindow(hwnd, SW_SHOW);
  SetForegroundWindow(hwnd);
  SetFocus(query);
  FilterList();
  SetTimer(hwnd, kIconTimer, kIconTimerMs, nullptr);
  // A timer comes once the loop has nothing else to do: the window system
  // has then put the dialog on the screen with the keyboard in the box.
  SetTimer(hwnd, kReadyTimer, USER_TIMER_MINIMUM, nullptr);
  // The focus is where it belongs; the dialog manager must not move it again.
  return FALSE;
}

void CLauncherDlg::WarnAboutScreenResolution() {
  if (m_doc.m_bDpiWarningShown) return;
  const SIZE dpi = ScreenDpi();
  if (dpi.cx == 96 && dpi.cy == 96) return;
  ShowDpiWarning();
  m_doc.m_bDpiWarningShown = true;
}

SIZE CLauncherDlg::ScreenDpi() const {
  const WindowDC dc(GetSafeHwnd());
  return SIZE{GetDeviceCaps(dc.Get(), LOGPIXELSX), GetDeviceCaps(dc.Get(), LOGPIXELSY)};
}

void CLauncherDlg::ShowDpiWarning() {
  MessageBoxW(GetSafeHwnd(), kDpiWarning, kCaption, MB_ICONEXCLAMATION | MB_OK);
}

RECT CLauncherDlg::NormalRect() const {
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof(placement);
  GetWindowPlacement(GetSafeHwnd(), &placement);
  return placement.rcNormalPosition;
}

// Whole and usable on the screen as it is now, whatever the saved
// rectangle holds (the screen may have shrunk since it was saved).
void CLauncherDlg::RestorePlacement() {
  const HWND hwnd = GetSafeHwnd();
  const POINT offset = WorkspaceOffset(hwnd);
  const SIZE minimum = MinimumWindowSize(hwnd);
  const CRect sized = SizedLauncherRect(m_doc.m_placement.m_rect, offset.x, offset.y, minimum.cx, minimum.cy);
  const CRect r = FitIntoWorkArea(sized, WorkAreaNearest(sized));
  MoveWindow(hwnd, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

void CLauncherDlg::FilterList() { FillList({}); }

void CLauncherDlg::RefillList() { FillList(m_list.GetSelectedRecords()); }

void CLauncherDlg::FillList(const std::vector<const CFileInfo*>& keepSelected) {
  const HWND query = GetDlgItem(GetSafeHwnd(), IDC_QUERY);
  MatchOptions options;
  options.searchFullPath = m_doc.m_bSearchFullPath;
  options.mp3Support = m_doc.m_bMp3Support;
  m_list.SetRows(m_filter.Run(WindowTextUtf8(query), options), keepSelected);
  m_list.CompactFolderColumn();
  ++m_filterRuns;
}

void CLauncherDlg::RunSelection(RunMode mode) {
  const std::string query = WindowTextUtf8(GetDlgItem(GetSafeHwnd(), IDC_QUERY));
  Env& env = m_doc.GetEnv();
  const auto countUse = [&](const CFileInfo& record) { m_filter.RecordLaunch(record, env.Now()); };
  if (::RunSelection(mode, m_list.GetRowCount(), m_list.GetSelectedRecords(), query, env, GetSafeHwnd(),
                     countUse)) {
    EndLauncher(IDOK);
  }
}

void CLauncherDlg::FetchVisibleIcons() {
  const HWND list = m_list.GetSafeHwnd();
  if (!list || !m_icons) return;
  const int top = static_cast<int>(SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
  const int perPage = static_cast<int>(SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0));
  // One row more than fit: the partly visible one at the bottom.
  for (int row = top; row <= top + perPage; ++row) {
    if (row < 0 || static_cast<size_t>(row) >= m_list.GetRowCount()) continue;
    if (m_list.GetRow(row).image != 0) continue;
    const CFileInfo* record = m_list.GetRow(row).record;
    const std::optional<CIconCache::FileIcon> icon = m_icons->Describe(Utf8ToWide(record->Path()));
    if (!icon) {
      // A file gone since the scan: the placeholder stays, and the shell is
      // not asked again every second.
      m_list.SetRowImage(row, CResultList::kNoShellIcon);
      continue;
    }
    m_doc.SetFileType(*record, WideToUtf8(icon->typeName), icon->image);
    m_list.SetRowImage(row, icon->image > 0 ? icon->image : CResultList::kNoShellIcon);
  }
}

void CLauncherDlg::EndLauncher(INT_PTR result) {
  m_endResult = result;
  EndDialog(result);
}

void CLauncherDlg::LayoutControls() {
  const HWND hwnd = GetSafeHwnd();
  const HWND list = m_list.GetSafeHwnd();
  const HWND query = GetDlgItem(hwnd, IDC_QUERY);
  if (!list || !query) return;
  RECT client = {}, box = {};
  GetClientRect(hwnd, &client);
  GetWindowRect(query, &box);
  const LauncherLayout layout = LayoutLauncher(client.right, client.bottom, box.bottom - box.top);
  MoveWindow(list, layout.list.left, layout.list.top, layout.list.right - layout.list.left,
             layout.list.bottom - layout.list.top, TRUE);
  MoveWindow(query, layout.query.left, layout.query.top, layout.query.right - layout.query.left,
             layout.query.bottom - layout.query.top, TRUE);
}

void CLauncherDlg::OnDestroy() {
  const HWND list = m_list.GetSafeHwnd();
  const RECT r = NormalRect();
  SavePlacement(m_doc.m_placement, CRect{r.left, r.top, r.right, r.bottom},
                list ? static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0)) : m_doc.m_placement.m_nTitleWidth,
                list ? static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0)) : m_doc.m_placement.m_nFolderWidth);
  m_query.Detach();
  m_list.Detach();
  KillTimer(GetSafeHwnd(), kIconTimer);
  KillTimer(GetSafeHwnd(), kReadyTimer);
}

INT_PTR CLauncherDlg::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          // Enter right after typing opens the first row of what was typed,
          // not the row that was on top before the pause came.
          m_query.ApplyPendingQuery();
          RunSelection(RunMode::kList);
          return TRUE;
        case IDC_NATIVE_MODE:
          RunSelection(RunMode::kTypedText);
          return TRUE;
        case IDCANCEL:
          EndLauncher(IDCANCEL);
          return TRUE;
        case IDC_QUERY:
          if (HIWORD(wParam) == EN_CHANGE) m_query.OnTextChanged();
          return TRUE;
        default:
          return FALSE;
      }
    case WM_SIZE:
    case WM_SHOWWINDOW:
      LayoutControls();
      return FALSE;
    case WM_TIMER:
      if (wParam == kIconTimer) FetchVisibleIcons();
      if (wParam == kReadyTimer) {
        KillTimer(GetSafeHwnd(), kReadyTimer);
        if (m_onReadyForKeys) m_onReadyForKeys();
      }
      return FALSE;
    case WM_GETMINMAXINFO:
      // Only once the dialog has its font: dialog units mean nothing before.
      if (m_list.GetSafeHwnd()) {
        const SIZE minimum = MinimumWindowSize(GetSafeHwnd());
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{minimum.cx, minimum.cy};
      }
      return FALSE;
    case WM_DESTROY:
      OnDestroy();
      return FALSE;
    default:
      return FALSE;
  }
}
