// What the user is told about the database file: the question asked when it
// cannot be written at exit, and the notice when it could not be read.
#pragma once

#include <string>

#include "app/velnor_app_win.h"
#include "database/velnor_doc.h"

SaveFailureChoice AskSaveFailure(const std::string& databasePath);

// Shown once per run, after start-up. `busy`: another program held the file.
void TellDatabaseUnreadable(const std::string& databasePath, bool busy);
// Shown once, after start-up, when the database was damaged: what was read
// and where the original is kept.
void TellDatabaseDamaged(const std::string& databasePath, const DatabaseLoadReport& report);
// A portable copy whose folder cannot be written keeps its data in
// `databasePath` (under %APPDATA%) instead of in `programFolder`.
void TellPortableFolderReadOnly(const std::string& programFolder, const std::string& databasePath);

// Starter Help could not open the guide (help.htm beside velnor.exe).
void TellGuideUnavailable();
