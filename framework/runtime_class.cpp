#include "framework/runtime_class.h"

CClassRegistration::CClassRegistration(const CRuntimeClass& cls) noexcept
    : m_class(cls), m_next(s_first) {
  s_first = this;
}

const CRuntimeClass* CRuntimeClass::FromName(std::string_view name) {
  for (const CClassRegistration* r = CClassRegistration::s_first; r; r = r->m_next) {
    if (name == r->m_class.m_lpszClassName) return &r->m_class;
  }
  return nullptr;
}
