// The real services on Windows. The progress window belongs to the program's
// windows and comes from the program's own wrapper of this Env.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <ctime>

#include "framework/change_notifier_win.h"
#include "framework/env.h"
#include "framework/locked_file.h"
#include "framework/message_pump_win.h"
#include "framework/wide_text_win.h"
#include "framework/win_handles.h"

const char kPathSeparator = '\\';

namespace {

Env::ReadResult ReadFailure(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return Env::ReadResult::kNotFound;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return Env::ReadResult::kBusy;
    default:
      return Env::ReadResult::kError;
  }
}

// Room for a search pattern's "*.*" after a folder's path.
constexpr size_t kSearchPatternRoom = 3;

// `path` as plain Win32 calls and the shell take it: itself when it is
// shorter than `room` UTF-16 units (room for the terminator, and whatever a
// caller appends, included), else its short (8.3) form when the volume
// keeps such names and that form is short enough. Empty when there is none.
std::wstring ReachableForm(const std::string& path, size_t room) {
  std::wstring wide = Utf8ToWide(path);
  if (wide.size() < room) return wide;
  // Only the extended prefix lets a path this long through to the file
  // system; the answer comes back with the same prefix.
  const bool unc = wide.size() > 2 && wide[0] == L'\\' && wide[1] == L'\\';
  const std::wstring prefix = unc ? L"\\\\?\\UNC\\" : L"\\\\?\\";
  const std::wstring extended = prefix + wide.substr(unc ? 2 : 0);
  // Only a short form that fits is of use, so the buffer holds no more: a
  // longer answer is a failure like any other.
  std::wstring shortForm(prefix.size() + room, L'\0');
  const DWORD n = GetShortPathNameW(extended.c_str(), shortForm.data(), static_cast<DWORD>(shortForm.size()));
  if (n == 0 || n >= shortForm.size() || shortForm.compare(0, prefix.size(), prefix) != 0) return std::wstring();
  shortForm.resize(n);
  shortForm.replace(0, prefix.size(), unc ? L"\\\\" : L"");
  return shortForm.size() < room ? shortForm : std::wstring();
}

// The form to hand to a call that may still manage without one: a URL or
// a verb's target that is no file keeps its text.
std::wstring ReachableOrAsGiven(const std::string& path) {
  std::wstring form = ReachableForm(path, kMaxPathUnits);
  return form.empty() ? Utf8ToWide(path) : form;
}

class Win32Search final : public DirectorySearch {
 public:
  Win32Search(HANDLE find, const WIN32_FIND_DATAW& first) : m_find(find), m_data(first) {}
  ~Win32Search() override { FindClose(m_find); }
  Win32Search(const Win32Search&) = delete;
  Win32Search& operator=(const Win32Search&) = delete;

