; The KMT40 setup program for 64-bit Windows. scripts/windows-installer.sh makes it with makensis
; from the deploy folder (build-win/kmt40/, exactly what is installed) and the licences it collects,
; passing VERSION, DEPLOY_DIR, LICENSE_DIR, REMOVE_LIST (the generated list of what the uninstaller
; removes), SIZE_KB, COMPRESSOR and OUTFILE.
;
; It installs into Program Files for every user of the PC, adds a Start-menu entry and registers
; its uninstaller in the system's list of programs. Both run silently with /S. The uninstaller
; removes exactly the files the setup program put there, never the folder as a whole: the user's
; settings (%APPDATA%\KMT40\) and saved files are not in it, and whatever else is there stays.

; 64-bit, as the program: 32-bit Windows refuses to start it at all, and where only 64-bit programs
; run (Wine without its 32-bit half) it runs.
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID ${COMPRESSOR}

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "${REMOVE_LIST}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KMT40"
!define PUBLISHER "KMT40 developers"

Name "KMT40 ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\KMT40"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "KMT40 ${VERSION}"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=0 "ProductName" "KMT40"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "KMT40 setup"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "${PUBLISHER}"

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The program's own languages; the system's decides, English when it is none of them.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Dutch"
!insertmacro MUI_LANGUAGE "German"

; A running program's files cannot be replaced or removed: ask the user to close it (Retry), or
; give up (Cancel, and always when silent) with error level 2 before anything was changed. An
; executable that runs cannot be opened for writing. $R0: the folder, $R1: the program.
!macro DefineCheckNotRunning un
  Function ${un}CheckNotRunning
    retry:
    ClearErrors
    ${If} ${FileExists} "$R0\$R1"
      FileOpen $R2 "$R0\$R1" a
      ${If} ${Errors}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$R1 is running. Close KMT40, then choose Retry." \
          /SD IDCANCEL IDRETRY retry
        SetErrorLevel 2
        Quit
      ${EndIf}
      FileClose $R2
    ${EndIf}
  FunctionEnd
!macroend
!insertmacro DefineCheckNotRunning ""
!insertmacro DefineCheckNotRunning "un."

!macro RefuseWhileRunning un Folder
  StrCpy $R0 "${Folder}"
  StrCpy $R1 "kmt40.exe"
  Call ${un}CheckNotRunning
  StrCpy $R1 "kmt40-cli.exe"
  Call ${un}CheckNotRunning
!macroend

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

; An earlier install is removed by its own uninstaller first, so that a file the new version no
; longer ships does not linger; the user's settings are not the uninstaller's to touch.
Function RemoveEarlierInstall
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == ""
  ${OrIfNot} ${FileExists} "$0\Uninstall.exe"
    Return
  ${EndIf}
  !insertmacro RefuseWhileRunning "" "$0"
  ; _?= runs it in place, so that it can be waited for.
  ClearErrors
  ExecWait '"$0\Uninstall.exe" /S _?=$0' $1
  ${If} ${Errors}
  ${OrIf} $1 != 0
    MessageBox MB_OK|MB_ICONSTOP "The earlier KMT40 in $0 could not be removed." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  Delete "$0\Uninstall.exe"
  RMDir "$0"
FunctionEnd

Section "KMT40"
  Call RemoveEarlierInstall
  !insertmacro RefuseWhileRunning "" "$INSTDIR"
  SetOutPath "$INSTDIR"
  File /r "${DEPLOY_DIR}\*.*"
  SetOutPath "$INSTDIR\licenses"
  File /r "${LICENSE_DIR}\*.*"
  ; The program takes this file beside it for the sign that it is installed, and then keeps the
  ; user's settings in their own application-data folder.
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  SetOutPath "$INSTDIR"
  CreateShortCut "$SMPROGRAMS\KMT40.lnk" "$INSTDIR\kmt40.exe" "" "$INSTDIR\kmt40.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "KMT40"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kmt40.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  !insertmacro RefuseWhileRunning "un." "$INSTDIR"
  !insertmacro RemoveInstalledFiles
  Delete "$INSTDIR\Uninstall.exe"
  ; Only when empty: what the user put there stays, and so does the folder.
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\KMT40.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
