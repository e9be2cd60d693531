// The dialog and control bases: each object is linked to its window until
// WM_NCDESTROY, a dialog modeless and modal, notifications about a control
// go to the control's object first, and no exception leaves a handler.
#include "framework/dialog_win.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "framework/control_win.h"
#include "framework/message_pump_win.h"
#include "resources/resource.h"

namespace {

constexpr UINT kThrowMessage = WM_APP + 1;
constexpr UINT kCountMessage = WM_APP + 2;
constexpr UINT kEndMessage = WM_APP + 3;

// Any template of the program will do; the progress window's is the smallest.
class CRecordingDialog : public CDialog {
 public:
  CRecordingDialog() : CDialog(IDD_REFRESH) {}

  HWND hwndSeenAtInit = nullptr;
  int counted = 0;
  int ncDestroys = 0;
  bool endFromInit = false;

 protected:
  BOOL OnInitDialog() override {
    hwndSeenAtInit = GetSafeHwnd();
    if (endFromInit) PostMessageW(GetSafeHwnd(), kEndMessage, 7, 0);
    return TRUE;
  }
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case kThrowMessage:
        throw std::runtime_error("handler failed");
      case kCountMessage:
      case WM_NOTIFY:
        ++counted;
        SetMsgResult(42);
        return TRUE;
      case kEndMessage:
        EndDialog(static_cast<INT_PTR>(wParam));
        return TRUE;
      default:
        return CDialog::DialogProc(message, wParam, lParam);
    }
  }
  void OnNcDestroy() override { ++ncDestroys; }
};

TEST(DialogTest, ModelessObjectIsLinkedFromInitDialogToNcDestroy) {
  CRecordingDialog dlg;
  ASSERT_TRUE(dlg.Create(nullptr));
  const HWND hwnd = dlg.GetSafeHwnd();
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(dlg.hwndSeenAtInit, hwnd);
  EXPECT_EQ(SendMessageW(hwnd, kCountMessage, 0, 0), 42);
  EXPECT_EQ(dlg.counted, 1);
  EXPECT_FALSE(dlg.Create(nullptr));  // one window per object

  dlg.DestroyWindow();
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);
  EXPECT_EQ(dlg.ncDestroys, 1);
}

TEST(DialogTest, ExceptionStopsAtTheDialogProcedure) {
  CRecordingDialog dlg;
  ASSERT_TRUE(dlg.Create(nullptr));
  EXPECT_EQ(SendMessageW(dlg.GetSafeHwnd(), kThrowMessage, 0, 0), 0);
  EXPECT_EQ(SendMessageW(dlg.GetSafeHwnd(), kCountMessage, 0, 0), 42);
}

TEST(DialogTest, ObjectDestroyedFirstTakesItsWindowAlong) {
  HWND hwnd;
  int ncDestroysSeen = -1;
  {
    CRecordingDialog dlg;
    ASSERT_TRUE(dlg.Create(nullptr));
    hwnd = dlg.GetSafeHwnd();
    ncDestroysSeen = dlg.ncDestroys;
  }
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(ncDestroysSeen, 0);
}

TEST(DialogTest, ModalRunReturnsTheResultGivenToEndDialog) {
  CRecordingDialog dlg;
  dlg.endFromInit = true;
  EXPECT_EQ(dlg.DoModal(nullptr), 7);
  EXPECT_NE(dlg.hwndSeenAtInit, nullptr);
  EXPECT_FALSE(IsWindow(dlg.hwndSeenAtInit));
  EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);
  EXPECT_EQ(dlg.ncDestroys, 1);
}

// Takes over the template's progress bar; handles one notification code.
class CRecordingControl : public CControl {
 public:
  static constexpr UINT kOwnCode = 77;
  int counted = 0;
  bool OnReflectedMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result) override {
    if (message != WM_NOTIFY || reinterpret_cast<const NMHDR*>(lParam)->code != kOwnCode) return false;
    ++counted;
    result = 7;
    return true;
  }

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kThrowMessage) throw std::runtime_error("handler failed");
    if (message != kCountMessage) return CControl::WindowProc(message, wParam, lParam);
    ++counted;
    return 42;
  }
};

TEST(ControlTest, HandlesItsOwnAndReflectedMessagesUntilEitherSideGoes) {
  CRecordingDialog dlg;
  ASSERT_TRUE(dlg.Create(nullptr));
  const HWND bar = GetDlgItem(dlg.GetSafeHwnd(), IDC_REFRESH_PROGRESS);
  CRecordingControl control;
  ASSERT_TRUE(control.Attach(bar));
  EXPECT_EQ(SendMessageW(bar, kCountMessage, 0, 0), 42);
  EXPECT_EQ(SendMessageW(bar, kThrowMessage, 0, 0), 0);
  NMHDR own = {bar, IDC_REFRESH_PROGRESS, CRecordingControl::kOwnCode};
  NMHDR other = {bar, IDC_REFRESH_PROGRESS, CRecordingControl::kOwnCode + 1};
  EXPECT_EQ(SendMessageW(dlg.GetSafeHwnd(), WM_NOTIFY, own.idFrom, reinterpret_cast<LPARAM>(&own)), 7);
  EXPECT_EQ(SendMessageW(dlg.GetSafeHwnd(), WM_NOTIFY, own.idFrom, reinterpret_cast<LPARAM>(&other)), 42);
  EXPECT_EQ(control.counted, 2);
  EXPECT_EQ(dlg.counted, 1);
  control.Detach();
  {
    CRecordingControl early;
    ASSERT_TRUE(early.Attach(bar));
    EXPECT_FALSE(control.Attach(bar));  // one object per control
  }
  EXPECT_EQ(SendMessageW(bar, kCountMessage, 0, 0), 0);
  EXPECT_EQ(control.counted, 2);
  ASSERT_TRUE(control.Attach(bar));
  dlg.DestroyWindow();
  EXPECT_EQ(control.GetSafeHwnd(), nullptr);
}

class CMissingTemplateDialog : public CDialog {
 public:
  CMissingTemplateDialog() : CDialog(4321) {}
};

TEST(DialogTest, AMissingTemplateIsAFailureNotACrash) {
  CMissingTemplateDialog dlg;
  EXPECT_FALSE(dlg.Create(nullptr));
  EXPECT_EQ(dlg.DoModal(nullptr), -1);
}

}  // namespace
