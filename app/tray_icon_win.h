// The program's icon in the notification area. The window it is shown for
// hears the mouse through WM_TRAYNOTIFY; the icon goes when its owner does.
#pragma once

#include <windows.h>

#include "framework/win_handles.h"

// The tray's callback message.
constexpr UINT WM_TRAYNOTIFY = WM_USER + 1;

class CTrayIcon {
 public:
  CTrayIcon() = default;
  ~CTrayIcon() { Remove(); }
  CTrayIcon(const CTrayIcon&) = delete;
  CTrayIcon& operator=(const CTrayIcon&) = delete;

  // Shows the icon for `window`. bSmallIcon: the 16x16 image of the
  // resource; otherwise the system's default size. False when the shell
  // refused (its taskbar may not be there yet).
  bool Add(HWND window, bool bSmallIcon);
  // False when no icon was asked for or the shell had none to take away.
  bool Remove();

 private:
  HWND m_window = nullptr;  // the window of the last Add, until Remove
  IconHandle m_icon;
};
