// The reference counting of the COM objects the program makes: one
// reference at birth, owned by whoever made it (a ComPtr takes it over),
// and the object deleted with the last. Besides IUnknown it answers for its
// one interface.
#pragma once

#include <windows.h>
#include <unknwn.h>

template <typename Interface>
class ComObject : public Interface {
 public:
  explicit ComObject(const IID& iid) noexcept : m_iid(iid) {}
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) noexcept override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, m_iid)) return E_NOINTERFACE;
    *object = static_cast<Interface*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() noexcept override { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }
  ULONG STDMETHODCALLTYPE Release() noexcept override {
    const LONG refs = InterlockedDecrement(&m_refs);
    if (refs == 0) delete this;
    return static_cast<ULONG>(refs);
  }

 protected:
  virtual ~ComObject() = default;

 private:
  const IID& m_iid;
  LONG m_refs = 1;
};
