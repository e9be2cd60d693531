#include "resultlist/file_drag_win.h"

#include <ole2.h>
#include <shellapi.h>

#include <new>
#include <string>
#include <string_view>

#include "database/file_info.h"
#include "framework/com_object_win.h"
#include "framework/win_handles.h"
#include "resultlist/file_drop_block.h"
#include "resultlist/file_drop_data_win.h"

namespace {

// As the system's own: Escape cancels, letting go of the button drops, and
// the cursors are the standard ones.
class CDropSource final : public ComObject<IDropSource> {
 public:
  CDropSource() noexcept : ComObject(IID_IDropSource) {}

  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) noexcept override {
    if (escapePressed) return DRAGDROP_S_CANCEL;
    if (!(keyState & MK_LBUTTON)) return DRAGDROP_S_DROP;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) noexcept override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

}  // namespace

void BeginFileDrag(HWND list, const std::vector<const CFileInfo*>& records) {
  if (records.empty()) return;
  // Whatever it accepted at other times, the list must not take its own
  // files back: the drop belongs to another window.
  DragAcceptFiles(list, FALSE);

  std::vector<std::string_view> paths;
  paths.reserve(records.size());
  for (const CFileInfo* record : records) paths.push_back(record->Path());
  ComPtr<IDataObject> data = CreateFileDropData(CopyToGlobalMemory(BuildFileDropBlock(paths)));
  ComPtr<IDropSource> source(new (std::nothrow) CDropSource());
  if (!data || !source) return;
  DWORD effect = DROPEFFECT_NONE;
  DoDragDrop(data.Get(), source.Get(), DROPEFFECT_COPY, &effect);
}
