#include "launcher/launcher_layout.h"

bool CaptureFirstPlacement(CWindowPlacement& placement, const CRect& cornerRect) {
  if (placement.m_bValid) return false;
  SavePlacement(placement, cornerRect, kDefaultTitleWidth, kDefaultFolderWidth);
  return true;
}

void SavePlacement(CWindowPlacement& placement, const CRect& normalRect, int titleWidth,
                   int folderWidth) {
  placement.m_rect = normalRect;
  placement.m_nTitleWidth = titleWidth;
  placement.m_nFolderWidth = folderWidth;
  placement.m_bValid = true;
}

LauncherLayout LayoutLauncher(int clientWidth, int clientHeight, int queryHeight) {
  LauncherLayout layout;
  // A window shrunk below the query box's height gives the list no room
  // rather than a negative height.
  const int listBottom = clientHeight - queryHeight - 2;
  layout.list = CRect{0, 2, clientWidth, listBottom < 2 ? 2 : listBottom};
  layout.query = CRect{0, clientHeight - queryHeight, clientWidth, clientHeight};
  return layout;
}
