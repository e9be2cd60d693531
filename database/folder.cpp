#include "database/folder.h"

VELNOR_IMPLEMENT_SERIAL(CFolder, 1)

void CFolder::Serialize(CArchive& ar) {
  ar.Text(m_strName);
  ar.Text(m_strPath);
  ar.Bool(m_bEnabled);
  ar.Int32(m_nIconId);
}
