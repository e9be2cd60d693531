// velnor_probe: looks at (and pokes) a running velnor.exe from outside, for
// the end-to-end scripts. Each command (see wmain) answers with its exit
// status (0 yes, 1 no, 2 usage) and one line on stdout (a tooltip's text: its lines).
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <utility>

namespace {

constexpr wchar_t kFrameClass[] = L"PlovantVelnorTrayFrame";
constexpr wchar_t kTitle[] = L"Plovant Velnor";
constexpr UINT kTrayCallback = WM_USER + 1;

int Answer(bool yes, const char* text) {
  std::printf("%s\n", text);
  return yes ? 0 : 1;
}

int Numbers(long a, long b) {
  std::printf("%ld %ld\n", a, b);
  return 0;
}

HWND Dialog(const wchar_t* caption) { return FindWindowW(L"#32770", caption); }

// How much a dialog shows, as the scripts read it.
constexpr const char* kShowing[] = {"absent", "hidden", "visible", "foreground"};
int Showing(HWND dialog) {
  if (!dialog) return 0;
  if (!IsWindowVisible(dialog)) return 1;
  return GetForegroundWindow() == dialog ? 3 : 2;
}

int DialogState(const wchar_t* caption) {
  const int showing = Showing(Dialog(caption));
  return Answer(showing > 0, kShowing[showing]);
}

// Watches for a dialog to come and go, looking every millisecond: a start-up
// refresh can be over in a third of a second, less than starting a probe per
// look can be relied on to catch. Answers the most it was seen showing, or
// "absent" if it never came within SECONDS.
int WatchDialog(const wchar_t* caption, int seconds) {
  int most = 0;
  bool gone = false;
  for (const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(seconds) * 1000;
       !gone && GetTickCount64() < deadline; Sleep(1)) {
    const int showing = Showing(Dialog(caption));
    gone = showing == 0 && most > 0;
    if (showing > most) most = showing;
  }
  return Answer(most > 0, kShowing[most]);
}

int Progress(const wchar_t* caption) {
  const HWND dialog = Dialog(caption);
  const HWND bar = dialog ? FindWindowExW(dialog, nullptr, PROGRESS_CLASSW, nullptr) : nullptr;
  if (!bar) return Answer(false, "absent");
  // Plain values only: the bar lives in another process.
  return Numbers(static_cast<long>(SendMessageW(bar, PBM_GETPOS, 0, 0)),
                 static_cast<long>(SendMessageW(bar, PBM_GETRANGE, FALSE, 0)));
}

int Frames() {
  int count = 0;
  for (HWND w = FindWindowW(kFrameClass, kTitle); w; w = FindWindowExW(nullptr, w, kFrameClass, kTitle)) ++count;
  std::printf("%d\n", count);
  return count > 0 ? 0 : 1;
}

int MenuOpen() {
  const HWND menu = FindWindowW(L"#32768", nullptr);
  if (!menu || !IsWindowVisible(menu)) return Answer(false, "closed");
  RECT r = {};
  GetWindowRect(menu, &r);
  std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
  return 0;
}

// The launcher's control of this class, while the launcher shows.
HWND LauncherControl(const wchar_t* cls) {
  const HWND launcher = Dialog(kTitle);
  if (!launcher || !IsWindowVisible(launcher)) return nullptr;
  return FindWindowExW(launcher, nullptr, cls, nullptr);
}

int Rows() {
  const HWND list = LauncherControl(WC_LISTVIEWW);
  if (!list) return Answer(false, "no launcher");
  std::printf("%ld\n", static_cast<long>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)));
  return 0;
}

