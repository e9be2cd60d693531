// A launcher over a document of a few real files, with a shell that only
// writes down what it was asked to open.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "database/velnor_doc.h"
#include "framework/wide_text_win.h"
#include "launcher/file_filter.h"
#include "launcher/launcher_dlg_win.h"
#include "resources/resource.h"
#include "temp_tree.h"

class FakeShell : public ShellOpener {
 public:
  bool Open(const std::string& target) override {
    opened.push_back(target);
    return refused.count(target) == 0;
  }
  std::vector<std::string> opened;
  std::set<std::string> refused;
};

// Dispatches this thread's messages until `done` holds or `ms` pass.
template <typename Done>
bool PumpUntil(Done done, int ms = 3000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

class LauncherFixture : public ::testing::Test {
 protected:
  LauncherFixture() : tree("velnor-launcher") {}

  // A file on disk (so the shell can describe it) and its record.
  CFileInfo* AddFile(const std::string& name, int uses = 0, VelnorTime last = 0, bool onDisk = true) {
    if (onDisk) tree.AddFile(name);
    return AddRecord(tree.Root(), name, uses, last);
  }
  CFileInfo* AddRecord(const std::string& folder, const std::string& name, int uses = 0, VelnorTime last = 0) {
    auto record = std::make_unique<CFileInfo>();
    record->SetKeyPath(folder + "\\" + name);
    record->SetNameLength(name.size());
    record->m_nUseCount = uses;
    record->m_timeLastUsed = last;
    record->m_bFound = true;
    CFileInfo* raw = record.get();
    doc.m_files.Insert(std::move(record));
    return raw;
  }

  void Open() {
    dlg = std::make_unique<CLauncherDlg>(doc, filter, &shell);
    ASSERT_TRUE(dlg->Create(nullptr));
    hwnd = dlg->GetSafeHwnd();
    list = GetDlgItem(hwnd, IDC_RESULT_LIST);
    query = GetDlgItem(hwnd, IDC_QUERY);
  }
  void Close() {
    if (dlg) dlg->DestroyWindow();
    dlg.reset();
    hwnd = list = query = nullptr;
  }
  void TearDown() override { Close(); }

  // Types `text` into the query box and filters at once.
  void Query(const std::string& text) {
    SetWindowTextW(query, Utf8ToWide(text).c_str());
    dlg->FilterList();
  }
  std::vector<std::string> Titles() {
    std::vector<std::string> titles;
    for (size_t i = 0; i < dlg->ResultList().GetRowCount(); ++i) {
      titles.emplace_back(dlg->ResultList().GetRow(i).record->m_strTitle);
    }
    return titles;
  }
  void Select(std::initializer_list<int> rows) {
    LVITEMW clear = {};
    clear.stateMask = LVIS_SELECTED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
    for (int row : rows) {
      LVITEMW item = {};
      item.state = item.stateMask = LVIS_SELECTED;
      SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    }
  }
  int FocusedRow() const { return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, -1, LVNI_FOCUSED)); }
  int SelectedRow() const { return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED)); }
  void Command(int id) { SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

  TempTree tree;
  CVelnorDoc doc;
  CFileFilter filter{doc};
  FakeShell shell;
  std::unique_ptr<CLauncherDlg> dlg;
  HWND hwnd = nullptr;
  HWND list = nullptr;
  HWND query = nullptr;
};
