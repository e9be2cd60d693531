// Why a full refresh runs. The kind alone decides what its progress window
// says and whether the window shows by itself.
#pragma once

enum class RefreshKind {
  // The refresh at every start: it works unseen (showing its window only to
  // hide it again would flash one on every start); the tray icon and the
  // hot key still bring it forward.
  kStartUp,
  // Asked for: the tray menu, a changed folder list or option, velnor-cli.
  // Its window shows once the counting pass has given the bar its range.
  kUserRequested,
};

inline constexpr const char* RefreshCaption(RefreshKind kind) {
  return kind == RefreshKind::kStartUp ? "Initialize Database - Plovant Velnor" : "Refresh Database - Plovant Velnor";
}

inline constexpr bool ShowsProgressByItself(RefreshKind kind) { return kind == RefreshKind::kUserRequested; }
