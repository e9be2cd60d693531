#pragma once

#include <memory>

#include "framework/change_notifier.h"

// FindFirstChangeNotificationW per folder (the whole subtree; names of files
// and folders, and last writes), all waited on by WaitForMultipleObjectsEx.
std::unique_ptr<ChangeNotifier> CreateWin32ChangeNotifier();
