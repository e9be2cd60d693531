#include "app/velnor_view_win.h"

bool CVelnorView::Create(HWND frame) {
  if (!RegisterWindowClass(kClassName)) return false;
  RECT client = {};
  GetClientRect(frame, &client);
  return CreateEx(0, kClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0, client.right, client.bottom,
                  frame, nullptr);
}
