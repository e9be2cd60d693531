#include "framework/archive.h"

#include <cstring>

#include "framework/text_utf8.h"

namespace {

constexpr uint16_t kNewClassTag = 0xFFFF;
constexpr uint16_t kClassTag = 0x8000;
constexpr uint16_t kBigObjectTag = 0x7FFF;
constexpr uint32_t kBigClassTag = 0x80000000u;
// A longer class name is not one of ours and would only be read to be refused.
constexpr uint16_t kMaxClassNameLength = 64;

}  // namespace

CArchive::CArchive(std::string* out) : m_out(out) {}

CArchive::CArchive(std::string_view data) : m_data(data) {}

void CArchive::Reserve(size_t bytes) {
  constexpr size_t kNearlyEnough = 64 * 1024;
  const size_t wanted = m_out->size() + bytes;
  if (wanted > m_out->capacity() + kNearlyEnough) m_out->reserve(wanted);
}

void CArchive::WriteBytes(const void* p, size_t n) {
  m_out->append(static_cast<const char*>(p), n);
}

void CArchive::WriteUInt16(uint16_t value) {
  const unsigned char b[2] = {static_cast<unsigned char>(value),
                              static_cast<unsigned char>(value >> 8)};
  WriteBytes(b, 2);
}

void CArchive::WriteUInt32(uint32_t value) {
  const unsigned char b[4] = {
      static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
      static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
  WriteBytes(b, 4);
}

void CArchive::WriteCount(uint32_t count) {
  if (count < 0xFFFF) {
    WriteUInt16(static_cast<uint16_t>(count));
  } else {
    WriteUInt16(0xFFFF);
    WriteUInt32(count);
  }
}

void CArchive::WriteText(std::string_view text) {
  const size_t n = text.size();
  if (n < 255) {
    const unsigned char b = static_cast<unsigned char>(n);
    WriteBytes(&b, 1);
  } else if (n < 0xFFFE) {
    const unsigned char b = 0xFF;
    WriteBytes(&b, 1);
    WriteUInt16(static_cast<uint16_t>(n));
  } else {
    const unsigned char b = 0xFF;
    WriteBytes(&b, 1);
    WriteUInt16(0xFFFF);
    WriteUInt32(static_cast<uint32_t>(n));
  }
  WriteBytes(text.data(), n);
}

uint32_t CArchive::NextNumber() { return m_nextNumber++; }

void CArchive::WriteObject(CObject& object) {
  const CRuntimeClass* cls = object.GetRuntimeClass();
  uint32_t classNumber = 0;
  for (const auto& entry : m_storedClasses) {
    if (entry.first == cls) classNumber = entry.second;
  }
  if (classNumber == 0) {
    WriteUInt16(kNewClassTag);
    WriteUInt16(cls->m_wSchema);
    const size_t len = std::strlen(cls->m_lpszClassName);
    WriteUInt16(static_cast<uint16_t>(len));
    WriteBytes(cls->m_lpszClassName, len);
    m_storedClasses.emplace_back(cls, NextNumber());
  } else if (classNumber < kBigObjectTag) {
    WriteUInt16(static_cast<uint16_t>(kClassTag | classNumber));
  } else {
    WriteUInt16(kBigObjectTag);
    WriteUInt32(kBigClassTag | classNumber);
  }
  NextNumber();  // the object's own number
  object.Serialize(*this);
}

void CArchive::Fail(const char* reason) { FailAt(m_pos, reason); }

void CArchive::FailAt(size_t offset, const char* reason) {
  if (m_failed) return;
  m_failed = true;
  m_failOffset = offset;
  m_failReason = reason;
}

bool CArchive::Take(size_t n, const unsigned char*& p) {
  if (m_failed) return false;
  if (n > Remaining()) {
    m_ranOut = !m_failed;
    Fail("unexpected end of data");
    return false;
  }
  p = reinterpret_cast<const unsigned char*>(m_data.data()) + m_pos;
  m_pos += n;
  return true;
}

bool CArchive::ReadUInt16(uint16_t& value) {
  const unsigned char* p;
  if (!Take(2, p)) return false;
  value = static_cast<uint16_t>(p[0] | (p[1] << 8));
  return true;
}

bool CArchive::ReadUInt32(uint32_t& value) {
  const unsigned char* p;
  if (!Take(4, p)) return false;
  value = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
          (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
  return true;
}

bool CArchive::ReadCount(uint32_t& count) {
  uint16_t small;
  if (!ReadUInt16(small)) return false;
  if (small != 0xFFFF) {
    count = small;
    return true;
  }
  return ReadUInt32(count);
}

bool CArchive::ReadText(std::string& text) {
  std::string_view view;
  std::string converted;
  if (!ReadTextView(view, converted)) return false;
  text = converted.empty() ? std::string(view) : std::move(converted);
  return true;
}

bool CArchive::ReadTextView(std::string_view& view, std::string& converted) {
  const size_t start = m_pos;
  const unsigned char* p;
  if (!Take(1, p)) return false;
  uint32_t len = *p;
  if (len == 0xFF) {
    uint16_t len16;
    if (!ReadUInt16(len16)) return false;
    if (len16 == 0xFFFF) {
      if (!ReadUInt32(len)) return false;
    } else if (len16 == 0xFFFE) {
      FailAt(start, "unsupported text form");
      return false;
    } else {
      len = len16;
    }
  }
  if (len > Remaining()) {
    m_ranOut = !m_failed;
    FailAt(start, "text length exceeds the data");
    return false;
  }
  view = std::string_view(m_data.data() + m_pos, len);
  m_pos += len;
  converted.clear();
  // Only older, legacy code page text is converted.
  if (!IsStoredAsUtf8(view)) {
    converted = LegacyToUtf8(view);
    view = converted;
  }
  return true;
}

void CArchive::Int32(int32_t& value) {
  if (IsStoring()) {
    WriteUInt32(static_cast<uint32_t>(value));
  } else {
    uint32_t v;
    if (ReadUInt32(v)) value = static_cast<int32_t>(v);
  }
}

void CArchive::Bool(bool& value) {
  if (IsStoring()) {
    WriteUInt32(value ? 1u : 0u);
  } else {
    uint32_t v;
    if (ReadUInt32(v)) value = v != 0;
  }
}

void CArchive::Time(VelnorTime& value) {
  if (IsStoring()) {
    WriteUInt32(static_cast<uint32_t>(value));
  } else {
    uint32_t v;
    if (ReadUInt32(v)) value = static_cast<VelnorTime>(v);
  }
}

void CArchive::Rect(CRect& value) {
  // All four or nothing, so a truncated rectangle never half-applies.
  if (IsStoring()) {
    Int32(value.left);
    Int32(value.top);
    Int32(value.right);
    Int32(value.bottom);
    return;
  }
  CRect r = value;
  Int32(r.left);
  Int32(r.top);
  Int32(r.right);
  Int32(r.bottom);
  if (!m_failed) value = r;
}

void CArchive::Text(std::string& value) {
  if (IsStoring()) {
    WriteText(value);
  } else {
    std::string t;
    if (ReadText(t)) value = std::move(t);
  }
}

CArchive::ObjectResult CArchive::ReadObjectTag(const CRuntimeClass* requested, CObject*& existing) {
  existing = nullptr;
  const size_t start = m_pos;
  uint16_t tag;
  if (!ReadUInt16(tag)) return ObjectResult::Failed;

  const CRuntimeClass* cls = nullptr;
  uint32_t classRef = 0;
  uint32_t objectRef = 0;
  bool isClassRef = false;

  if (tag == kNewClassTag) {
    uint16_t schema, nameLen;
    if (!ReadUInt16(schema) || !ReadUInt16(nameLen)) return ObjectResult::Failed;
    if (nameLen == 0 || nameLen >= kMaxClassNameLength) {
      FailAt(start, "malformed class name");
      return ObjectResult::Failed;
    }
    const unsigned char* name;
    if (!Take(nameLen, name)) return ObjectResult::Failed;
    cls = CRuntimeClass::FromName(
        std::string_view(reinterpret_cast<const char*>(name), nameLen));
    if (cls == nullptr) {
      FailAt(start, "unknown class name");
      return ObjectResult::Failed;
    }
    if (schema != cls->m_wSchema) {
      FailAt(start, "unsupported schema");
      return ObjectResult::Failed;
    }
    m_loaded.push_back({cls, nullptr});  // the class takes the next number
  } else if (tag == kBigObjectTag) {
    uint32_t big;
    if (!ReadUInt32(big)) return ObjectResult::Failed;
    if (big & kBigClassTag) {
      isClassRef = true;
      classRef = big & ~kBigClassTag;
    } else {
      objectRef = big;
    }
  } else if (tag & kClassTag) {
    isClassRef = true;
    classRef = tag & ~kClassTag;
  } else {
    objectRef = tag;
  }

  if (cls == nullptr && isClassRef) {
    if (classRef == 0 || classRef > m_loaded.size() || m_loaded[classRef - 1].cls == nullptr) {
      FailAt(start, "reference to an unknown class number");
      return ObjectResult::Failed;
    }
    cls = m_loaded[classRef - 1].cls;
  }

  if (cls == nullptr) {
    if (objectRef == 0) return ObjectResult::Null;
    if (objectRef > m_loaded.size() || m_loaded[objectRef - 1].object == nullptr) {
      FailAt(start, "reference to an unknown object number");
      return ObjectResult::Failed;
    }
    CObject* object = m_loaded[objectRef - 1].object;
    if (!object->IsKindOf(requested)) {
      FailAt(start, "reference to an object of another class");
      return ObjectResult::Failed;
    }
    existing = object;
    return ObjectResult::Existing;
  }

  if (cls != requested) {
    FailAt(start, "object of an unexpected class");
    return ObjectResult::Failed;
  }
  return ObjectResult::Created;
}
CArchive::ObjectResult CArchive::ReadObject(const CRuntimeClass* requested,
                                            std::unique_ptr<CObject>& created,
                                            CObject*& existing) {
  created.reset();
  const ObjectResult result = ReadObjectTag(requested, existing);
  if (result != ObjectResult::Created) return result;
  std::unique_ptr<CObject> object = requested->CreateObject();
  if (!ReadBody(*object)) return ObjectResult::Failed;
  created = std::move(object);
  return ObjectResult::Created;
}

CArchive::ObjectResult CArchive::ReadObjectInto(const CRuntimeClass* requested, CObject& into, CObject*& existing) {
  const ObjectResult result = ReadObjectTag(requested, existing);
  if (result != ObjectResult::Created) return result;
  return ReadBody(into) ? ObjectResult::Created : ObjectResult::Failed;
}

bool CArchive::ReadBody(CObject& object) {
  m_loaded.push_back({nullptr, &object});  // the object takes the next number
  object.Serialize(*this);
  if (m_failed) m_loaded.back().object = nullptr;
  return !m_failed;
}
