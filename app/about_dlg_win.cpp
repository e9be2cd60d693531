#include "app/about_dlg_win.h"

#include <string>
#include <vector>

#include "banner/banner_rotator_win.h"
#include "framework/env.h"
#include "framework/work_area_win.h"
#include "resources/resource.h"

CAboutDlg::CAboutDlg(Env& env)
    : CDialog(IDD_ABOUTBOX),
      m_env(env),
      m_pBanner(std::make_unique<CBannerRotator>(
          env, std::vector<BannerEntry>{{IDB_BANNER, kHomePageLink, kBannerDisplayMs}}, kBannerTimerId)) {}

CAboutDlg::~CAboutDlg() = default;

BOOL CAboutDlg::OnInitDialog() {
  const HWND hwnd = GetSafeHwnd();
  m_pBanner->Attach(GetDlgItem(hwnd, IDC_BANNER));
  m_pBanner->ShowNext();
  MoveToWorkAreaCorner(hwnd);
  // The system focuses "Close", the first stop: Enter ends the box.
  return TRUE;
}

INT_PTR CAboutDlg::DialogProc(UINT message, WPARAM wParam, LPARAM) {
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
    case IDOK:
      EndDialog(IDOK);
      return TRUE;
    case IDCANCEL:
      // "Update" carries the cancel id, so Escape and the close box lead
      // there too; the box stays for the user to close.
      OnOpenHomePage();
      return TRUE;
    default:
      return FALSE;
  }
}

void CAboutDlg::OnOpenHomePage() { m_env.ShellLaunch(kHomePageLink, std::string(), GetSafeHwnd()); }
