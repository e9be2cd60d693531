#include "folders/folder_settings_dlg_win.h"

#include <shlobj.h>
#include <windowsx.h>

#include "database/velnor_doc.h"
#include "framework/wide_text_win.h"
#include "framework/window_win.h"
#include "framework/work_area_win.h"
#include "resources/resource.h"

namespace {

constexpr wchar_t kCaption[] = L"Plovant Velnor";
constexpr wchar_t kBrowsePrompt[] =
    L"Please select the file system directory you want to add, then confirm your choice by clicking on the "
    L"\"OK\" button.";
constexpr wchar_t kAlreadyListed[] = L"The folder you selected has already been existing!";
constexpr int kTitleColumnWidth = 136;
constexpr int kPathColumnWidth = 256;
constexpr COLORREF kCheckTransparent = RGB(255, 0, 0);

// The columns' widths are pixels at 96 dpi; a larger font gets wider ones.
int Scaled(HWND window, int pixels) {
  const WindowDC dc(window);
  const int dpi = dc ? GetDeviceCaps(dc.Get(), LOGPIXELSX) : 96;
  return MulDiv(pixels, dpi > 0 ? dpi : 96, 96);
}

struct ItemIdList {
  explicit ItemIdList(PIDLIST_ABSOLUTE pidl) : p(pidl) {}
  ~ItemIdList() { CoTaskMemFree(p); }
  ItemIdList(const ItemIdList&) = delete;
  ItemIdList& operator=(const ItemIdList&) = delete;
  PIDLIST_ABSOLUTE p;
};

}  // namespace

CFolderSettingsDlg::CFolderSettingsDlg(CVelnorDoc& doc)
    : CDialog(IDD_FOLDER_SETTINGS), m_doc(doc), m_edits(doc), m_pList(std::make_unique<CFolderList>()) {}

CFolderSettingsDlg::~CFolderSettingsDlg() = default;

BOOL CFolderSettingsDlg::OnInitDialog() {
  const HWND hwnd = GetSafeHwnd();
  MoveToWorkAreaCorner(hwnd);
  m_pList->Attach(GetDlgItem(hwnd, IDC_FOLDER_LIST));
  m_pList->m_onToggle = [this](int row) { OnToggle(row); };
  m_pList->m_onExplore = [this] { OnExploreFolder(); };
  m_pList->m_onRemove = [this] { OnRemoveFolder(); };
  m_pList->m_onRename = [this](int row, std::string name) { OnRename(row, std::move(name)); };
  CreateImageLists();
  InsertColumns();
  FillFolderList();
  const HWND list = m_pList->GetSafeHwnd();
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  // The list's own answer to Down with nothing focused: row 0 focused and
  // selected.
  SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
  // The list, not the Add button before it in the tab order, takes the keys.
  SetFocus(list);
  return FALSE;
}

void CFolderSettingsDlg::CreateImageLists() {
  const HWND list = m_pList->GetSafeHwnd();
  ImageListHandle icons(ImageList_Create(16, 16, ILC_COLOR16 | ILC_MASK, 0, 0));
  ImageListHandle checks(ImageList_LoadImageW(CWindow::ModuleHandle(), MAKEINTRESOURCEW(IDB_FOLDER_CHECKS), 16, 1,
                                              kCheckTransparent, IMAGE_BITMAP, 0));
  // The control destroys the lists it was given; one it refused stays ours.
  SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(icons.Get()));
  SendMessageW(list, LVM_SETIMAGELIST, LVSIL_STATE, reinterpret_cast<LPARAM>(checks.Get()));
  if (reinterpret_cast<HIMAGELIST>(SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0)) == icons.Get())
    m_imlIcons = icons.Release();
  if (reinterpret_cast<HIMAGELIST>(SendMessageW(list, LVM_GETIMAGELIST, LVSIL_STATE, 0)) == checks.Get())
    m_imlChecks = checks.Release();
}

void CFolderSettingsDlg::InsertColumns() {
  const HWND list = m_pList->GetSafeHwnd();
  const wchar_t* const titles[] = {L"Title", L"Path"};
  const int widths[] = {kTitleColumnWidth, kPathColumnWidth};
  for (int c = 0; c < 2; ++c) {
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = Scaled(list, widths[c]);
    column.pszText = const_cast<wchar_t*>(titles[c]);
    column.iSubItem = c;
    SendMessageW(list, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
  }
}

void CFolderSettingsDlg::FillFolderList() {
  m_pList->DeleteAllRows();
  if (m_imlIcons) ImageList_RemoveAll(m_imlIcons);
  for (const auto& folder : m_doc.CopyFolders()) {
    int image = -1;
    if (m_imlIcons) {
      IconHandle icon(static_cast<HICON>(LoadImageW(CWindow::ModuleHandle(), MAKEINTRESOURCEW(folder->m_nIconId),
                                                    IMAGE_ICON, 16, 16, 0)));
      if (icon) image = ImageList_AddIcon(m_imlIcons, icon.Get());
    }
    m_pList->AppendRow(*folder, image);
  }
  m_pList->CompactFolderColumn();
  if (GetSafeHwnd()) UpdateWindow(GetSafeHwnd());
  SetFocus(m_pList->GetSafeHwnd());
}

INT_PTR CFolderSettingsDlg::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      return OnCommand(LOWORD(wParam)) ? TRUE : FALSE;
    case WM_CONTEXTMENU:
      OnContextMenu(reinterpret_cast<HWND>(wParam), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return TRUE;
    default:
      return FALSE;
  }
}

