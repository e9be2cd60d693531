#include "resultlist/shell_menu_win.h"

#include <shlobj.h>

#include <cstring>

#include "framework/env.h"
#include "framework/wide_text_win.h"
#include "framework/win_handles.h"

namespace {

constexpr UINT kFirstCommand = 1;
constexpr UINT kLastCommand = 0x7FFF;
constexpr size_t kVerbBuffer = 1024;

// An item-ID list from the shell's allocator, freed with it.
class ShellItemIds {
 public:
  ShellItemIds(IMalloc& malloc, LPITEMIDLIST ids) : m_malloc(malloc), m_ids(ids) {}
  ~ShellItemIds() {
    if (m_ids) m_malloc.Free(m_ids);
  }
  ShellItemIds(const ShellItemIds&) = delete;
  ShellItemIds& operator=(const ShellItemIds&) = delete;
  LPITEMIDLIST Get() const { return m_ids; }

 private:
  IMalloc& m_malloc;
  LPITEMIDLIST m_ids;
};

const SHITEMID* NextId(const SHITEMID* id) {
  return reinterpret_cast<const SHITEMID*>(reinterpret_cast<const BYTE*>(id) + id->cb);
}

size_t CountIds(LPCITEMIDLIST ids) {
  size_t count = 0;
  for (const SHITEMID* id = &ids->mkid; id->cb != 0; id = NextId(id)) ++count;
  return count;
}

// One ID on its own: its bytes and the zero size that ends a list.
LPITEMIDLIST CopyOneId(IMalloc& malloc, const SHITEMID* id) {
  auto* copy = static_cast<BYTE*>(malloc.Alloc(id->cb + sizeof(USHORT)));
  if (!copy) return nullptr;
  std::memcpy(copy, id, id->cb);
  std::memset(copy + id->cb, 0, sizeof(USHORT));
  return reinterpret_cast<LPITEMIDLIST>(copy);
}

// Walks from the desktop down to the folder holding the last ID; returns
// that folder and the last ID, or nothing.
bool BindToParent(IMalloc& malloc, ComPtr<IShellFolder>& folder, LPCITEMIDLIST ids, const SHITEMID*& last) {
  const size_t count = CountIds(ids);
  if (count == 0) return false;
  const SHITEMID* id = &ids->mkid;
  for (size_t i = 0; i + 1 < count; ++i, id = NextId(id)) {
    const ShellItemIds one(malloc, CopyOneId(malloc, id));
    ComPtr<IShellFolder> child;
    if (!one.Get() ||
        FAILED(folder->BindToObject(one.Get(), nullptr, IID_IShellFolder, reinterpret_cast<void**>(child.Put())))) {
      return false;
    }
    folder = std::move(child);
  }
  last = id;
  return true;
}

std::string VerbOf(IContextMenu& menu, UINT offset) {
  char verb[kVerbBuffer] = {};
  if (FAILED(menu.GetCommandString(offset, GCS_VERBA, nullptr, verb, kVerbBuffer))) return {};
  verb[kVerbBuffer - 1] = '\0';
  return verb;
}

}  // namespace

void GraySubmenus(HMENU menu) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW item = {};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_SUBMENU;
    if (GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item) && item.hSubMenu) {
      EnableMenuItem(menu, static_cast<UINT>(i), MF_BYPOSITION | MF_GRAYED);
    }
  }
}

UINT TrackShellMenu(HMENU menu, HWND owner, POINT at) {
  return static_cast<UINT>(TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY,
                                          at.x, at.y, 0, owner, nullptr));
}

bool ShowShellMenu(Env& env, HWND owner, const std::string& path, POINT at, const ShellMenuPicker& pick) {
  std::wstring wide = Utf8ToWide(path);
  if (wide.empty() || wide.size() >= MAX_PATH) return false;

  ComPtr<IMalloc> malloc;
  ComPtr<IShellFolder> folder;
  if (FAILED(SHGetMalloc(malloc.Put())) || FAILED(SHGetDesktopFolder(folder.Put()))) return false;
  LPITEMIDLIST parsed = nullptr;
  if (FAILED(folder->ParseDisplayName(owner, nullptr, wide.data(), nullptr, &parsed, nullptr)) || !parsed) {
    return false;
  }
  const ShellItemIds ids(*malloc.Get(), parsed);
  const SHITEMID* last = nullptr;
  if (!BindToParent(*malloc.Get(), folder, ids.Get(), last)) return false;

  ComPtr<IContextMenu> commands;
  LPCITEMIDLIST child = reinterpret_cast<LPCITEMIDLIST>(last);
  if (FAILED(folder->GetUIObjectOf(owner, 1, &child, IID_IContextMenu, nullptr,
                                   reinterpret_cast<void**>(commands.Put())))) {
    return false;
  }
  const MenuHandle menu(CreatePopupMenu());
  if (!menu || FAILED(commands->QueryContextMenu(menu.Get(), 0, kFirstCommand, kLastCommand, CMF_NORMAL))) {
    return false;
  }
  GraySubmenus(menu.Get());

  const UINT chosen = pick(menu.Get(), owner, at);
  if (chosen < kFirstCommand) return false;
  const UINT offset = chosen - kFirstCommand;
  // Under Wine the menu's own "open" reports success and opens nothing, so
  // the file is opened as Enter opens it, and counts only if it opened.
  if (VerbOf(*commands.Get(), offset) == "open") return env.ShellLaunch(path, "open", owner) > kShellLaunchAccepted;

  CMINVOKECOMMANDINFO invoke = {};
  invoke.cbSize = sizeof(invoke);
  invoke.hwnd = owner;
  invoke.lpVerb = MAKEINTRESOURCEA(offset);
  invoke.nShow = SW_SHOWNORMAL;
  if (FAILED(commands->InvokeCommand(&invoke))) MessageBeep(MB_ICONHAND);
  return false;
}
