#include "database/window_placement.h"

VELNOR_IMPLEMENT_SERIAL(CWindowPlacement, 1)

void CWindowPlacement::Serialize(CArchive& ar) {
  // The stored form puts the valid flag last.
  ar.Rect(m_rect);
  ar.Int32(m_nTitleWidth);
  ar.Int32(m_nFolderWidth);
  ar.Bool(m_bValid);
}
