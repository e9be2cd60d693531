// The shell's own context menu for one file: the entries the shell offers
// (open, cut, copy, properties, and whatever programs added), shown at a
// point and carried out by the shell. The program only learns whether the
// entry chosen opened the file, which counts as a use.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

class Env;

// Shows `menu` at `at` and returns the chosen command id, 0 when dismissed.
using ShellMenuPicker = std::function<UINT(HMENU menu, HWND owner, POINT at)>;
UINT TrackShellMenu(HMENU menu, HWND owner, POINT at);

// Submenus that programs add to the shell's menu are filled only as they
// open, through messages this popup does not pass to the shell: they are
// shown, grayed.
void GraySubmenus(HMENU menu);

// Shows the context menu of `path` (UTF-8) at screen point `at`, owned by
// `owner`, and runs the entry chosen. True exactly when the entry was
// "open" and the file was opened. Entries that open submenus are shown
// grayed. Nothing is shown for a path the shell cannot resolve or one too
// long for it (a shortened path would be another file).
bool ShowShellMenu(Env& env, HWND owner, const std::string& path, POINT at,
                   const ShellMenuPicker& pick = TrackShellMenu);
