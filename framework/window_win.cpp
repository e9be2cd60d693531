#include "framework/window_win.h"

#include "framework/exception_barrier.h"

CWindow::~CWindow() {
  // An object that goes away before its window must not leave the window
  // pointing at freed memory.
  if (m_hWnd) {
    SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
    HWND hwnd = m_hWnd;
    m_hWnd = nullptr;
    ::DestroyWindow(hwnd);
  }
}

HINSTANCE CWindow::ModuleHandle() { return GetModuleHandleW(nullptr); }

bool CWindow::RegisterWindowClass(const wchar_t* className, HICON icon, UINT style,
                                  HBRUSH background) {
  WNDCLASSEXW existing = {};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExW(ModuleHandle(), className, &existing)) return true;
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.style = style;
  wc.lpfnWndProc = &CWindow::StaticWindowProc;
  wc.hInstance = ModuleHandle();
  wc.hIcon = icon;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = className;
  return RegisterClassExW(&wc) != 0;
}

bool CWindow::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                       int x, int y, int width, int height, HWND parent, HMENU menuOrId) {
  if (m_hWnd) return false;
  HWND hwnd = CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent,
                              menuOrId, ModuleHandle(), this);
  // A WM_CREATE handler that fails makes CreateWindowEx return null after
  // WM_NCDESTROY has already unlinked the object.
  return hwnd != nullptr && m_hWnd == hwnd;
}

LRESULT CWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return Default(message, wParam, lParam);
}

LRESULT CWindow::Default(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CWindow::StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  CWindow* self = nullptr;
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    self = static_cast<CWindow*>(create->lpCreateParams);
    if (self) {
      self->m_hWnd = hwnd;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
  } else {
    self = reinterpret_cast<CWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  // Messages that arrive before WM_NCCREATE (WM_GETMINMAXINFO) or after the
  // object let go have no object to go to.
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);

  const LRESULT result = CallWithoutUnwinding([&] { return self->WindowProc(message, wParam, lParam); },
                                              [&] { return DefWindowProcW(hwnd, message, wParam, lParam); });

  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->m_hWnd = nullptr;
    self->OnNcDestroy();
  }
  return result;
}
