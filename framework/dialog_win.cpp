#include "framework/dialog_win.h"

#include "framework/control_win.h"
#include "framework/exception_barrier.h"
#include "framework/window_win.h"

namespace {

// The control a parent's message is about, for the messages that go to the
// control's own object first.
HWND ReflectionTarget(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NOTIFY:
      return reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
    case WM_DRAWITEM:
      // Zero: an owner-drawn menu item, which belongs to no control.
      return wParam != 0 ? reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem : nullptr;
    case WM_CONTEXTMENU:
      return reinterpret_cast<HWND>(wParam);
    default:
      return nullptr;
  }
}

}  // namespace

CDialog::~CDialog() {
  // An object that goes away before its window must not leave the window
  // pointing at freed memory.
  if (m_hWnd) {
    SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
    const HWND hwnd = m_hWnd;
    m_hWnd = nullptr;
    ::DestroyWindow(hwnd);
  }
}

bool CDialog::Create(HWND owner) {
  if (m_hWnd) return false;
  const HWND hwnd = CreateDialogParamW(CWindow::ModuleHandle(), MAKEINTRESOURCEW(m_templateId), owner,
                                       &CDialog::StaticDialogProc, reinterpret_cast<LPARAM>(this));
  return hwnd != nullptr && m_hWnd == hwnd;
}

INT_PTR CDialog::DoModal(HWND owner) {
  if (m_hWnd) return -1;
  return DialogBoxParamW(CWindow::ModuleHandle(), MAKEINTRESOURCEW(m_templateId), owner,
                         &CDialog::StaticDialogProc, reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(INT_PTR result) {
  if (m_hWnd) ::EndDialog(m_hWnd, result);
}

void CDialog::DestroyWindow() {
  if (m_hWnd) ::DestroyWindow(m_hWnd);
}

INT_PTR CDialog::DialogProc(UINT, WPARAM, LPARAM) { return FALSE; }

void CDialog::SetMsgResult(LRESULT result) {
  if (m_hWnd) SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
}

INT_PTR CALLBACK CDialog::StaticDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CDialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<CDialog*>(lParam);
    if (!self) return FALSE;
    self->m_hWnd = hwnd;
    SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<CDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  }
  // Messages before WM_INITDIALOG (WM_SETFONT, the non-client creation) and
  // after the object let go go to the system's default processing.
  if (!self) return FALSE;

  // A failed WM_INITDIALOG still lets the system set the focus.
  const INT_PTR result =
      CallWithoutUnwinding([&] { return Dispatch(self, message, wParam, lParam); },
                           [message]() -> INT_PTR { return message == WM_INITDIALOG ? TRUE : FALSE; });

  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    self->m_hWnd = nullptr;
    self->OnNcDestroy();
  }
  return result;
}

INT_PTR CDialog::Dispatch(CDialog* self, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return self->OnInitDialog();
  if (CControl* control = CControl::FromHandle(ReflectionTarget(message, wParam, lParam))) {
    LRESULT result = 0;
    if (control->OnReflectedMessage(message, wParam, lParam, result)) {
      self->SetMsgResult(result);
      return TRUE;
    }
  }
  return self->DialogProc(message, wParam, lParam);
}
