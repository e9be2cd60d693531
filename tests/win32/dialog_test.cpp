// The dialog base: the object is linked to its window from WM_INITDIALOG to
// WM_NCDESTROY, modeless and modal, and no exception leaves a handler.
#include "framework/dialog_win.h"

#include <gtest/gtest.h>

#include <stdexcept>

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
