// The question asked when the database cannot be written at exit.
#pragma once

#include <string>

#include "app/velnor_app_win.h"

SaveFailureChoice AskSaveFailure(const std::string& databasePath);
