; The Windows installer of Plovant Velnor: a per-user install that needs no
; administrator rights. Built by scripts/dist.sh, which defines VERSION (from
; the top-level CMakeLists.txt, through the build tree), STAGE (the folder
; holding velnor.exe, velnor-cli.exe and help.htm), ICON and OUTFILE.
;
; Silent use: setup.exe /S installs; uninstall.exe /S removes the program and
; keeps the user's velnor.dat; uninstall.exe /S /REMOVEDATA removes that too.

Unicode true
; The program is 64-bit only, and so is the installer: it then runs under a
; Wine without 32-bit support too.
Target amd64-unicode
!include "MUI2.nsh"
!include "nsDialogs.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WinMessages.nsh"

!ifndef VERSION | STAGE | ICON | OUTFILE
  !error "scripts/dist.sh defines VERSION, STAGE, ICON and OUTFILE"
!endif

!define PRODUCT "Plovant Velnor"
!define PUBLISHER "Plovant"
!define HOME_PAGE "https://plovant.example/velnor"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\PlovantVelnor"
; The program's own autorun value, which it rewrites at every normal exit.
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; The hidden main window of a running copy, and its tray menu's Exit.
!define FRAME_CLASS "PlovantVelnorTrayFrame"
!define ID_APP_EXIT 57665
; How long a copy may take to save its database and end, in tenths of a second.
!define EXIT_WAIT_TENTHS 150

Name "${PRODUCT}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
SetCompressor /SOLID lzma
ManifestDPIAware true
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) ${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\velnor.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

UninstPage custom un.UsageDataPage un.UsageDataPageLeave
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Asks every running copy to exit the way its tray menu's Exit does, so that
; each saves its database, and waits until all are gone: their files cannot
; be replaced or removed while they run.
!macro END_RUNNING_COPIES un
Function ${un}EndRunningCopies
  StrCpy $0 0
  ${Do}
    FindWindow $0 "${FRAME_CLASS}" "${PRODUCT}" 0 $0
    ${If} $0 == 0
      ${ExitDo}
    ${EndIf}
    System::Call "user32::PostMessageW(p r0, i ${WM_COMMAND}, p ${ID_APP_EXIT}, p 0)"
  ${Loop}
  StrCpy $1 0
  ${Do}
    FindWindow $0 "${FRAME_CLASS}" "${PRODUCT}"
    ${If} $0 == 0
      ${ExitDo}
    ${EndIf}
    ${If} $1 >= ${EXIT_WAIT_TENTHS}
      ; A copy that asks its user something (a database it could not save)
      ; keeps running until answered.
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "${PRODUCT} is still running. End it from its tray icon (Exit), then choose Retry." \
        /SD IDCANCEL IDRETRY +2
      Abort "${PRODUCT} is still running."
      StrCpy $1 0
    ${EndIf}
    Sleep 100
    IntOp $1 $1 + 1
  ${Loop}
FunctionEnd
!macroend
!insertmacro END_RUNNING_COPIES ""
!insertmacro END_RUNNING_COPIES "un."

Section "Install"
  SetShellVarContext current
  Call EndRunningCopies
  SetOutPath "$INSTDIR"
  File "${STAGE}/velnor.exe"
  File "${STAGE}/velnor-cli.exe"
  File "${STAGE}/help.htm"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\velnor.exe" "" "$INSTDIR\velnor.exe" 0

  ; "Apps & features" lists per-user programs from this key.
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\velnor.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "${HOME_PAGE}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

; --- uninstaller ---------------------------------------------------------

Var RemoveUsageData
Var RemoveUsageDataBox

Function un.onInit
  ; /REMOVEDATA stands for the page's check box in a silent uninstall.
  StrCpy $RemoveUsageData ${BST_UNCHECKED}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVEDATA" $1
  ${IfNot} ${Errors}
    StrCpy $RemoveUsageData ${BST_CHECKED}
  ${EndIf}
FunctionEnd

Function un.UsageDataPage
  !insertmacro MUI_HEADER_TEXT "Uninstall ${PRODUCT}" "Remove ${PRODUCT} from your computer."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 76u "${PRODUCT} will be ended if it is running, and its files, its Start Menu \
    shortcut and its autorun entry removed.$\r$\n$\r$\nYour usage data (how often you opened each file, \
    your folders and settings) stays, so that a new installation carries on where this one \
    ends. It is the file$\r$\n$\r$\n    $APPDATA\Plovant\velnor.dat"
  Pop $0
  ${NSD_CreateCheckbox} 0 84u 100% 12u "Also remove my usage data"
  Pop $RemoveUsageDataBox
  ${NSD_SetState} $RemoveUsageDataBox $RemoveUsageData
  nsDialogs::Show
FunctionEnd

Function un.UsageDataPageLeave
  ${NSD_GetState} $RemoveUsageDataBox $RemoveUsageData
FunctionEnd

Section "Uninstall"
  SetShellVarContext current
  ; First, so that each copy's exit saves its data and writes its Run value
  ; before both are dealt with below.
  Call un.EndRunningCopies
  Delete "$INSTDIR\velnor.exe"
  Delete "$INSTDIR\velnor-cli.exe"
  Delete "$INSTDIR\help.htm"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  ; Whichever copy wrote it: another copy's next exit writes it again.
  DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ${If} $RemoveUsageData == ${BST_CHECKED}
    ; The database and what its saving may leave beside it.
    Delete "$APPDATA\Plovant\velnor.dat"
    Delete "$APPDATA\Plovant\velnor.dat.*"
    RMDir "$APPDATA\Plovant"
  ${EndIf}
SectionEnd
