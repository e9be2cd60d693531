// The persistent classes a database file may name.
#include "database/file_info.h"
#include "database/folder.h"
#include "database/window_placement.h"
#include "framework/runtime_class.h"

const CRuntimeClass* CRuntimeClass::FromName(std::string_view name) {
  static const CRuntimeClass* const kClasses[] = {
      RUNTIME_CLASS(CFileInfo), RUNTIME_CLASS(CFolder), RUNTIME_CLASS(CWindowPlacement)};
  for (const CRuntimeClass* cls : kClasses) {
    if (name == cls->m_lpszClassName) return cls;
  }
  return nullptr;
}
