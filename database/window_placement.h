// Where the launcher stood and how wide its two columns were.
#pragma once

#include <cstdint>

#include "framework/archive.h"
#include "framework/runtime_class.h"

class CWindowPlacement : public CObject {
  VELNOR_DECLARE_SERIAL(CWindowPlacement)

 public:
  // Written straight into the database body, without a class tag.
  void Serialize(CArchive& ar) override;

  bool operator==(const CWindowPlacement& o) const {
    return m_bValid == o.m_bValid && m_rect == o.m_rect && m_nTitleWidth == o.m_nTitleWidth &&
           m_nFolderWidth == o.m_nFolderWidth;
  }

  bool m_bValid = false;
  CRect m_rect;
  int32_t m_nTitleWidth = 0;
  int32_t m_nFolderWidth = 0;
};
