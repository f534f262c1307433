; TessalySetup.exe: installs Tessaly per machine into the 32-bit program folder, in Chinese.
;
;   TessalySetup.exe [/S] [/RUN] [/D=<folder>]
;     /S     silent, for bank IT: no page, no question; the program is started afterwards only
;            when it was running before or /RUN is given
;     /D=    the installation folder (last on the command line, unquoted, as NSIS wants it)
;   Exit status: 0 installed, 1 cancelled by the user, 2 failed (nothing or, for a file that
;   stays locked, nothing of the old installation was changed).
;
; The build (installer/CMakeLists.txt) defines:
;   VERSION           the product version, four numbers
;   STAGE             the folder holding the signed files to install
;   FILE_LIST         an include naming each of them: !insertmacro ${FILE_MACRO} "<name>"
;   ICON              the program's icon
;   OUTFILE           the setup to write
;   SIGN_UNINSTALLER  a shell command signing the uninstaller %1 before it is packed
;   TARGET            (a 64-bit build only) amd64-unicode: a setup of the build's own kind,
;                     which is what the tests run where no 32-bit code runs

!ifdef TARGET
Target ${TARGET}
!else
Unicode true
!endif
ManifestSupportedOS all
RequestExecutionLevel admin
SetCompressor /SOLID lzma
Name "Tessaly"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES32\Tessaly"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessaly"
!define UNINSTALLER "Uninstall.exe"
; An upgrade goes where the previous version is.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show
BrandingText "Tessaly ${VERSION}"
AllowSkipFiles off
!uninstfinalize '${SIGN_UNINSTALLER}'

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductName" "Tessaly"
VIAddVersionKey /LANG=2052 "CompanyName" "Brimvane"
VIAddVersionKey /LANG=2052 "FileDescription" "Tessaly 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "Brimvane"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION StartProgram
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

; The running program is asked to close as the tray's "退出" closes it: the registered window
; message below, broadcast, is answered by its main window alone (its message boxes are
; "#32770" windows titled "Tessaly" too, so neither class nor title can find it). The program
; has ended once its instance mutex can no longer be opened; the request is repeated while it
; runs, within a bound.
!define CLOSE_REQUEST_MESSAGE "Tessaly.Close.9B4BFD6D-8E84-4680-BCD1-99FCD2D5ADE0"
!define INSTANCE_MUTEX "Local\9B4BFD6D-8E84-4680-BCD1-99FCD2D5ADE0"
!define CLOSE_BOUND_MS 20000
!define CLOSE_STEP_MS 250
!define /math CLOSE_STEPS ${CLOSE_BOUND_MS} / ${CLOSE_STEP_MS}
!define CLOSE_REPEAT_STEPS 8
!define /ifndef SYNCHRONIZE 0x00100000
!define /ifndef HWND_BROADCAST 0xFFFF
; After the program's end, a file may stay in use for a moment (the process still unloading).
!define LOCK_RETRY_STEPS 10
!define LOCK_STEP_MS 500
!define READ_AND_WRITE 0xC0000000
!define /ifndef OPEN_EXISTING 3
!define /ifndef INVALID_HANDLE_VALUE -1

Var wasRunning

!macro DEFINE_CLOSE_RUNNING_PROGRAM prefix
; Sets $wasRunning to 1 when the program was running; $0-$3 are overwritten.
Function ${prefix}CloseRunningProgram
  StrCpy $wasRunning 0
  System::Call 'user32::RegisterWindowMessageW(w "${CLOSE_REQUEST_MESSAGE}") i.r0'
  StrCpy $2 0
  ${Do}
    System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w "${INSTANCE_MUTEX}") p.r1'
    ${If} $1 P= 0
      ${Break}
    ${EndIf}
    ; Held only for this look: an open handle would keep the mutex alive.
    System::Call 'kernel32::CloseHandle(p r1)'
    StrCpy $wasRunning 1
    IntOp $3 $2 % ${CLOSE_REPEAT_STEPS}
    ${If} $3 = 0
      System::Call 'user32::PostMessageW(p ${HWND_BROADCAST}, i r0, p 0, p 0)'
    ${EndIf}
    Sleep ${CLOSE_STEP_MS}
    IntOp $2 $2 + 1
  ${LoopWhile} $2 < ${CLOSE_STEPS}
FunctionEnd
!macroend
!insertmacro DEFINE_CLOSE_RUNNING_PROGRAM ""
!insertmacro DEFINE_CLOSE_RUNNING_PROGRAM "un."

; A file that cannot be opened for writing without sharing (a running program, a loaded
; library, a file another program holds open) cannot be replaced or removed: stop before
; anything is changed, so the installation as it is keeps working. NSIS's own FileOpen shares
; the file with other readers and writers, so it does not see a holder that shares it.
!macro STOP_IF_LOCKED name
  ${If} ${FileExists} "$INSTDIR\${name}"
    StrCpy $1 "$INSTDIR\${name}"
    Call ${LOCK_FAIL_PREFIX}StopIfLocked
  ${EndIf}
!macroend

!macro DEFINE_STOP_IF_LOCKED prefix
; Fails the setup when the file $1 stays in use; $0 and $2 are overwritten.
Function ${prefix}StopIfLocked
  StrCpy $2 0
  ${Do}
    System::Call 'kernel32::CreateFileW(w r1, i ${READ_AND_WRITE}, i 0, p 0, i ${OPEN_EXISTING}, i 0, p 0) p.r0'
    ${If} $0 P<> ${INVALID_HANDLE_VALUE}
      System::Call 'kernel32::CloseHandle(p r0)'
      Return
    ${EndIf}
    IntOp $2 $2 + 1
    ${If} $2 >= ${LOCK_RETRY_STEPS}
      Call ${prefix}FailLocked
    ${EndIf}
    Sleep ${LOCK_STEP_MS}
  ${Loop}