bool CFolderSettingsDlg::OnCommand(UINT id) {
  switch (id) {
    case IDOK:
      EndDialog(IDOK);
      return true;
    case IDCANCEL:
      // Changes are made as they happen; this is a close like the other.
      EndDialog(kCancelResult);
      return true;
    case IDC_ADD_FOLDER:
      OnAddFolder();
      return true;
    case IDC_RESET_FOLDERS:
      OnResetFolders();
      return true;
    case ID_EXPLORE_FOLDER:
      OnExploreFolder();
      return true;
    case ID_RENAME_FOLDER:
      OnRenameFolder();
      return true;
    case ID_REMOVE_FOLDER:
      OnRemoveFolder();
      return true;
    default:
      return false;
  }
}

void CFolderSettingsDlg::OnNcDestroy() {
  m_pList->Detach();
  m_imlIcons = m_imlChecks = nullptr;
}

std::string CFolderSettingsDlg::BrowseForFolder() {
  BROWSEINFOW info = {};
  info.hwndOwner = GetSafeHwnd();
  info.lpszTitle = kBrowsePrompt;
  // The resizable browser, whose box also takes a pasted path.
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_EDITBOX;
  const ItemIdList chosen(SHBrowseForFolderW(&info));
  if (!chosen.p) return {};
  wchar_t path[MAX_PATH] = {};
  if (!SHGetPathFromIDListW(chosen.p, path)) return {};
  return WideToUtf8(path);
}

void CFolderSettingsDlg::ShowAlreadyListed() {
  MessageBoxW(GetSafeHwnd(), kAlreadyListed, kCaption, MB_OK | MB_ICONEXCLAMATION);
}

void CFolderSettingsDlg::OnAddFolder() {
  const std::string path = BrowseForFolder();
  if (path.empty()) return;
  if (!m_edits.Add(path)) {
    ShowAlreadyListed();
    return;
  }
  FillFolderList();
  // The user names the new folder at once; its path is the name until then.
  const int last = static_cast<int>(m_pList->GetRowCount()) - 1;
  m_pList->SelectRow(last);
  m_pList->EditRowLabel(last);
}

void CFolderSettingsDlg::OnExploreFolder() {
  const int row = m_pList->GetSelectedRow();
  if (row < 0) return;
  m_doc.GetEnv().ShellLaunch(m_pList->FolderAt(row).m_strPath, "explore", GetSafeHwnd());
}

void CFolderSettingsDlg::OnRenameFolder() { m_pList->EditRowLabel(m_pList->GetSelectedRow()); }

void CFolderSettingsDlg::OnRename(int row, std::string name) {
  if (row < 0) return;
  m_edits.Rename(static_cast<size_t>(row), std::move(name));
  FillFolderList();
  m_pList->SelectRow(row);
}

void CFolderSettingsDlg::OnRemoveFolder() {
  int selectAfter = -1;
  if (!m_edits.Remove(m_pList->GetSelectedRow(), selectAfter)) {
    MessageBeep(MB_OK);
    return;
  }
  FillFolderList();
  m_pList->SelectRow(selectAfter);
}

void CFolderSettingsDlg::OnResetFolders() {
  m_edits.Reset();
  FillFolderList();
}

void CFolderSettingsDlg::OnToggle(int row) {
  m_edits.Toggle(static_cast<size_t>(row));
  CFolder folder;
  if (m_doc.GetFolder(static_cast<size_t>(row), folder)) m_pList->SetChecked(static_cast<size_t>(row), folder.m_bEnabled);
}

MenuHandle CFolderSettingsDlg::LoadContextMenu() const {
  MenuHandle menu(LoadMenuW(CWindow::ModuleHandle(), MAKEINTRESOURCEW(IDR_FOLDER_MENU)));
  const HMENU popup = menu ? GetSubMenu(menu.Get(), 0) : nullptr;
  if (!popup) return menu;
  SetMenuDefaultItem(popup, ID_EXPLORE_FOLDER, FALSE);
  const FolderMenuStates states = FolderMenuStatesFor(m_pList->GetSelectedRow());
  const auto enable = [popup](UINT id, bool enabled) {
    EnableMenuItem(popup, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
  };
  enable(ID_EXPLORE_FOLDER, states.explore);
  enable(ID_RENAME_FOLDER, states.rename);
  enable(ID_REMOVE_FOLDER, states.remove);
  return menu;
}

void CFolderSettingsDlg::OnContextMenu(HWND window, POINT screen) {
  if (window != m_pList->GetSafeHwnd()) return;
  // From the keyboard (Shift+F10, the menu key) the menu opens at the
  // selected row, or at the list's corner.
  if (screen.x == -1 && screen.y == -1) {
    RECT anchor = {};
    const int row = m_pList->GetSelectedRow();
    anchor.left = LVIR_LABEL;
    if (row < 0 || !SendMessageW(window, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&anchor))) anchor = RECT{};
    screen = POINT{anchor.left, anchor.bottom};
    ClientToScreen(window, &screen);
  }
  const MenuHandle menu = LoadContextMenu();
  const HMENU popup = menu ? GetSubMenu(menu.Get(), 0) : nullptr;
  if (!popup) return;
  TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, GetSafeHwnd(), nullptr);
}
