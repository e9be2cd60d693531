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

// The folder settings dialog: its list, Add and Reset buttons, the folder
// list's context menu with its commands, the check boxes and the folders'
// icons (a user's own folder shows the Start Menu's).
#define IDD_FOLDER_SETTINGS 138
#define IDC_FOLDER_LIST 1005
#define IDC_ADD_FOLDER 1007
#define IDC_RESET_FOLDERS 1013
#define IDR_FOLDER_MENU 147
#define ID_EXPLORE_FOLDER 32779
#define ID_REMOVE_FOLDER 32780
#define ID_RENAME_FOLDER 32783
#define IDB_FOLDER_CHECKS 144
#define IDI_FOLDER_RECENT 139
#define IDI_FOLDER_START_MENU 140
#define IDI_FOLDER_DOCUMENTS 141
#define IDI_FOLDER_DESKTOP 142
#define IDI_FOLDER_FAVORITES 143
// The About box: the banner (a picture that opens the home page), the
// version line, the banner's first picture and the hand shown over it.
// "Update" has the cancel id, so that Escape and the close box reach it.
#define IDD_ABOUTBOX 100
#define IDC_BANNER 1014
#define IDC_VERSION 1016
#define IDB_BANNER 155
#define IDC_HAND_POINTER 149

// A control that nothing refers to.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
