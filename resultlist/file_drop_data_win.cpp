#include "resultlist/file_drop_data_win.h"

#include <shlobj.h>

#include <cstring>
#include <new>
#include <utility>

#include "framework/com_object_win.h"

namespace {

HRESULT CheckFormat(const FORMATETC* format) {
  if (!format) return E_INVALIDARG;
  if (format->cfFormat != CF_HDROP) return DV_E_FORMATETC;
  if (format->dwAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!(format->tymed & TYMED_HGLOBAL)) return DV_E_TYMED;
  return S_OK;
}

class CFileDropData final : public ComObject<IDataObject> {
 public:
  explicit CFileDropData(GlobalMemoryHandle block) noexcept : ComObject(IID_IDataObject), m_block(std::move(block)) {}

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) noexcept override {
    if (!medium) return E_POINTER;
    const HRESULT check = CheckFormat(format);
    if (FAILED(check)) return check;
    // A copy, so that what the receiver frees is its own, however often it
    // asks.
    const char* bytes = static_cast<const char*>(GlobalLock(m_block.Get()));
    if (!bytes) return E_OUTOFMEMORY;
    GlobalMemoryHandle copy = CopyToGlobalMemory(std::string_view(bytes, GlobalSize(m_block.Get())));
    GlobalUnlock(m_block.Get());
    if (!copy) return E_OUTOFMEMORY;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = copy.Release();
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) noexcept override { return CheckFormat(format); }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) noexcept override {
    if (out) out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) noexcept override {
    if (!enumerator) return E_POINTER;
    *enumerator = nullptr;
    if (direction != DATADIR_GET) return E_NOTIMPL;
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return SHCreateStdEnumFmtEtc(1, &format, enumerator);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) noexcept override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) noexcept override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) noexcept override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  GlobalMemoryHandle m_block;
};

}  // namespace

GlobalMemoryHandle CopyToGlobalMemory(std::string_view bytes) {
  GlobalMemoryHandle block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes.size()));
  void* target = block ? GlobalLock(block.Get()) : nullptr;
  if (!target) return GlobalMemoryHandle();
  std::memcpy(target, bytes.data(), bytes.size());
  GlobalUnlock(block.Get());
  return block;
}

ComPtr<IDataObject> CreateFileDropData(GlobalMemoryHandle block) {
  if (!block) return {};
  return ComPtr<IDataObject>(new (std::nothrow) CFileDropData(std::move(block)));
}
