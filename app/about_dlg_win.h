// The About box: the product's banner, the version this build carries, and
// the way to the product's home page for an update. It stays open until
// "Close": closing it any other way asks for the home page instead, so a
// user looking for an update always gets there.
#pragma once

#include <windows.h>

#include <memory>

#include "framework/dialog_win.h"

class CBannerRotator;
class Env;

// Where updates and news of the program are published.
inline constexpr char kHomePageLink[] = "https://plovant.example/velnor";

class CAboutDlg : public CDialog {
 public:
  // The banner's own timer within the box.
  static constexpr UINT_PTR kBannerTimerId = 2;
  static constexpr UINT kBannerDisplayMs = 5000;

  // Links go to the shell through `env`.
  explicit CAboutDlg(Env& env);
  ~CAboutDlg() override;

 protected:
  BOOL OnInitDialog() override;
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnOpenHomePage();

  Env& m_env;
  std::unique_ptr<CBannerRotator> m_pBanner;
};
