// The base of every control class: a dialog's control taken over with
// SetWindowSubclass, the object riding along as the subclass's data. Each
// message reaches the object's WindowProc, whose body is the class's message
// table; the subclass goes at WM_NCDESTROY or Detach, whichever comes first.
// The dialog base reflects WM_NOTIFY, WM_DRAWITEM and WM_CONTEXTMENU from the
// parent to the control's object (OnReflectedMessage), so a control handles
// its own notifications and drawing.
#pragma once

#include <windows.h>

class CControl {
 public:
  CControl() = default;
  virtual ~CControl();
  CControl(const CControl&) = delete;
  CControl& operator=(const CControl&) = delete;

  // Takes over `control`; false for a null window, a control another object
  // holds, or when the subclass could not be set. An object already
  // attached lets its old control go.
  bool Attach(HWND control);
  void Detach();
  HWND GetSafeHwnd() const { return m_hWnd; }

  // The object attached to `control`, or null.
  static CControl* FromHandle(HWND control);

  // A message the parent received about this control. True when handled;
  // `result` is then the parent's answer.
  virtual bool OnReflectedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

 protected:
  // The class's message table. Anything not handled goes to Default().
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // The control's own procedure (and any subclass below ours).
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);

  HWND m_hWnd = nullptr;
};
