// Owners for every kind of Win32 handle the program holds. Each owner closes
// its handle exactly once, can be moved but not copied, and treats the
// platform's "no handle" values as empty. Beside them, scoped guards for
// what a DC lends for a while: the DC itself, a selected object, colours.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <unknwn.h>

#include <utility>

// Traits: the handle type, its empty value, which values mean "none" and how
// to close one.
template <typename Traits>
class UniqueHandle {
 public:
  using Type = typename Traits::Type;

  UniqueHandle() noexcept : m_h(Traits::Empty()) {}
  explicit UniqueHandle(Type h) noexcept : m_h(h) {}
  ~UniqueHandle() { Reset(); }

  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  UniqueHandle(UniqueHandle&& other) noexcept : m_h(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  Type Get() const noexcept { return m_h; }
  bool Valid() const noexcept { return Traits::IsValid(m_h); }
  explicit operator bool() const noexcept { return Valid(); }

  // Gives the handle up without closing it.
  Type Release() noexcept { return std::exchange(m_h, Traits::Empty()); }

  // Closes the handle held (if any) and takes `h`. True when the close, if
  // one was needed, succeeded.
  bool Reset(Type h = Traits::Empty()) noexcept {
    const Type old = std::exchange(m_h, h);
    return Traits::IsValid(old) ? Traits::Close(old) : true;
  }

 private:
  Type m_h;
};

namespace handle_traits {

struct Kernel {
  using Type = HANDLE;
  static Type Empty() noexcept { return nullptr; }
  // CreateFile reports failure with INVALID_HANDLE_VALUE, most others with
  // null: both are "none".
  static bool IsValid(Type h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static bool Close(Type h) noexcept { return CloseHandle(h) != FALSE; }
};

struct Find {
  using Type = HANDLE;
  static Type Empty() noexcept { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Type h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static bool Close(Type h) noexcept { return FindClose(h) != FALSE; }
};

struct ChangeNotification {
  using Type = HANDLE;
  static Type Empty() noexcept { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Type h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static bool Close(Type h) noexcept { return FindCloseChangeNotification(h) != FALSE; }
};

struct Icon {
  using Type = HICON;
  static Type Empty() noexcept { return nullptr; }
  static bool IsValid(Type h) noexcept { return h != nullptr; }
  static bool Close(Type h) noexcept { return DestroyIcon(h) != FALSE; }
};

struct Menu {
  using Type = HMENU;
  static Type Empty() noexcept { return nullptr; }
  static bool IsValid(Type h) noexcept { return h != nullptr; }
  static bool Close(Type h) noexcept { return DestroyMenu(h) != FALSE; }
};

struct GdiObject {
  using Type = HGDIOBJ;
  static Type Empty() noexcept { return nullptr; }
  static bool IsValid(Type h) noexcept { return h != nullptr; }
  static bool Close(Type h) noexcept { return DeleteObject(h) != FALSE; }
};

struct RegistryKey {
  using Type = HKEY;
  static Type Empty() noexcept { return nullptr; }
  static bool IsValid(Type h) noexcept { return h != nullptr; }
  static bool Close(Type h) noexcept { return RegCloseKey(h) == ERROR_SUCCESS; }
};

struct ImageList {
  using Type = HIMAGELIST;
  static Type Empty() noexcept { return nullptr; }
  static bool IsValid(Type h) noexcept { return h != nullptr; }
  static bool Close(Type h) noexcept { return ImageList_Destroy(h) != FALSE; }
};

struct GlobalMemory {
  using Type = HGLOBAL;
  static Type Empty() noexcept { return nullptr; }
  static bool IsValid(Type h) noexcept { return h != nullptr; }
  static bool Close(Type h) noexcept { return GlobalFree(h) == nullptr; }
};

}  // namespace handle_traits

using KernelHandle = UniqueHandle<handle_traits::Kernel>;
using FindHandle = UniqueHandle<handle_traits::Find>;
using ChangeNotificationHandle = UniqueHandle<handle_traits::ChangeNotification>;
using IconHandle = UniqueHandle<handle_traits::Icon>;
using MenuHandle = UniqueHandle<handle_traits::Menu>;
using GdiObjectHandle = UniqueHandle<handle_traits::GdiObject>;
using RegistryKeyHandle = UniqueHandle<handle_traits::RegistryKey>;
using ImageListHandle = UniqueHandle<handle_traits::ImageList>;
using GlobalMemoryHandle = UniqueHandle<handle_traits::GlobalMemory>;

// Holds one reference to a COM object.
template <typename T>
class ComPtr {
 public:
  ComPtr() noexcept = default;
  // Takes over a reference the caller already owns (no AddRef).
  explicit ComPtr(T* p) noexcept : m_p(p) {}
  ~ComPtr() { Reset(); }

  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  ComPtr(ComPtr&& other) noexcept : m_p(other.Detach()) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) Reset(other.Detach());
    return *this;
  }