int QueryBox() {
  const HWND box = LauncherControl(L"Edit");
  if (!box) return Answer(false, "no launcher");
  RECT r = {};
  GetWindowRect(box, &r);
  return Numbers((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

// The open launcher's window rectangle and its list's height.
int LauncherRect() {
  const HWND list = LauncherControl(WC_LISTVIEWW);
  if (!list) return Answer(false, "no launcher");
  RECT r = {}, rows = {};
  GetWindowRect(GetParent(list), &r);
  GetWindowRect(list, &rows);
  std::printf("%ld %ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom, rows.bottom - rows.top);
  return 0;
}

// What the query box holds, between brackets so that an empty box answers too.
int QueryText() {
  const HWND box = LauncherControl(L"Edit");
  if (!box) return Answer(false, "no launcher");
  wchar_t text[512] = {};
  SendMessageW(box, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
  char utf8[2048] = {};
  WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof(utf8), nullptr, nullptr);
  std::printf("[%s]\n", utf8);
  return 0;
}

// The folder settings dialog, while it shows.
HWND FolderList() {
  for (HWND d = FindWindowW(L"#32770", kTitle); d; d = FindWindowExW(nullptr, d, L"#32770", kTitle)) {
    const HWND list = GetDlgItem(d, 1005);
    if (list && IsWindowVisible(d)) return list;
  }
  return nullptr;
}

// A row's rectangle, asked for through memory lent in the list's process.
bool RowRect(HWND list, int row, RECT& r) {
  DWORD pid = 0;
  GetWindowThreadProcessId(list, &pid);
  const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return false;
  void* remote = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
  r = RECT{LVIR_BOUNDS, 0, 0, 0};
  bool ok = remote && WriteProcessMemory(process, remote, &r, sizeof(r), nullptr) &&
            SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(remote)) &&
            ReadProcessMemory(process, remote, &r, sizeof(r), nullptr);
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return ok;
}

// The text of the launcher's tooltip while it shows, as its lines.
int Tip() {
  const HWND list = LauncherControl(WC_LISTVIEWW);
  if (!list) return Answer(false, "no launcher");
  const HWND launcher = GetAncestor(list, GA_ROOT);
  for (HWND w = FindWindowW(TOOLTIPS_CLASSW, nullptr); w; w = FindWindowExW(nullptr, w, TOOLTIPS_CLASSW, nullptr)) {
    if (!IsWindowVisible(w) || GetWindow(w, GW_OWNER) != launcher) continue;
    wchar_t text[1024] = {};
    SendMessageW(w, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    char utf8[4096] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof(utf8), nullptr, nullptr);
    return Answer(true, utf8);
  }
  return Answer(false, "hidden");
}

// Where row N's check box (or icon) is on the screen and whether it is ticked.
int ListRow(HWND list, int row) {
  RECT r = {}, client = {};
  if (!list || !RowRect(list, row, r)) return Answer(false, "absent");
  GetClientRect(list, &client);
  if (r.top < 0 || r.bottom > client.bottom) return Answer(false, "scrolled away");
  POINT box = {r.left + 8, (r.top + r.bottom) / 2};
  ClientToScreen(list, &box);
  const auto state = static_cast<UINT>(SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
  std::printf("%ld %ld %s\n", box.x, box.y, (state >> 12) == 2 ? "ticked" : "unticked");
  return 0;
}

int FolderRows() {
  const HWND list = FolderList();
  if (!list) return Answer(false, "absent");
  std::printf("%ld\n", static_cast<long>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)));
  return 0;
}

// The middle of a control of the dialog that shows one with this id (the
// folder settings, the About box).
int Control(int id) {
  // When absent, what was seen instead: a dialog shown or hidden, with the
  // control, a hidden one or none.
  std::string seen;
  for (HWND d = nullptr; (d = FindWindowExW(nullptr, d, L"#32770", nullptr));) {
    const HWND control = GetDlgItem(d, id);
    if (IsWindowVisible(d) && control && IsWindowVisible(control)) {
      RECT r = {};
      GetWindowRect(control, &r);
      return Numbers((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    seen += IsWindowVisible(d) ? " shown" : " hidden";
    seen += !control ? "/none" : IsWindowVisible(control) ? "/shown" : "/hidden";
  }
  return Answer(false, ("absent; dialogs:" + (seen.empty() ? std::string(" none") : seen)).c_str());
}

// Writes "allowed N" (the source's effects), "wide" or "ansi" and the names
// dropped, in UTF-8, to a file. Lives on the stack past RevokeDragDrop.
class FileDropTarget final : public IDropTarget {
 public:
  explicit FileDropTarget(const wchar_t* outFile) : m_outFile(outFile) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    *object = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget) ? this : nullptr;
    return *object ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
    m_allowed = *effect;
    Answer(true, "over");
    std::fflush(stdout);
    return DragOver(0, {}, effect);
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
    *effect &= DROPEFFECT_COPY;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (FAILED(data->GetData(&format, &medium))) return E_UNEXPECTED;
    const bool wide = static_cast<const DROPFILES*>(GlobalLock(medium.hGlobal))->fWide;
    GlobalUnlock(medium.hGlobal);
    std::wstring text = L"allowed " + std::to_wstring(m_allowed) + (wide ? L"\nwide\n" : L"\nansi\n");
    wchar_t name[MAX_PATH];
    for (UINT i = 0; DragQueryFileW(static_cast<HDROP>(medium.hGlobal), i, name, MAX_PATH); ++i) {
      text += name + std::wstring(L"\n");
    }
    ReleaseStgMedium(&medium);
    std::string utf8(text.size() * 3, '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(),
                                    static_cast<int>(utf8.size()), nullptr, nullptr));
    if (FILE* out = _wfopen(m_outFile, L"wb")) {
      std::fwrite(utf8.data(), 1, utf8.size(), out);
      std::fclose(out);
    }
    DragOver(0, {}, effect);
    PostQuitMessage(0);
    return S_OK;
  }

 private:
  const wchar_t* m_outFile;
  DWORD m_allowed = 0;
};

// A topmost window of its own class at (20,20)-(220,140): says "ready X Y"
// (its middle) once it takes drops, "over" when a drag enters; yes once
// files were dropped within SECONDS.
int DropTargetWindow(int seconds, const wchar_t* outFile) {
  OleInitialize(nullptr);
  const WNDCLASSW cls = {0, DefWindowProcW, 0, 0, GetModuleHandleW(nullptr), nullptr, nullptr,
                         static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH)), nullptr, L"VelnorProbeDropTarget"};
  RegisterClassW(&cls);
  const HWND window = CreateWindowExW(WS_EX_TOPMOST, cls.lpszClassName, L"drop here", WS_POPUP | WS_VISIBLE | WS_BORDER,
                                      20, 20, 200, 120, nullptr, nullptr, cls.hInstance, nullptr);
  FileDropTarget target(outFile);
  if (FAILED(RegisterDragDrop(window, &target))) return Answer(false, "no drop target");
  Answer(true, "ready 120 80");
  std::fflush(stdout);
  SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0 && !(msg.message == WM_TIMER && !msg.hwnd)) DispatchMessageW(&msg);
  RevokeDragDrop(window);
  OleUninitialize();
  return msg.message == WM_QUIT ? 0 : 1;
}

