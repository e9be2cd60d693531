// What Enter does in the launcher, apart from the windows: which targets go
// to the shell, which records count a use, and whether the launcher ends.
#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include "framework/env.h"

class CFileInfo;

// What asked for the launch.
enum class RunMode {
  kList,       // Enter or a double click: the selected rows, or the typed text when nothing is listed
  kTypedText,  // the native mode: the typed text, whatever the list holds
};

// `rowCount` is the number of listed rows, `selected` the selected rows'
// records in row order, `query` the query box's text as typed. Each target
// goes to the shell's default action with `owner` as the owner window;
// `countUse` is called for every record whose launch the shell accepted.
// Returns true when the launcher should end.
bool RunSelection(RunMode mode, size_t rowCount, const std::vector<const CFileInfo*>& selected,
                  std::string_view query, Env& env, void* owner,
                  const std::function<void(const CFileInfo&)>& countUse);
