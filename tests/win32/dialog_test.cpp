// The dialog and control bases: objects are linked to their windows until
// WM_NCDESTROY, controls answer notifications first, no exception escapes.
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

// Takes over the template's progress bar and answers one notification code.
class CRecordingControl : public CControl {
 public:
  static constexpr UINT kOwnCode = 77;
  bool OnReflectedMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result) override {
    const bool own = message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == kOwnCode;
    if (own) result = 7;
    return own;
  }

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kThrowMessage) throw std::runtime_error("handler failed");
    return CControl::WindowProc(message, wParam, lParam);
  }
};

TEST(ControlTest, AnswersTheDialogsNotificationsAboutItUntilEitherSideGoes) {
  CRecordingDialog dlg;
  ASSERT_TRUE(dlg.Create(nullptr));
  const HWND bar = GetDlgItem(dlg.GetSafeHwnd(), IDC_REFRESH_PROGRESS);
  NMHDR own = {bar, IDC_REFRESH_PROGRESS, CRecordingControl::kOwnCode};
  NMHDR other = {bar, IDC_REFRESH_PROGRESS, CRecordingControl::kOwnCode + 1};
  const auto notify = [&](NMHDR& h) {
    return SendMessageW(dlg.GetSafeHwnd(), WM_NOTIFY, h.idFrom, reinterpret_cast<LPARAM>(&h));
  };
  {
    CRecordingControl first;
    ASSERT_TRUE(first.Attach(bar));
    EXPECT_FALSE(CRecordingControl().Attach(bar));  // one object per control
    EXPECT_EQ(SendMessageW(bar, kThrowMessage, 0, 0), 0);
    EXPECT_EQ(notify(own), 7);
    EXPECT_EQ(notify(other), 0);
  }
  EXPECT_EQ(notify(own), 0);  // the object that went let the bar go
  CRecordingControl control;
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
