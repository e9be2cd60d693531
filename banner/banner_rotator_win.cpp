#include "banner/banner_rotator_win.h"

#include <utility>

#include "banner/banner_index.h"
#include "framework/env.h"
#include "framework/win_handles.h"
#include "framework/window_win.h"
#include "resources/resource.h"

int CBannerRotator::s_nCurrent = -1;

CBannerRotator::CBannerRotator(Env& env, std::vector<BannerEntry> entries, UINT_PTR timerId)
    : m_env(env), m_entries(std::move(entries)), m_nTimerId(timerId) {}

CBannerRotator::~CBannerRotator() { Stop(); }

void CBannerRotator::ShowNext() {
  const HWND hwnd = GetSafeHwnd();
  if (!hwnd) return;
  const int next = NextBannerIndex(s_nCurrent, m_entries.size());
  if (next < 0) return;
  s_nCurrent = next;
  const BannerEntry& entry = m_entries[static_cast<size_t>(next)];
  // A DIB section keeps the picture's 24 bits: the control makes a copy of
  // its own of a 32-bit picture with alpha, and the handle it hands back is
  // then no longer the one it was given.
  GdiObjectHandle picture(LoadImageW(CWindow::ModuleHandle(), MAKEINTRESOURCEW(LOWORD(entry.m_nBitmapId)),
                                     IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (picture) {
    // The control hands back the picture it showed (at first the one it
    // loaded from the template) for us to delete, or an hour of turns would
    // hold 720 bitmaps.
    const GdiObjectHandle old(reinterpret_cast<HGDIOBJ>(
        SendMessageW(hwnd, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture.Get()))));
    picture.Release();
  }
  // A missing picture still has its turn, so the rotation goes on.
  SetTimer(hwnd, m_nTimerId, entry.m_nDisplayTime, nullptr);
}

LRESULT CBannerRotator::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam != m_nTimerId) break;
      ShowNext();
      return 0;
    case WM_SETCURSOR:
      if (OnSetCursor()) return TRUE;
      break;
    case WM_LBUTTONDOWN:
      OnLButtonDown();
      break;
    case WM_DESTROY:
      Stop();
      break;
    default:
      break;
  }
  return Default(message, wParam, lParam);
}

bool CBannerRotator::OnSetCursor() {
  // Loaded once by the system and shared: nothing to free.
  const HCURSOR hand = LoadCursorW(CWindow::ModuleHandle(), MAKEINTRESOURCEW(IDC_HAND_POINTER));
  if (!hand) return false;
  SetCursor(hand);
  return true;
}

void CBannerRotator::OnLButtonDown() {
  const int own = OwnBannerIndex(s_nCurrent, m_entries.size());
  if (own < 0) return;
  const std::string& link = m_entries[static_cast<size_t>(own)].m_strLink;
  // What the shell makes of it is its own business: a browser opens or not.
  if (!link.empty()) m_env.ShellLaunch(link, std::string(), GetSafeHwnd());
}

void CBannerRotator::Stop() {
  const HWND hwnd = GetSafeHwnd();
  if (!hwnd) return;
  KillTimer(hwnd, m_nTimerId);
  const GdiObjectHandle shown(
      reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd, STM_SETIMAGE, IMAGE_BITMAP, 0)));
}
