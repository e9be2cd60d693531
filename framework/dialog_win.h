// The base of every dialog class, beside CWindow. One static dialog
// procedure serves all of them: it links the C++ object to its HWND at
// WM_INITDIALOG (the creation parameter carries the object) and hands each
// later message to the object's DialogProc, whose body is the class's
// message table. The link is dropped at WM_NCDESTROY. WM_NOTIFY, WM_DRAWITEM
// and WM_CONTEXTMENU about an attached CControl go to that control's object
// first; DialogProc sees only what it left unhandled.
#pragma once

#include <windows.h>

class CDialog {
 public:
  explicit CDialog(UINT templateId) : m_templateId(templateId) {}
  // A modeless window still open goes with its object.
  virtual ~CDialog();
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  HWND GetSafeHwnd() const { return m_hWnd; }

  // Modeless: creates the window from the template and returns at once.
  // False when the platform refused or the object already has a window.
  bool Create(HWND owner);

  // Modal: runs the dialog's own message loop until EndDialog. Returns the
  // result given to EndDialog, or -1 when the dialog could not be created.
  INT_PTR DoModal(HWND owner);
  void EndDialog(INT_PTR result);

  // Ends a modeless dialog's window (the object stays).
  void DestroyWindow();

 protected:
  // After the controls exist. Return TRUE to let the system focus the first
  // control.
  virtual BOOL OnInitDialog() { return TRUE; }
  // The class's message table: TRUE for a message it handled. Messages that
  // carry a result of their own set it with SetMsgResult.
  virtual INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam);
  void SetMsgResult(LRESULT result);
  // The last message the dialog sees; the object is unlinked right after.
  virtual void OnNcDestroy() {}

 private:
  static INT_PTR CALLBACK StaticDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // To the reflecting control or the dialog's own handlers.
  static INT_PTR Dispatch(CDialog* self, UINT message, WPARAM wParam, LPARAM lParam);

  UINT m_templateId;
  HWND m_hWnd = nullptr;
};
