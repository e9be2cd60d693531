// Resource ids of velnor.exe, shared by the resource script and the code.
#pragma once

// The main frame's title string, icon and menu (its first popup is the tray
// menu).
#define IDR_MAINFRAME 128
// The tray icon: 16x16.
#define IDI_TRAY 131

// The refresh progress window and its one control, a progress bar.
#define IDD_REFRESH 136
#define IDC_REFRESH_PROGRESS 1003

// The application's title.
#define IDS_APP_TITLE 57344

// Tray menu commands.
#define ID_EXECUTE_FILES 32771
#define ID_REFRESH_DATABASE 32776
#define ID_FOLDER_SETTINGS 32781
#define ID_AUTORUN 32782
#define ID_MP3_SUPPORT 32784
#define ID_SEND_FEEDBACK 32785
#define ID_SEARCH_FULL_PATH 32786
#define ID_STARTER_HELP 32787
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665

// The launcher: the hidden default button "Run" (IDOK), the hidden native
// mode button, the query box and the result list.
#define IDD_LAUNCHER 132
#define IDC_QUERY 1000
#define IDC_RESULT_LIST 1002
#define IDC_NATIVE_MODE 1004
// What a launcher row shows until the shell's icon for its file is known.
#define IDI_FILE_PLACEHOLDER 175
