// A started application over an in-memory database, with the process exit
// and the save-failure question replaced so the tests can watch them.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "app/main_frame_win.h"
#include "app/velnor_app_win.h"
#include "database/velnor_doc.h"
#include "framework/message_pump_win.h"
#include "resources/resource.h"
#include "tests/unit/memory_file_system.h"

// Where the window tests' programs write their autorun value: never the
// real Run key, whose values Wine's start-up would run.
inline constexpr char kScratchRunKey[] = "Software\\Plovant Velnor Tests\\Run";

inline void DeleteScratchRunKey() { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Plovant Velnor Tests"); }

class StartedAppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Not a first run: the first run's help page is the end-to-end test's.
    CVelnorDoc seed(fs);
    seed.m_bFirstRun = false;
    Seed(seed);
    dbPath = seed.GetDatabasePath();
    ASSERT_TRUE(seed.SaveDatabase());
    seededBytes = fs.files[dbPath];

    DeleteScratchRunKey();
    app = std::make_unique<CVelnorApp>(fs);
    app->m_strAutorunSubkey = kScratchRunKey;
    app->m_exitProcess = [this](UINT code) { exitCodes.push_back(code); };
    app->m_askSaveFailure = [this](const std::string& path) {
      askedPaths.push_back(path);
      if (answers.empty()) return SaveFailureChoice::kKeepRunning;
      const SaveFailureChoice answer = answers.front();
      answers.pop_front();
      if (onAsk) onAsk();
      return answer;
    };
    ASSERT_TRUE(app->InitInstance());
    frame = app->GetMainFrame()->GetSafeHwnd();
    ASSERT_NE(frame, nullptr);
  }

  void TearDown() override {
    app.reset();
    PumpMessages();
    DeleteScratchRunKey();
  }

  // What the database holds before the start, beyond a finished first run.
  virtual void Seed(CVelnorDoc&) {}

  // What the last save wrote, read back as a document.
  std::unique_ptr<CVelnorDoc> SavedDocument() {
    auto doc = std::make_unique<CVelnorDoc>(fs);
    const DatabaseLoadReport report = doc->LoadDatabaseBytes(fs.files[dbPath]);
    EXPECT_FALSE(report.damaged);
    return doc;
  }

  // The shell answers a change to an icon it does not show with failure.
  bool TrayIconShown() const {
    NOTIFYICONDATAW nid = {};
    nid.cbSize = sizeof(nid);
    nid.hWnd = frame;
    nid.uID = 0;
    nid.uFlags = NIF_TIP;
    wcscpy(nid.szTip, L"Plovant Velnor [CTRL-ALT-R]");
    return Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE;
  }

  // Ctrl+Alt+R can be taken by someone other than the frame.
  static bool HotKeyFree() {
    constexpr int kProbeId = 0x5EED;
    if (!RegisterHotKey(nullptr, kProbeId, MOD_CONTROL | MOD_ALT, 'R')) return false;
    UnregisterHotKey(nullptr, kProbeId);
    return true;
  }

  MemoryFileSystem fs;
  std::string dbPath;
  std::string seededBytes;
  std::unique_ptr<CVelnorApp> app;
  HWND frame = nullptr;
  std::vector<UINT> exitCodes;
  std::vector<std::string> askedPaths;
  std::deque<SaveFailureChoice> answers;
  std::function<void()> onAsk;
};
