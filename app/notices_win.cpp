#include "app/notices_win.h"

#include <windows.h>

#include "framework/wide_text_win.h"

SaveFailureChoice AskSaveFailure(const std::string& databasePath) {
  const std::wstring text =
      L"Plovant Velnor could not save its database:\n" + Utf8ToWide(databasePath) +
      L"\n\nThe file from the last exit is unchanged, but the usage counts and settings of "
      L"this session are not in it.\n\n"
      L"Try Again to save once more, Continue to exit without saving, or Cancel to keep "
      L"Plovant Velnor running.";
  switch (MessageBoxW(nullptr, text.c_str(), L"Plovant Velnor",
                      MB_CANCELTRYCONTINUE | MB_ICONEXCLAMATION | MB_SETFOREGROUND)) {
    case IDTRYAGAIN:
      return SaveFailureChoice::kRetry;
    case IDCONTINUE:
      return SaveFailureChoice::kExitWithoutSaving;
    default:
      return SaveFailureChoice::kKeepRunning;
  }
}

void TellDatabaseUnreadable(const std::string& databasePath, bool busy) {
  const std::wstring text =
      L"Plovant Velnor could not read its database:\n" + Utf8ToWide(databasePath) + L"\n\n" +
      (busy ? L"Another program keeps it open." : L"Reading it was refused, or the disk could not read it.") +
      L"\n\nYour file is kept as it is: Plovant Velnor will not write over it. Until the next start, "
      L"the launcher lists your files without their usage counts; when Plovant Velnor next saves (at exit, "
      L"or when you change a setting), your file is renamed with \".unreadable-\" and the date added, and "
      L"this session is saved in its place (or, if your file is still in use then, beside it as "
      L"velnor.dat.new).";
  MessageBoxW(nullptr, text.c_str(), L"Plovant Velnor", MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
}

void TellPortableFolderReadOnly(const std::string& programFolder, const std::string& databasePath) {
  const std::wstring text =
      L"This copy of Plovant Velnor is portable (its folder holds portable.txt), so it keeps its data "
      L"beside it, in:\n" + Utf8ToWide(programFolder) +
      L"\n\nThat folder cannot be written to, so this time your usage counts and settings are kept in:\n" +
      Utf8ToWide(databasePath) +
      L"\n\nNothing is lost. To keep the data beside the program, copy its folder to a place you can "
      L"write to.";
  MessageBoxW(nullptr, text.c_str(), L"Plovant Velnor", MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
}

void TellDatabaseDamaged(const std::string& databasePath, const DatabaseLoadReport& report) {
  std::wstring text = L"Plovant Velnor's database was damaged:\n" + Utf8ToWide(databasePath) + L"\n\n" +
                      L"It could be read up to byte " + std::to_wstring(report.failOffset) + L": " +
                      std::to_wstring(report.records) + L" files with their usage counts were recovered.";
  if (report.settingsLost) {
    text += L" The folder list and the settings stood after the damage and could not be read: they are "
            L"back to their defaults. Please check Folder Settings and the options in the tray menu's "
            L"Preferences.";
  }
  text += report.backupPath.empty()
              ? std::wstring(L"\n\nThe damaged file could not be kept aside.")
              : L"\n\nYour original file is kept, unchanged, as:\n" + Utf8ToWide(report.backupPath);
  MessageBoxW(nullptr, text.c_str(), L"Plovant Velnor", MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
}

void TellGuideUnavailable() {
  MessageBoxW(nullptr,
              L"The guide could not be opened. It is the file help.htm beside velnor.exe: keep the two "
              L"together, and make sure a web browser is set to open .htm files.",
              L"Plovant Velnor", MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
}
