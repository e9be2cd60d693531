// The six well-known shell folders that fill an empty folder list.
#pragma once

#include "database/velnor_doc.h"

// The default set as the shell names its folders on this machine; a folder
// the shell cannot name is left out.
CVelnorDoc::FolderList DefaultFolders(Env& env);

// Adds the default set when the folder list is empty; otherwise nothing.
void AddDefaultFolders(CVelnorDoc& doc);
