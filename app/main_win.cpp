// velnor.exe: start up, then run the message loop until the tray menu's Exit
// ends the process.
#include <windows.h>

#include "app/velnor_app_win.h"
#include "app/main_frame_win.h"
#include "framework/message_pump_win.h"

namespace {

CVelnorApp theApp(Env::Default());

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  if (!theApp.InitInstance()) return 0;
  const int code = RunMessageLoop();
  // Nothing in the program asks the loop to end; if something outside does,
  // the database is still saved on the way out.
  if (theApp.GetMainFrame() && theApp.GetMainFrame()->GetSafeHwnd()) {
    theApp.CloseDocument(CVelnorApp::CloseReason::kSessionEnd);
  }
  return code;
}
