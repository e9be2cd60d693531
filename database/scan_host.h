// What a refresh needs from its surroundings: the file system, the message
// pump that keeps the user interface alive, and the progress window. The
// program supplies Win32 versions; tests supply their own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "database/id3v1.h"
#include "framework/directory_search.h"

// The progress window of one refresh.
class RefreshWindow {
 public:
  virtual ~RefreshWindow() = default;
  virtual void SetRange(uint32_t count) = 0;
  virtual void Show(bool visible) = 0;
  virtual void StepIt() = 0;
  // Shows the window and brings it to the front (hot key during a refresh).
  virtual void ShowAndActivate() = 0;
};

class ScanHost {
 public:
  virtual ~ScanHost() = default;
  virtual DirectoryLister& Lister() { return DirectoryLister::Real(); }
  virtual std::unique_ptr<CMp3File> OpenMp3(const std::string& path) { return CMp3File::Open(path); }
  // Called between directory entries.
  virtual void PumpMessages() {}
  // Created hidden, in the corner of the work area; null where there is no
  // window to show (the command-line tool).
  virtual std::unique_ptr<RefreshWindow> CreateRefreshWindow(const std::string& caption) { return nullptr; }
};
