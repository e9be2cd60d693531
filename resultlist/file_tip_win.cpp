#include "resultlist/file_tip_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include <utility>

#include "database/velnor_doc.h"
#include "framework/wide_text_win.h"
#include "framework/window_win.h"
#include "resultlist/file_tip_text.h"

namespace {

constexpr int kMaxTipWidth = 32767;  // "\n" breaks lines only with a maximum width
constexpr int kAutoPopMs = 32767;
constexpr int kInitialMs = 1000;
constexpr int kReshowMs = 200;
constexpr int kMovesPerPop = 16;  // every 16th movement hides a visible tip

// The one tool: the whole list, id 0. The size that every version of the
// common controls accepts.
TOOLINFOW Tool(HWND list) {
  TOOLINFOW tool = {};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = list;
  tool.uId = 0;
  return tool;
}

}  // namespace

void CFileTip::CTipWindow::Destroy() {
  // The window's end detaches it.
  if (GetSafeHwnd()) DestroyWindow(GetSafeHwnd());
}

void CFileTip::OnListMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  Relay(list, message, wParam, lParam);
  switch (message) {
    case WM_MOUSEMOVE:
      UpdateTip(list, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      break;
    case WM_SIZE:
      if (GetSafeHwnd()) {
        TOOLINFOW tool = Tool(list);
        GetClientRect(list, &tool.rect);
        SendMessageW(GetSafeHwnd(), TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
      }
      break;
    case WM_DESTROY:
      m_wndTip.Destroy();
      break;
    default:
      break;
  }
}

void CFileTip::Relay(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      break;
    default:
      return;  // double clicks included
  }
  if (!GetSafeHwnd()) return;
  const DWORD at = GetMessagePos();
  MSG msg = {list, message, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {GET_X_LPARAM(at), GET_Y_LPARAM(at)}};
  SendMessageW(GetSafeHwnd(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

bool CFileTip::Create(HWND list) {
  const HWND tip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, list, nullptr,
                                   CWindow::ModuleHandle(), nullptr);
  if (!tip) return false;
  if (!m_wndTip.Attach(tip)) {
    DestroyWindow(tip);
    return false;
  }
  return true;
}

bool CFileTip::AddTool(HWND list) {
  TOOLINFOW tool = Tool(list);
  GetClientRect(list, &tool.rect);
  wchar_t none[] = L"";  // the text comes with each movement
  tool.lpszText = none;
  return SendMessageW(GetSafeHwnd(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != FALSE;
}

void CFileTip::UpdateTip(HWND list, POINT point) {
  if (!m_pDoc) return;
  if (std::exchange(m_bTipPending, false) && Create(list) && AddTool(list)) {
    const HWND tip = GetSafeHwnd();
    SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, kMaxTipWidth);
    SendMessageW(tip, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(kAutoPopMs, 0));
    SendMessageW(tip, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(kInitialMs, 0));
    SendMessageW(tip, TTM_SETDELAYTIME, TTDT_RESHOW, MAKELPARAM(kReshowMs, 0));
  }
  if (!GetSafeHwnd()) return;

  LVHITTESTINFO hit = {};
  hit.pt = point;
  const int row = static_cast<int>(SendMessageW(list, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  const int column = hit.iSubItem;
  if (!std::exchange(s_bHitTested, true)) {
    s_nPrevRow = row;
    s_nPrevColumn = column;
  }
  if (++s_nMoves == kMovesPerPop) {
    Pop();
    s_nMoves = 0;
  }
  if (row != s_nPrevRow) {
    Pop();
    s_nPrevRow = row;
  }
  if (column != s_nPrevColumn) {
    Pop();
    s_nPrevColumn = column;
  }
  if (row < 0) {
    SendMessageW(GetSafeHwnd(), TTM_ACTIVATE, FALSE, 0);
    return;
  }

  const CFileInfo* file = m_recordAt(row);
  if (!file || (column != 0 && column != 1)) return;  // other columns change nothing
  std::string text;
  m_pDoc->VisitFiles([&](const CFileMap&) {
    text = column == 0 ? FileTipSummary(*file, m_pDoc->m_bMp3Support, m_pDoc->GetEnv())
                       : std::string(file->Folder());
  });
  SetText(list, text);
  SendMessageW(GetSafeHwnd(), TTM_ACTIVATE, TRUE, 0);
}

void CFileTip::SetText(HWND list, const std::string& text) {
  // The control keeps a copy of the text.
  std::wstring wide = Utf8ToWide(text);
  TOOLINFOW tool = Tool(list);
  tool.lpszText = wide.data();
  SendMessageW(GetSafeHwnd(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void CFileTip::Pop() { SendMessageW(GetSafeHwnd(), TTM_POP, 0, 0); }
