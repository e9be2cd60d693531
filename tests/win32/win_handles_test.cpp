#include "framework/win_handles.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

// A handle kind whose closes are counted, for the owner's own bookkeeping.
struct CountingTraits {
  using Type = int;
  static inline int closes[8];
  static Type Empty() { return 0; }
  static bool IsValid(Type h) { return h > 0; }
  static bool Close(Type h) {
    ++closes[h];
    return true;
  }
};
using CountingHandle = UniqueHandle<CountingTraits>;

class CountingHandleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int& c : CountingTraits::closes) c = 0;
  }
  static int Closes(int h) { return CountingTraits::closes[h]; }
};

TEST_F(CountingHandleTest, MovesCloseEachHandleExactlyOnce) {
  {
    CountingHandle a(1);
    CountingHandle b(std::move(a));
    EXPECT_FALSE(a.Valid());
    EXPECT_EQ(b.Get(), 1);
    CountingHandle c(2);
    c = std::move(b);  // 2 is closed now, 1 moves on
    EXPECT_EQ(Closes(2), 1);
    EXPECT_EQ(Closes(1), 0);
    EXPECT_FALSE(b.Valid());
    EXPECT_EQ(c.Get(), 1);
    c = std::move(c);  // moving onto itself keeps the handle
    EXPECT_EQ(c.Get(), 1);
    EXPECT_EQ(Closes(1), 0);
  }
  EXPECT_EQ(Closes(1), 1);
  EXPECT_EQ(Closes(2), 1);
}

TEST_F(CountingHandleTest, ReleaseGivesUpAndResetCloses) {
  int released;
  {
    CountingHandle a(3);
    released = a.Release();
    EXPECT_FALSE(a.Valid());
  }
  EXPECT_EQ(released, 3);
  EXPECT_EQ(Closes(3), 0);

  CountingHandle b(4);
  EXPECT_TRUE(b.Reset(5));
  EXPECT_EQ(Closes(4), 1);
  EXPECT_TRUE(b.Reset());
  EXPECT_EQ(Closes(5), 1);
  EXPECT_TRUE(b.Reset());  // nothing held: nothing closed again
  EXPECT_EQ(Closes(5), 1);
}

bool KernelHandleOpen(HANDLE h) {
  DWORD flags;
  return GetHandleInformation(h, &flags) != FALSE;
}

TEST(KernelHandleTest, MoveKeepsTheHandleOpenUntilTheLastOwnerGoes) {
  HANDLE raw = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(raw, nullptr);
  {
    KernelHandle outer;
    {
      KernelHandle inner(raw);
      outer = std::move(inner);
    }
    EXPECT_TRUE(KernelHandleOpen(raw));
    EXPECT_TRUE(SetEvent(outer.Get()));
  }
  EXPECT_FALSE(KernelHandleOpen(raw));
}

