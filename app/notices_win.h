// What the user is told in a box of the program's own: the question asked
// when the database cannot be written at exit, and the notices after
// start-up (a database unreadable or damaged, a portable folder that cannot
// be written, a guide that cannot be opened).
#pragma once

#include <string>

#include "database/velnor_doc.h"

// What to do when the database could not be written at exit.
enum class SaveFailureChoice { kRetry, kExitWithoutSaving, kKeepRunning };

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
