// The About box's banner: a static picture control that shows the pictures
// of its table in turn, each for its own time, and opens the link of the
// one showing when it is clicked. Every banner of the program goes on from
// the position the last one reached.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/control_win.h"

class Env;

struct BannerEntry {
  int32_t m_nBitmapId = 0;  // the low 16 bits are the bitmap's resource id
  std::string m_strLink;
  uint32_t m_nDisplayTime = 0;  // milliseconds
};

class CBannerRotator : public CControl {
 public:
  // Links go to the shell through `env`; `timerId` is the control's own
  // timer, so a dialog's other timers never collide with it.
  CBannerRotator(Env& env, std::vector<BannerEntry> entries, UINT_PTR timerId);
  ~CBannerRotator() override;

  // The next entry's picture, shown until its display time runs out and
  // the one after it takes over. Nothing happens before Attach.
  void ShowNext();

  // The position every banner shares: -1 until one has shown a picture.
  // Outlives every banner, so the next About box goes on from it.
  static int s_nCurrent;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnLButtonDown();
  bool OnSetCursor();
  // The timer stopped and the picture shown let go: the control leaves no
  // bitmap behind, whichever of window and object goes first.
  void Stop();

  Env& m_env;
  std::vector<BannerEntry> m_entries;
  UINT_PTR m_nTimerId;
};
