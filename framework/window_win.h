// The base of every window class of the program. One static window procedure
// serves all of them: it links the C++ object to its HWND when the window is
// created and hands each message to the object's WindowProc, whose body is
// the class's message table (a short switch calling named handlers).
// Dialogs get a base of their own beside this one (their procedure links the
// object at WM_INITDIALOG instead); both unlink at WM_NCDESTROY.
#pragma once

#include <windows.h>

class CWindow {
 public:
  CWindow() = default;
  virtual ~CWindow();
  CWindow(const CWindow&) = delete;
  CWindow& operator=(const CWindow&) = delete;

  HWND GetSafeHwnd() const { return m_hWnd; }

  // Registers a window class served by the common procedure; registering the
  // same name again is harmless.
  static bool RegisterWindowClass(const wchar_t* className, HICON icon = nullptr, UINT style = 0,
                                  HBRUSH background = nullptr);

  // Creates the window and links it to this object. False when the platform
  // refused or the class's own creation handler reported failure.
  bool CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x,
                int y, int width, int height, HWND parent, HMENU menuOrId);

  // The module whose resources and classes the program uses.
  static HINSTANCE ModuleHandle();

 protected:
  // The class's message table. Anything not handled goes to Default().
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

  // The last message the window sees; the object is unlinked right after.
  virtual void OnNcDestroy() {}

 private:
  static LRESULT CALLBACK StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  HWND m_hWnd = nullptr;
};