  bool Next(DirectoryEntry& entry) override {
    if (m_done) return false;
    entry.name = WideToUtf8(m_data.cFileName);
    entry.isDirectory = (m_data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // Junctions and symbolic links carry the reparse point attribute; so do
    // Wine's views of Unix links to folders.
    entry.isLink = entry.isDirectory && (m_data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    m_done = !FindNextFileW(m_find, &m_data);
    return true;
  }

 private:
  HANDLE m_find;
  WIN32_FIND_DATAW m_data;
  bool m_done = false;
};

class Win32File final : public CFile {
 public:
  explicit Win32File(KernelHandle file) : m_file(std::move(file)) {}

  bool GetLength(uint64_t& length) override {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(m_file.Get(), &size)) return false;
    length = static_cast<uint64_t>(size.QuadPart);
    return true;
  }
  bool GetPosition(uint64_t& position) override {
    LARGE_INTEGER zero{}, at{};
    if (!SetFilePointerEx(m_file.Get(), zero, &at, FILE_CURRENT)) return false;
    position = static_cast<uint64_t>(at.QuadPart);
    return true;
  }
  bool Seek(uint64_t position) override {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(position);
    return SetFilePointerEx(m_file.Get(), to, nullptr, FILE_BEGIN) != FALSE;
  }
  size_t Read(void* buffer, size_t count) override {
    DWORD got = 0;
    if (!ReadFile(m_file.Get(), buffer, static_cast<DWORD>(count), &got, nullptr)) return 0;
    return got;
  }

 private:
  KernelHandle m_file;
};

intptr_t Execute(const std::string& target, const std::string& verb, HWND owner, ULONG mask) {
  // The shell cannot open a path past MAX_PATH ("Path not found"), but
  // opens the same file by its short form.
  const std::wstring file = ReachableOrAsGiven(target);
  const std::wstring wideVerb = Utf8ToWide(verb);
  SHELLEXECUTEINFOW request = {};
  request.cbSize = sizeof(request);
  request.fMask = mask;
  request.hwnd = owner;
  request.lpVerb = verb.empty() ? nullptr : wideVerb.c_str();
  request.lpFile = file.c_str();
  request.nShow = SW_SHOW;
  ShellExecuteExW(&request);
  return reinterpret_cast<intptr_t>(request.hInstApp);
}

// The change watcher asks every few seconds whether its folders are there:
// a card reader or a floppy drive without its medium must answer "not
// there", never with the system's "insert a disk" box.
class NoCriticalErrorBox {
 public:
  NoCriticalErrorBox() { m_set = SetThreadErrorMode(m_previous | SEM_FAILCRITICALERRORS, &m_previous) != FALSE; }
  ~NoCriticalErrorBox() {
    if (m_set) SetThreadErrorMode(m_previous, nullptr);
  }
  NoCriticalErrorBox(const NoCriticalErrorBox&) = delete;
  NoCriticalErrorBox& operator=(const NoCriticalErrorBox&) = delete;

 private:
  DWORD m_previous = GetThreadErrorMode();
  bool m_set = false;
};

class Win32Env final : public Env {
 public:
  std::unique_ptr<DirectorySearch> OpenDirectory(const std::string& folder) override {
    // A folder past the limit is searched through its short form: the
    // files it holds are then listed under their long names, and each is
    // kept or left by the scan as it can be opened.
    const std::wstring searchable = ReachableForm(folder, kMaxPathUnits - kSearchPatternRoom);
    if (searchable.empty()) return nullptr;
    WIN32_FIND_DATAW data;
    // The basic info level skips the short 8.3 name, and the large fetch asks
    // for entries in bigger batches: both cut the cost per entry.
    const HANDLE find = FindFirstFileExW((searchable + L"*.*").c_str(), FindExInfoBasic, &data,
                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32Search>(find, data);
  }

  bool GetFolderIdentity(const std::string& folder, FolderIdentity& id) override {
    // No access asked: the attributes come with any handle, and a folder
    // that may not be read still has an identity. Backup semantics is what
    // opens a folder at all; without the reparse point flag, links are
    // followed to where they lead.
    const NoCriticalErrorBox quiet;
    KernelHandle handle(CreateFileW(ReachableOrAsGiven(folder).c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle.Valid()) return false;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle.Get(), &info)) return false;
    id.volume = info.dwVolumeSerialNumber;
    id.file = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
  }

  std::unique_ptr<CFile> OpenFile(const std::string& path) override {
    // Shared fully: a player may have the file open, and the scan only peeks.
    KernelHandle file(CreateFileW(ReachableOrAsGiven(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    // A pipe or a device (a name such as CON.mp3 on older systems) could
    // block a read for good.
    if (!file.Valid() || GetFileType(file.Get()) != FILE_TYPE_DISK) return nullptr;
    return std::make_unique<Win32File>(std::move(file));
  }

  bool CanOpenPath(const std::string& path) override { return !ReachableForm(path, kMaxPathUnits).empty(); }

  ReadResult ReadWholeFile(const std::string& path, std::string& out) override {
    KernelHandle file(CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.Valid()) return ReadFailure(GetLastError());
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0) return ReadResult::kError;
    out.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < out.size()) {
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(out.size() - done, 1u << 30));
      DWORD got = 0;
      if (!ReadFile(file.Get(), &out[done], chunk, &got, nullptr)) return ReadFailure(GetLastError());
      if (got == 0) return ReadResult::kError;  // cut short while it was read
      done += got;
    }
    return ReadResult::kOk;
  }