FunctionEnd
!macroend
!insertmacro DEFINE_STOP_IF_LOCKED ""
!insertmacro DEFINE_STOP_IF_LOCKED "un."

!macro INSTALL_FILE name
  File "${STAGE}\${name}"
!macroend
!macro REMOVE_FILE name
  Delete "$INSTDIR\${name}"
!macroend

Function FailLocked
  DetailPrint "文件正被使用：$1"
  MessageBox MB_OK|MB_ICONSTOP "无法更新文件：$1$\r$\n$\r$\n该文件正被其他程序使用。原有的 Tessaly 未作任何改动，仍可继续使用。$\r$\n请关闭使用该文件的程序后重新运行安装程序。" /SD IDOK
  ; The program this setup closed comes back as it was.
  ${If} $wasRunning = 1
    Call StartProgram
  ${EndIf}
  SetErrorLevel 2
  Abort
FunctionEnd

Function un.FailLocked
  DetailPrint "文件正被使用：$1"
  MessageBox MB_OK|MB_ICONSTOP "无法删除文件：$1$\r$\n$\r$\n该文件正被其他程序使用。Tessaly 未被卸载。$\r$\n请关闭使用该文件的程序后重新运行卸载程序。" /SD IDOK
  SetErrorLevel 2
  Abort
FunctionEnd

Function StartProgram
  SetOutPath "$INSTDIR"
  Exec '"$INSTDIR\Tessaly.exe"'
FunctionEnd

Function .onInit
  SetShellVarContext all
  SetRegView 32
!ifdef TARGET
  ; A 64-bit setup's $PROGRAMFILES32 is the 64-bit folder; the 32-bit one is asked for.
  ${If} $INSTDIR == "$PROGRAMFILES32\Tessaly"
    ReadEnvStr $0 "ProgramFiles(x86)"
    StrCpy $INSTDIR "$0\Tessaly"
  ${EndIf}
!endif
FunctionEnd

Section "Tessaly"
  SetShellVarContext all
  SetRegView 32
  Call CloseRunningProgram
  !define LOCK_FAIL_PREFIX ""
  !define FILE_MACRO STOP_IF_LOCKED
  !include "${FILE_LIST}"
  !insertmacro STOP_IF_LOCKED "${UNINSTALLER}"
  !undef FILE_MACRO
  !undef LOCK_FAIL_PREFIX

  SetOverwrite on
  SetOutPath "$INSTDIR"
  !define FILE_MACRO INSTALL_FILE
  !include "${FILE_LIST}"
  !undef FILE_MACRO
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  CreateDirectory "$SMPROGRAMS\Tessaly"
  CreateShortcut "$SMPROGRAMS\Tessaly\Tessaly.lnk" "$INSTDIR\Tessaly.exe" "" "$INSTDIR\Tessaly.exe" 0
  CreateShortcut "$SMPROGRAMS\Tessaly\卸载 Tessaly.lnk" "$INSTDIR\${UNINSTALLER}"
  CreateShortcut "$DESKTOP\Tessaly.lnk" "$INSTDIR\Tessaly.exe" "" "$INSTDIR\Tessaly.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Tessaly"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Brimvane"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tessaly.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function .onInstSuccess
  ${If} ${Silent}
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/RUN" $1
    ${If} $wasRunning = 1
    ${OrUnless} ${Errors}
      Call StartProgram
    ${EndIf}
  ${EndIf}
FunctionEnd

Function un.onInit
  SetShellVarContext all
  SetRegView 32
FunctionEnd

; Removes the program, its shortcuts, its start at logon (the logon task, or before Vista the
; Run value, both named after the program file), Ravelin's private folder when nothing uses
; it, the program's download folder and settings, and the registration. The settings key holds
; only the choices made on the program's page; it goes too, silent or not.
Section "Uninstall"
  SetShellVarContext all
  SetRegView 32
  Call un.CloseRunningProgram
  !define LOCK_FAIL_PREFIX "un."
  !define FILE_MACRO STOP_IF_LOCKED
  !include "${FILE_LIST}"
  !undef FILE_MACRO
  !undef LOCK_FAIL_PREFIX

  nsExec::Exec '"$SYSDIR\schtasks.exe" /Delete /TN Tessaly /F'
  Pop $0
  DeleteRegValue HKCU "Software\Microsoft\Windows\CurrentVersion\Run" "Tessaly"

  !define FILE_MACRO REMOVE_FILE
  !include "${FILE_LIST}"
  !undef FILE_MACRO
  ; The previous program file a self-update left behind, if its new instance never removed it.
  Delete "$INSTDIR\Tessaly.exe.old"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\Tessaly\Tessaly.lnk"
  Delete "$SMPROGRAMS\Tessaly\卸载 Tessaly.lnk"
  RMDir "$SMPROGRAMS\Tessaly"
  Delete "$DESKTOP\Tessaly.lnk"

  ; A folder with a file open in it cannot be renamed: renamed, nothing uses it any more.
  RMDir /r "$TEMP\WDQUAYMARK340.removing"
  ClearErrors
  Rename "$TEMP\WDQUAYMARK340" "$TEMP\WDQUAYMARK340.removing"
  ${IfNot} ${Errors}
    RMDir /r "$TEMP\WDQUAYMARK340.removing"
  ${EndIf}
  RMDir /r "$TEMP\DownTmp"

  DeleteRegKey HKCU "Software\Brimvane\Orvendel\Quaymark"
  DeleteRegKey /ifempty HKCU "Software\Brimvane\Orvendel"
  DeleteRegKey /ifempty HKCU "Software\Brimvane"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
