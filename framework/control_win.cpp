#include "framework/control_win.h"

#include <commctrl.h>

#include "framework/exception_barrier.h"

namespace {

constexpr UINT_PTR kSubclassId = 0x5643;
// The parent finds the object of a control it hears from through this
// property: the subclass data alone cannot be read back, as mingw-w64's
// comctl32 offers no GetWindowSubclass.
constexpr wchar_t kObjectProperty[] = L"PlovantVelnor.Control";

}  // namespace

CControl::~CControl() { Detach(); }

bool CControl::Attach(HWND control) {
  Detach();
  // One object per control: a second subclass with our procedure would take
  // over the first one's data and leave that object attached to nothing.
  if (!control || FromHandle(control) || !SetWindowSubclass(control, &CControl::SubclassProc, kSubclassId,
                                     reinterpret_cast<DWORD_PTR>(this))) {
    return false;
  }
  if (!SetPropW(control, kObjectProperty, this)) {
    RemoveWindowSubclass(control, &CControl::SubclassProc, kSubclassId);
    return false;
  }
  m_hWnd = control;
  return true;
}

void CControl::Detach() {
  if (!m_hWnd) return;
  RemovePropW(m_hWnd, kObjectProperty);
  RemoveWindowSubclass(m_hWnd, &CControl::SubclassProc, kSubclassId);
  m_hWnd = nullptr;
}

CControl* CControl::FromHandle(HWND control) {
  return control ? static_cast<CControl*>(GetPropW(control, kObjectProperty)) : nullptr;
}

bool CControl::OnReflectedMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

LRESULT CControl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return Default(message, wParam, lParam);
}

LRESULT CControl::Default(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefSubclassProc(m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CControl::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR, DWORD_PTR self) {
  CControl* control = reinterpret_cast<CControl*>(self);
  if (message == WM_NCDESTROY) {
    // The window goes first: the object lives on, attached to nothing.
    control->Detach();
    return DefSubclassProc(hwnd, message, wParam, lParam);
  }
  return CallWithoutUnwinding([&] { return control->WindowProc(message, wParam, lParam); },
                              [&] { return DefSubclassProc(hwnd, message, wParam, lParam); });
}