  bool WriteFileAtomic(const std::string& path, std::string_view data) override {
    // A name of its own per process, so two copies exiting together never
    // write into each other's temporary file.
    const std::wstring target = Utf8ToWide(path);
    const std::wstring temp = Utf8ToWide(AtomicWriteTemporary(path, GetCurrentProcessId()));
    bool ok;
    {
      KernelHandle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!file.Valid()) return false;
      ok = true;
      size_t done = 0;
      while (ok && done < data.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size() - done, 1u << 30));
        DWORD written = 0;
        ok = WriteFile(file.Get(), data.data() + done, chunk, &written, nullptr) && written == chunk;
        done += written;
      }
      ok = ok && FlushFileBuffers(file.Get());
      ok = file.Reset() && ok;
    }
    ok = ok && MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) DeleteFileW(temp.c_str());
    return ok;
  }

  std::string ModuleFilePath() override {
    wchar_t buf[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::string();
    return WideToUtf8(std::wstring_view(buf, n));
  }
  LockResult OpenLockedFile(const std::string& path, std::unique_ptr<CLockedFile>& file) override {
    return OpenPlatformLockedFile(path, file);
  }
  bool RenameFile(const std::string& from, const std::string& to) override {
    return MoveFileExW(Utf8ToWide(from).c_str(), Utf8ToWide(to).c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
  }
  bool RemoveFile(const std::string& path) override { return DeleteFileW(Utf8ToWide(path).c_str()) != FALSE; }

  bool MakeDirectory(const std::string& path) override {
    const std::wstring wide = Utf8ToWide(path);
    if (CreateDirectoryW(wide.c_str(), nullptr)) return true;
    const DWORD attrs = GetFileAttributesW(wide.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
  }

  bool GetSpecialFolderPath(int csidl, std::string& path) override {
    wchar_t buffer[MAX_PATH];
    if (!SHGetSpecialFolderPathW(nullptr, buffer, csidl, FALSE)) return false;
    path = WideToUtf8(buffer);
    return true;
  }

  intptr_t ShellLaunch(const std::string& target, const std::string& verb, void* owner) override {
    return Execute(target, verb, static_cast<HWND>(owner), 0);
  }
  intptr_t ShellLaunchQuietly(const std::string& target) override {
    return Execute(target, std::string(), nullptr, SEE_MASK_FLAG_NO_UI);
  }

  int64_t Now() override { return static_cast<int64_t>(std::time(nullptr)); }
  CalendarTime ToLocalTime(VelnorTime time) override {
    // FILETIME counts 100 ns steps from 1601-01-01 UTC.
    constexpr int64_t kSecondsFrom1601 = 11644473600;
    if (time < -kSecondsFrom1601) return UtcCalendar(time);
    ULARGE_INTEGER ticks;
    ticks.QuadPart = static_cast<ULONGLONG>(time + kSecondsFrom1601) * 10000000u;
    const FILETIME utc = {ticks.LowPart, ticks.HighPart};
    SYSTEMTIME utcFields, local;
    if (!FileTimeToSystemTime(&utc, &utcFields) || !SystemTimeToTzSpecificLocalTime(nullptr, &utcFields, &local)) {
      return UtcCalendar(time);
    }
    CalendarTime out;
    out.year = local.wYear;
    out.month = local.wMonth;
    out.day = local.wDay;
    out.hour = local.wHour;
    out.minute = local.wMinute;
    out.second = local.wSecond;
    return out;
  }
  uint64_t TickCount() override { return GetTickCount64(); }
  void Pause(uint32_t milliseconds) override { ::Sleep(milliseconds); }
  void PumpMessages() override { ::PumpMessages(); }
  std::unique_ptr<ProgressWindow> CreateProgressWindow(const std::string&) override { return nullptr; }
  std::unique_ptr<ChangeNotifier> CreateChangeNotifier() override { return CreateWin32ChangeNotifier(); }
};

}  // namespace

Env& Env::Default() {
  static Win32Env env;
  return env;
}
