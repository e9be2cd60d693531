// The frame's empty client window: it draws nothing and handles nothing.
#pragma once

#include <windows.h>

#include "framework/window_win.h"

class CVelnorView : public CWindow {
 public:
  static constexpr const wchar_t* kClassName = L"PlovantVelnorView";

  bool Create(HWND frame);
};
