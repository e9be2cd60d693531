#include "database/stored_settings.h"

#include "framework/archive.h"

namespace {

void Stored(CArchive& ar, bool& value) { ar.Bool(value); }

void Stored(CArchive& ar, std::atomic<bool>& value) {
  bool plain = value;
  ar.Bool(plain);
  value = plain;
}

void Stored(CArchive& ar, int32_t& value) { ar.Int32(value); }

void Stored(CArchive& ar, CRect& value) { ar.Rect(value); }

// A placement cut short is no placement: read aside, it is taken whole.
void Stored(CArchive& ar, CWindowPlacement& placement) {
  if (ar.IsStoring()) {
    placement.Serialize(ar);
    return;
  }
  CWindowPlacement read;
  read.Serialize(ar);
  if (!ar.Failed()) placement = read;
}

}  // namespace

void SerializeStoredSettings(CArchive& ar, StoredSettings& settings) {
  for (const auto& field : kStoredSettings) {
    std::visit([&](auto member) { Stored(ar, settings.*member); }, field.member);
  }
}
