// The platform as the running program sees it: the real services, with the
// refresh's progress window made from the program's own dialog.
#pragma once

#include <memory>
#include <string>

#include "framework/env.h"

class CProgramEnv final : public EnvWrapper {
 public:
  explicit CProgramEnv(Env& target) : EnvWrapper(target) {}
  std::unique_ptr<ProgressWindow> CreateProgressWindow(const std::string& caption) override;
};
