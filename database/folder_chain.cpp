#include "database/folder_chain.h"

void FolderChain::Enter(std::string folder) {
  m_levels.emplace_back();
  m_levels.back().folder = std::move(folder);
}

void FolderChain::Leave() { m_levels.pop_back(); }

bool FolderChain::LeadsBack(const std::string& folder) {
  FolderIdentity target;
  if (!m_env.GetFolderIdentity(folder, target)) return false;
  for (Level& level : m_levels) {
    if (!level.asked) {
      level.asked = true;
      level.known = m_env.GetFolderIdentity(level.folder, level.id);
    }
    if (level.known && level.id == target) return true;
  }
  return false;
}
