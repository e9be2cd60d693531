// What the window tests share: a probe that acts from inside a modal loop,
// the program started over an in-memory platform, and a launcher over an
// in-memory document.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/velnor_app_win.h"
#include "framework/message_pump_win.h"
#include "framework/wide_text_win.h"
#include "launcher/file_filter.h"
#include "launcher/launcher_dlg_win.h"
#include "resources/resource.h"
#include "tests/unit/doc_builder.h"
#include "tests/unit/faulty_env.h"
#include "tests/unit/memory_env.h"

// Runs `action` once when a visible window of `windowClass` (and `caption`)
// shows while the code under test sits in a modal loop (a menu, a dialog).
// A loop still open two seconds on is ended, so a failing test cannot hang.
class InsideModalLoop {
 public:
  InsideModalLoop(const wchar_t* windowClass, const wchar_t* caption, std::function<void(HWND)> action)
      : m_class(windowClass), m_caption(caption), m_action(std::move(action)) {
    s_current = this;
    m_timer = SetTimer(nullptr, 0, 20, &InsideModalLoop::Tick);
  }
  ~InsideModalLoop() {
    KillTimer(nullptr, m_timer);
    s_current = nullptr;
  }
  InsideModalLoop(const InsideModalLoop&) = delete;
  InsideModalLoop& operator=(const InsideModalLoop&) = delete;

  bool ran = false;
  bool forced = false;

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    InsideModalLoop* self = s_current;
    HWND window = nullptr;  // the first visible one: an ended dialog lingers hidden
    while (self && (window = FindWindowExW(nullptr, window, self->m_class, self->m_caption)) &&
           !IsWindowVisible(window)) {
    }
    if (!window) return;
    if (!std::exchange(self->ran, true)) {
      self->m_action(window);
    } else if (++self->m_ticks > 100) {
      self->forced = true;
      if (wcscmp(self->m_class, L"#32768") == 0) {
        EndMenu();
      } else {
        PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        if (self->m_ticks > 150) ::EndDialog(window, IDCANCEL);  // one that cancelling leaves open
      }
    }
  }

  static inline InsideModalLoop* s_current = nullptr;
  const wchar_t* m_class;
  const wchar_t* m_caption;
  std::function<void(HWND)> m_action;
  UINT_PTR m_timer = 0;
  int m_ticks = 0;
};

// Never the real Run key, whose values Wine's start-up would run.
inline constexpr char kScratchRunKey[] = "Software\\Plovant Velnor Tests\\Run";
inline void DeleteScratchRunKey() { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Plovant Velnor Tests"); }
inline std::string RunValue() {
  wchar_t data[512] = {};
  DWORD bytes = sizeof(data);
  const LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, L"Software\\Plovant Velnor Tests\\Run", L"Plovant Velnor",
                                      RRF_RT_REG_SZ, nullptr, data, &bytes);
  return status == ERROR_SUCCESS ? WideToUtf8(data) : "<absent>";
}

// Pumps until `done` holds or `ms` have passed; true when `done` came first.
template <typename Done>
bool PumpUntil(Done done, ULONGLONG ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (PumpMessages(); !done(); PumpMessages()) {
    if (GetTickCount64() > end) return false;
    Sleep(5);
  }
  return true;
}

class PumpingEnv : public MemoryEnv {
 public:
  void PumpMessages() override {
    MemoryEnv::PumpMessages();
    ::PumpMessages();
  }
};

