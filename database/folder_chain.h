// The folders a scan is inside of, from the folder it started at down to the
// one in hand, and whether a link met there leads back to one of them. A
// link back into its own chain would be listed again and again until the
// path limit ends it, and two such links in one folder multiply every
// level; a link to anywhere else is followed like a folder.
#pragma once

#include <deque>
#include <string>

#include "framework/env.h"

class FolderChain {
 public:
  explicit FolderChain(Env& env) : m_env(env) {}

  // `folder` ends with the path separator.
  void Enter(std::string folder);
  void Leave();
  const std::string& Current() const { return m_levels.back().folder; }

  // Whether the link `folder` (ending with the separator) leads to a folder
  // of the chain. Identities are asked only here, when a link is met, and
  // for each folder of the chain at most once while it stays on it: a tree
  // without links costs nothing more to scan. A link whose identity cannot
  // be had is followed, as any folder whose listing works.
  bool LeadsBack(const std::string& folder);

 private:
  struct Level {
    std::string folder;
    bool asked = false;
    bool known = false;
    FolderIdentity id;
  };

  Env& m_env;
  // A deque keeps Current() valid while deeper levels come and go.
  std::deque<Level> m_levels;
};
