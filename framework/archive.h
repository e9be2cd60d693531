// The byte archive behind the database file: little-endian integers, 4-byte
// bools, length-prefixed texts, counts, and tagged objects numbered in the
// order they are first written (classes and objects share one sequence).
//
// Loading never throws and never trusts a length: the first read that would
// pass the end of the data, or any malformed tag, puts the archive into a
// failed state that records the offset and the reason. Every later read
// leaves its target untouched, so callers can read a whole body and check
// Failed() once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/rect.h"
#include "framework/runtime_class.h"
#include "framework/velnor_time.h"

class CArchive {
 public:
  // Storing: bytes are appended to *out.
  explicit CArchive(std::string* out);
  // Loading: reads from the given bytes, which must outlive the archive.
  explicit CArchive(std::string_view data);

  CArchive(const CArchive&) = delete;
  CArchive& operator=(const CArchive&) = delete;

  bool IsStoring() const { return m_out != nullptr; }

  // Both directions, for Serialize bodies.
  void Int32(int32_t& value);
  void Bool(bool& value);
  void Time(VelnorTime& value);
  void Rect(CRect& value);
  void Text(std::string& value);

  // Storing.
  // Room for about `bytes` more: a large file is written without the
  // buffer growing (and being copied) again and again. A buffer that is
  // nearly large enough is kept as it is: its pages are in use already.
  void Reserve(size_t bytes);
  void WriteUInt16(uint16_t value);
  void WriteUInt32(uint32_t value);
  void WriteCount(uint32_t count);
  void WriteText(std::string_view text);
  void WriteObject(CObject& object);

  // Loading. Each returns false once the archive has failed.
  bool ReadUInt16(uint16_t& value);
  bool ReadUInt32(uint32_t& value);
  bool ReadCount(uint32_t& count);
  bool ReadText(std::string& text);
  // As ReadText, without a copy when the text is stored as UTF-8: `view`
  // then points into the archive's data, otherwise into `converted`.
  bool ReadTextView(std::string_view& view, std::string& converted);

  enum class ObjectResult { Created, Existing, Null, Failed };
  // Reads one tagged object that must be of class `requested`. A new object is
  // made from its class, numbered, read and handed over in `created`; a
  // reference to an object read earlier yields it in `existing`. The archive
  // keeps plain pointers to created objects until it is destroyed.
  ObjectResult ReadObject(const CRuntimeClass* requested,
                          std::unique_ptr<CObject>& created,
                          CObject*& existing);
  // As ReadObject, but a new object is read into `into`, which must stay
  // where it is (and an object) until the archive is gone: later references
  // to its number yield it.
  ObjectResult ReadObjectInto(const CRuntimeClass* requested, CObject& into, CObject*& existing);

  bool Failed() const { return m_failed; }
  size_t FailOffset() const { return m_failOffset; }
  const std::string& FailReason() const { return m_failReason; }
  // The failure was the data running out: more bytes might have read on.
  bool RanOut() const { return m_ranOut; }
  size_t Offset() const { return m_pos; }
  size_t Remaining() const { return m_data.size() - m_pos; }
  bool AtEnd() const { return m_pos == m_data.size(); }

  // Marks the archive failed at the current offset (also for callers that
  // find a body acceptable to the archive but not to them).
  void Fail(const char* reason);

 private:
  bool Take(size_t n, const unsigned char*& p);
  // The tag of an object of class `requested`: Created means a new object's
  // body follows.
  ObjectResult ReadObjectTag(const CRuntimeClass* requested, CObject*& existing);
  bool ReadBody(CObject& object);
  void WriteBytes(const void* p, size_t n);
  void FailAt(size_t offset, const char* reason);
  uint32_t NextNumber();

  // Storing.
  std::string* m_out = nullptr;
  std::vector<std::pair<const CRuntimeClass*, uint32_t>> m_storedClasses;

  // Loading.
  std::string_view m_data;
  size_t m_pos = 0;
  struct LoadEntry {
    const CRuntimeClass* cls;  // set for a class entry
    CObject* object;           // set for an object entry
  };
  std::vector<LoadEntry> m_loaded;  // index = number - 1

  uint32_t m_nextNumber = 1;  // storing; loading numbers by m_loaded's length
  bool m_failed = false;
  bool m_ranOut = false;
  size_t m_failOffset = 0;
  std::string m_failReason;
};
