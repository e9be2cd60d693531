// The small progress window of a refresh: the refresh's caption over a
// smooth progress bar, in the corner of the work area.
#pragma once

#include <windows.h>

#include <string>

#include "framework/env.h"
#include "framework/dialog_win.h"

class CRefreshDlg final : public CDialog, public ProgressWindow {
 public:
  CRefreshDlg();

  // Creates the window hidden, with no owner (the frame it would belong to
  // is never shown), titled `caption`. False when it could not be created.
  bool Create(const std::string& caption);

  HWND GetProgressBar() const;

  void SetRange(uint32_t count) override;
  void Show(bool visible) override;
  void StepIt() override;
  void StepBy(uint32_t steps) override;
  void ShowAndActivate() override;

 protected:
  BOOL OnInitDialog() override;

 private:
  static constexpr uint32_t kVisibleSteps = 1000;
  uint32_t m_nRange = 0;
  uint32_t m_nPosition = 0;
  uint32_t m_nStride = 1;
};