// velnor.exe's start-up over a database of one folder with two files, or
// over nothing (a first start), with the process exit and the question
// after a failed save replaced so that tests watch them and live on.
class StartedApp {
 public:
  explicit StartedApp(bool firstStart = false) {
    DeleteScratchRunKey();
    env.modulePath = JoinPath({"C:", "Program Files", "Plovant Velnor", "velnor.exe"});
    env.AddFile(JoinPath({"C:", "Mine", "alpha.txt"}));
    env.AddFile(JoinPath({"C:", "Mine", "beta.txt"}));
    CVelnorDoc seed(env);
    dbPath = seed.PrepareDatabasePath();
    if (!firstStart) {
      seed.m_bFirstRun = false;
      AddFolder(seed, JoinPath({"C:", "Mine"}));
      EXPECT_TRUE(seed.SaveDatabase());
    }
    app.m_strAutorunSubkey = kScratchRunKey;
    app.m_exitProcess = [this](UINT code) { exitCodes.push_back(code); };
    app.m_askSaveFailure = [this](const std::string& path) {
      askedPaths.push_back(path);
      return answer ? answer() : SaveFailureChoice::kKeepRunning;
    };
    EXPECT_TRUE(app.InitInstance());
    doc = app.GetDocument();
    frame = app.GetMainFrame()->GetSafeHwnd();
    // The watcher has looked at the folders: the test may change them.
    if (!firstStart) {
      EXPECT_TRUE(env.notifications.WaitUntilIdle());
    }
  }
  ~StartedApp() { DeleteScratchRunKey(); }

  void Command(UINT id) { SendMessageW(frame, WM_COMMAND, id, 0); }
  void Tray(UINT mouseMessage) { SendMessageW(frame, WM_TRAYNOTIFY, 0, mouseMessage); }
  void HotKey() { SendMessageW(frame, WM_HOTKEY, kHotKeyId, MAKELPARAM(MOD_CONTROL | MOD_ALT, 'R')); }
  std::unique_ptr<CVelnorDoc> Saved() {
    auto saved = std::make_unique<CVelnorDoc>(env);
    const std::string* bytes = env.Contents(dbPath);
    EXPECT_TRUE(bytes && !saved->LoadDatabaseBytes(*bytes).damaged);
    return saved;
  }
  // The shell refuses to change an icon it does not show.
  bool TrayIconShown() const {
    NOTIFYICONDATAW nid = {};
    nid.cbSize = sizeof(nid);
    nid.hWnd = frame;
    return Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE;
  }
  static bool HotKeyFree() {
    const bool free = RegisterHotKey(nullptr, 0x5EED, MOD_CONTROL | MOD_ALT, 'R') != FALSE;
    return free && UnregisterHotKey(nullptr, 0x5EED) != FALSE;
  }

  PumpingEnv env;
  FaultyEnv faults{env};
  std::string dbPath;
  std::vector<UINT> exitCodes;
  std::vector<std::string> askedPaths;
  std::function<SaveFailureChoice()> answer;
  CVelnorApp app{faults};
  CVelnorDoc* doc = nullptr;
  HWND frame = nullptr;
};

class LauncherTest : public ::testing::Test {
 protected:
  const CFileInfo* Add(const std::string& name, int uses = 0) {
    return AddRecord(doc, JoinPath({"C:", "Files", name}), uses, uses);
  }
  // Closes the one left open first, as its user would: only the window's
  // own end keeps where it stood.
  void Open() {
    if (dlg) dlg->DestroyWindow();
    dlg = std::make_unique<CLauncherDlg>(doc, filter);
    ASSERT_TRUE(dlg->Create(nullptr));
    hwnd = dlg->GetSafeHwnd();
    list = GetDlgItem(hwnd, IDC_RESULT_LIST);
    query = GetDlgItem(hwnd, IDC_QUERY);
  }

  std::vector<std::string> Titles() const {
    std::vector<std::string> titles;
    for (size_t i = 0; i < dlg->ResultList().GetRowCount(); ++i)
      titles.emplace_back(dlg->ResultList().GetRow(i).record->Title());
    return titles;
  }
  void Select(std::initializer_list<int> rows) {
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    item.state = LVIS_SELECTED;
    for (int row : rows) SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
  }
  int Row(UINT which) const { return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, -1, which)); }
  // From `from` to its parent; `info` begins with its NMHDR.
  template <typename Info>
  void Notify(HWND from, UINT code, Info info) {
    info.hdr = {from, static_cast<UINT_PTR>(GetDlgCtrlID(from)), code};
    SendMessageW(GetParent(from), WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
  }

  MemoryEnv env;
  CVelnorDoc doc{env};
  CFileFilter filter{doc};
  std::unique_ptr<CLauncherDlg> dlg;
  HWND hwnd = nullptr, list = nullptr, query = nullptr;
};