TEST(KernelHandleTest, AssigningOverAnOwnerClosesWhatItHeld) {
  KernelHandle a(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  KernelHandle b(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  const HANDLE first = a.Get();
  const HANDLE second = b.Get();
  a = std::move(b);
  EXPECT_FALSE(KernelHandleOpen(first));
  EXPECT_TRUE(KernelHandleOpen(second));
  EXPECT_EQ(a.Get(), second);
}

TEST(KernelHandleTest, BothFailureValuesMeanNone) {
  KernelHandle invalid(INVALID_HANDLE_VALUE);
  KernelHandle null(nullptr);
  EXPECT_FALSE(invalid.Valid());
  EXPECT_FALSE(null.Valid());
  // A failed CreateFile is not "closed" (which would hit the process's own
  // pseudo handle).
  KernelHandle file(CreateFileW(L"Z:\\no\\such\\folder\\file.txt", GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(file.Valid());
  EXPECT_TRUE(file.Reset());
}

std::wstring TempFolder() {
  wchar_t buf[MAX_PATH];
  const DWORD n = GetTempPathW(MAX_PATH, buf);
  return std::wstring(buf, n);
}

TEST(FindHandleTest, AMovedSearchGoesOn) {
  WIN32_FIND_DATAW data;
  FindHandle moved;
  {
    FindHandle first(FindFirstFileW((TempFolder() + L"*").c_str(), &data));
    ASSERT_TRUE(first.Valid());  // "." at least
    moved = std::move(first);
  }
  // The first owner is gone; the search must still be open.
  EXPECT_TRUE(FindNextFileW(moved.Get(), &data));
  EXPECT_FALSE(FindHandle().Valid());
}

TEST(ChangeNotificationHandleTest, ClosedWhenTheLastOwnerGoes) {
  HANDLE raw =
      FindFirstChangeNotificationW(TempFolder().c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
  ASSERT_NE(raw, INVALID_HANDLE_VALUE);
  {
    ChangeNotificationHandle a(raw);
    ChangeNotificationHandle b(std::move(a));
    EXPECT_FALSE(a.Valid());
    EXPECT_NE(WaitForSingleObject(b.Get(), 0), WAIT_FAILED);
  }
  EXPECT_EQ(WaitForSingleObject(raw, 0), WAIT_FAILED);
}

TEST(UserObjectHandleTest, IconMenuAndGdiObjectAreDestroyedOnce) {
  HICON icon = CopyIcon(LoadIconW(nullptr, IDI_APPLICATION));
  HMENU menu = CreatePopupMenu();
  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  ASSERT_TRUE(icon && menu && brush);
  {
    IconHandle icons[2] = {IconHandle(icon), IconHandle()};
    MenuHandle menus[2] = {MenuHandle(menu), MenuHandle()};
    GdiObjectHandle brushes[2] = {GdiObjectHandle(brush), GdiObjectHandle()};
    icons[1] = std::move(icons[0]);
    menus[1] = std::move(menus[0]);
    brushes[1] = std::move(brushes[0]);
    ICONINFO info;
    ASSERT_TRUE(GetIconInfo(icon, &info));
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    EXPECT_TRUE(IsMenu(menu));
    EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
  }
  ICONINFO info;
  EXPECT_FALSE(GetIconInfo(icon, &info));
  EXPECT_FALSE(IsMenu(menu));
  EXPECT_EQ(GetObjectType(brush), 0u);
}

TEST(RegistryKeyHandleTest, ClosedWhenTheLastOwnerGoes) {
  HKEY raw = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &raw), ERROR_SUCCESS);
  {
    RegistryKeyHandle a(raw);
    RegistryKeyHandle b(std::move(a));
    DWORD subkeys = 0;
    EXPECT_EQ(RegQueryInfoKeyW(b.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
  }
  DWORD subkeys = 0;
  EXPECT_NE(RegQueryInfoKeyW(raw, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
}

TEST(ImageListHandleTest, AMovedListKeepsItsImages) {
  ImageListHandle moved;
  {
    ImageListHandle list(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 0, 1));
    ASSERT_TRUE(list.Valid());
    EXPECT_EQ(ImageList_AddIcon(list.Get(), LoadIconW(nullptr, IDI_APPLICATION)), 0);
    moved = std::move(list);
  }
  EXPECT_EQ(ImageList_GetImageCount(moved.Get()), 1);
  EXPECT_TRUE(moved.Reset());
}

// A COM object that counts its references.
class CountedObject : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  ULONG refs = 1;
};

TEST(ComPtrTest, MovesNeitherAddNorDropReferences) {
  CountedObject a;
  CountedObject b;
  {
    ComPtr<IUnknown> first(&a);
    ComPtr<IUnknown> second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(a.refs, 1u);
    ComPtr<IUnknown> third(&b);
    third = std::move(second);  // b's reference is given back
    EXPECT_EQ(b.refs, 0u);
    EXPECT_EQ(a.refs, 1u);
    EXPECT_EQ(third.Get(), &a);
  }
  EXPECT_EQ(a.refs, 0u);
}

TEST(ComPtrTest, PutReleasesWhatWasHeldAndDetachGivesItUp) {
  CountedObject a;
  CountedObject b;
  ComPtr<IUnknown> p(&a);
  IUnknown** slot = p.Put();
  EXPECT_EQ(a.refs, 0u);
  *slot = &b;
  EXPECT_EQ(p.Get(), &b);
  IUnknown* detached = p.Detach();
  EXPECT_FALSE(p);
  EXPECT_EQ(detached, &b);
  EXPECT_EQ(b.refs, 1u);
}

}  // namespace
