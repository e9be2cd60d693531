// The one barrier between the program's handlers and the system code that
// calls them (window, dialog and subclass procedures, hooks). An exception
// must not unwind through the system's frames: that ends the process, or
// leaves a message loop or a hook chain half way through.
#pragma once

// Returns what `handler` answers; when it throws (out of memory, in
// practice), what `fallback` answers instead, which is the message's
// default processing.
template <typename Handler, typename Fallback>
auto CallWithoutUnwinding(Handler&& handler, Fallback&& fallback) noexcept -> decltype(handler()) {
  try {
    return handler();
  } catch (...) {
    return fallback();
  }
}
