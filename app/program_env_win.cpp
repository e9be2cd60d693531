#include "app/program_env_win.h"

#include "database/refresh_dlg_win.h"

std::unique_ptr<ProgressWindow> CProgramEnv::CreateProgressWindow(const std::string& caption) {
  auto window = std::make_unique<CRefreshDlg>();
  // Without a window the refresh still runs; the hot key then shows nothing.
  if (!window->Create(caption)) return nullptr;
  return window;
}