// With two copies running, the frame of the one that started first.
HWND OldestFrame() {
  HWND oldest = nullptr;
  ULONGLONG oldestStart = ~0ull;
  for (HWND w = FindWindowW(kFrameClass, kTitle); w; w = FindWindowExW(nullptr, w, kFrameClass, kTitle)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    FILETIME created = {}, unused = {};
    if (process) GetProcessTimes(process, &created, &unused, &unused, &unused);
    if (process) CloseHandle(process);
    const ULONGLONG start = (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    if (!oldest || start < oldestStart) oldest = w, oldestStart = start;
  }
  return oldest;
}

// The screen rectangle around every window the program shows (dialogs,
// menus, tooltips): "left top right bottom".
BOOL CALLBACK AddShownWindow(HWND window, LPARAM area) {
  auto& [process, shown] = *reinterpret_cast<std::pair<DWORD, RECT>*>(area);
  DWORD owner = 0;
  RECT r = {};
  GetWindowThreadProcessId(window, &owner);
  if (owner == process && IsWindowVisible(window) && GetWindowRect(window, &r)) UnionRect(&shown, &shown, &r);
  return TRUE;
}
int Shown() {
  std::pair<DWORD, RECT> area = {0, {}};
  if (const HWND frame = OldestFrame()) GetWindowThreadProcessId(frame, &area.first);
  if (area.first) EnumWindows(AddShownWindow, reinterpret_cast<LPARAM>(&area));
  if (IsRectEmpty(&area.second)) return Answer(false, "nothing shown");
  std::printf("%ld %ld %ld %ld\n", area.second.left, area.second.top, area.second.right, area.second.bottom);
  return 0;
}

int PostToFrame(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND frame = OldestFrame();
  return Answer(frame && PostMessageW(frame, message, wParam, lParam), "posted");
}

int Hold(const wchar_t* file, int seconds) {
  const HANDLE h = CreateFileW(file, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return Answer(false, "cannot open");
  Answer(true, "held");
  std::fflush(stdout);
  Sleep(static_cast<DWORD>(seconds) * 1000);
  CloseHandle(h);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  const wchar_t* arg = argc > 2 ? argv[2] : nullptr;
  // Whether a dialog with this caption exists: "hidden", "visible" or "foreground".
  if (command == L"dialog" && arg) return DialogState(arg);
  if (command == L"watch-dialog" && argc > 3) return WatchDialog(arg, _wtoi(argv[3]));
  // The position and the end of that dialog's progress bar.
  if (command == L"progress" && arg) return Progress(arg);
  if (command == L"frames") return Frames();        // how many main frames exist (any copy)
  if (command == L"menu-open") return MenuOpen();   // a popup menu is open: its screen rectangle
  if (command == L"rows") return Rows();            // the row count of the open launcher
  if (command == L"query-box") return QueryBox();   // the middle of the launcher's query box (x y)
  if (command == L"launcher-rect") return LauncherRect();  // left top right bottom list-height
  if (command == L"query-text") return QueryText();  // the launcher's query text: [TEXT]
  if (command == L"folder-row" && arg) return ListRow(FolderList(), _wtoi(arg));  // x y ticked|unticked
  // The launcher's row N: x y unticked.
  if (command == L"result-row" && arg) return ListRow(LauncherControl(WC_LISTVIEWW), _wtoi(arg));
  if (command == L"tip") return Tip();              // the launcher's tooltip while it shows: its text
  if (command == L"control" && arg) return Control(_wtoi(arg));       // an open dialog's control: x y
  if (command == L"folder-rows") return FolderRows();                 // the folder settings' row count
  // A window that waits SECONDS for one drop of files and writes them to OUTFILE.
  if (command == L"drop-target" && argc > 3) return DropTargetWindow(_wtoi(arg), argv[3]);
  if (command == L"shown") return Shown();          // the area of the program's visible windows
  if (command == L"post-tray-rbutton") return PostToFrame(kTrayCallback, 0, WM_RBUTTONDOWN);
  // To the frame of the copy started first, when two run.
  if (command == L"post-command" && arg) return PostToFrame(WM_COMMAND, static_cast<WPARAM>(_wtoi(arg)), 0);
  // Keeps a file open, shared with nobody, for a number of seconds.
  if (command == L"hold" && argc > 3) return Hold(arg, _wtoi(argv[3]));
  std::fprintf(stderr, "usage: velnor_probe dialog CAPTION|watch-dialog CAPTION SECONDS|progress CAPTION|frames|menu-open|rows|"
                       "query-box|query-text|launcher-rect|folder-row N|folder-rows|result-row N|tip|control ID|post-tray-rbutton|post-command ID|"
                       "hold FILE SECONDS|drop-target SECONDS OUTFILE|shown\n");
  return 2;
}
