// Files dragged out of the result list: the selected rows leave as a
// file-drop block that any target taking files (Explorer, an editor, a mail
// message) reads.
#pragma once

#include <windows.h>

#include <vector>

class CFileInfo;

// Runs the system's drag loop with the records' files, in the given order,
// offered for copying only: the launcher shows where files are, it must not
// move them away. Returns when the drop or the cancel is done.
void BeginFileDrag(HWND list, const std::vector<const CFileInfo*>& records);