  T* Get() const noexcept { return m_p; }
  T* operator->() const noexcept { return m_p; }
  explicit operator bool() const noexcept { return m_p != nullptr; }

  // For functions that hand out a new reference: releases what is held and
  // returns the slot to fill.
  T** Put() noexcept {
    Reset();
    return &m_p;
  }

  T* Detach() noexcept { return std::exchange(m_p, nullptr); }

  void Reset(T* p = nullptr) noexcept {
    T* old = std::exchange(m_p, p);
    if (old) old->Release();
  }

 private:
  T* m_p = nullptr;
};

// A window's client-area DC, released when the scope ends. GetDC hands out
// one of a few shared DCs: one kept would starve the window's painting.
class WindowDC {
 public:
  explicit WindowDC(HWND window) noexcept : m_window(window), m_dc(GetDC(window)) {}
  ~WindowDC() {
    if (m_dc) ReleaseDC(m_window, m_dc);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;

  HDC Get() const noexcept { return m_dc; }
  explicit operator bool() const noexcept { return m_dc != nullptr; }

 private:
  HWND m_window;
  HDC m_dc;
};

// A font, brush or pen selected into a DC until the scope ends, when the
// object it replaced goes back: a DC handed back with our object still in
// it keeps that object from being deleted, and a list's DC is the list's.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) noexcept : m_dc(dc), m_old(SelectObject(dc, object)) {}
  ~SelectedObject() {
    if (m_old && m_old != HGDI_ERROR) SelectObject(m_dc, m_old);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC m_dc;
  HGDIOBJ m_old;
};

// A DC's text and background colours for the scope; the ones before come
// back at its end, as a DC lent to us by its owner must be handed back.
class TextColors {
 public:
  TextColors(HDC dc, COLORREF text, COLORREF back) noexcept
      : m_dc(dc), m_oldText(SetTextColor(dc, text)), m_oldBack(SetBkColor(dc, back)) {}
  ~TextColors() {
    SetTextColor(m_dc, m_oldText);
    SetBkColor(m_dc, m_oldBack);
  }
  TextColors(const TextColors&) = delete;
  TextColors& operator=(const TextColors&) = delete;

 private:
  HDC m_dc;
  COLORREF m_oldText;
  COLORREF m_oldBack;
};

// A global hot key held by one window (or thread) until Reset or the
// owner's end. Neither copied nor moved: it belongs where it was taken.
class HotKeyRegistration {
 public:
  HotKeyRegistration() noexcept = default;
  ~HotKeyRegistration() { Reset(); }
  HotKeyRegistration(const HotKeyRegistration&) = delete;
  HotKeyRegistration& operator=(const HotKeyRegistration&) = delete;

  // Lets go of any key held, then takes this one. False when someone else
  // (another program, another copy) holds it.
  bool Register(HWND window, int id, UINT modifiers, UINT virtualKey) noexcept {
    Reset();
    m_registered = RegisterHotKey(window, id, modifiers, virtualKey) != FALSE;
    m_window = window;
    m_id = id;
    return m_registered;
  }

  bool Registered() const noexcept { return m_registered; }

  // True when the release, if one was needed, succeeded.
  bool Reset() noexcept {
    if (!std::exchange(m_registered, false)) return true;
    return UnregisterHotKey(m_window, m_id) != FALSE;
  }

 private:
  HWND m_window = nullptr;
  int m_id = 0;
  bool m_registered = false;
};
