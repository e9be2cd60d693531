// Run-time classes: a name, a schema and a factory per persistent class, so the
// database reader can make a record from the class name stored in the file.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

class CArchive;
class CObject;

struct CRuntimeClass {
  const char* m_lpszClassName;
  uint16_t m_wSchema;
  std::unique_ptr<CObject> (*m_pfnCreateObject)();

  std::unique_ptr<CObject> CreateObject() const {
    return m_pfnCreateObject ? m_pfnCreateObject() : nullptr;
  }
  // Only the classes this program stores can be named by a file; anything
  // else in a file is damage, never a reason to construct something.
  static const CRuntimeClass* FromName(std::string_view name);
};

// Makes one persistent class known to FromName. VELNOR_IMPLEMENT_SERIAL
// places one beside each class's own code, so the archive (down here in the
// framework) learns the database's classes without depending on them.
class CClassRegistration {
 public:
  explicit CClassRegistration(const CRuntimeClass& cls) noexcept;
  CClassRegistration(const CClassRegistration&) = delete;
  CClassRegistration& operator=(const CClassRegistration&) = delete;

 private:
  friend struct CRuntimeClass;
  // A list threaded through the registrations themselves: it needs no
  // allocation, and its head is zero before any constructor runs, whatever
  // the order of static initialisation.
  static inline const CClassRegistration* s_first = nullptr;
  const CRuntimeClass& m_class;
  const CClassRegistration* m_next;
};

class CObject {
 public:
  virtual const CRuntimeClass* GetRuntimeClass() const = 0;
  virtual ~CObject() = default;
  virtual void Serialize(CArchive& ar) = 0;

  bool IsKindOf(const CRuntimeClass* cls) const { return GetRuntimeClass() == cls; }

 protected:
  CObject() = default;
  CObject(const CObject&) = default;
  CObject& operator=(const CObject&) = default;
};

// Declares the class's run-time class object and its query.
#define VELNOR_DECLARE_SERIAL(class_name)                              \
 public:                                                               \
  static const CRuntimeClass class##class_name;                        \
  const CRuntimeClass* GetRuntimeClass() const override {              \
    return &class##class_name;                                         \
  }

#define VELNOR_IMPLEMENT_SERIAL(class_name, schema)                    \
  const CRuntimeClass class_name::class##class_name = {                \
      #class_name, schema,                                             \
      []() -> std::unique_ptr<CObject> { return std::make_unique<class_name>(); }}; \
  static const CClassRegistration velnorRegistration##class_name(class_name::class##class_name);

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)
