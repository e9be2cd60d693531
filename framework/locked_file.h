// The platform's file held for one process alone (see CLockedFile).
#pragma once

#include <memory>
#include <string>

#include "framework/env.h"

Env::LockResult OpenPlatformLockedFile(const std::string& path, std::unique_ptr<CLockedFile>& file);
