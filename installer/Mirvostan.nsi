; Mirvostan's installer: one user, no administrator rights, six languages.
; scripts/package.sh passes MV_VERSION, MV_STAGE (the folder holding the files
; to install), MV_ICON, MV_OUTFILE and MV_TARGET (x86-unicode or amd64-unicode).
Target ${MV_TARGET}
ManifestDPIAware true
ManifestSupportedOS all
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "WinMessages.nsh"

!define MV_NAME "Mirvostan"
!define MV_PUBLISHER "Mirvostan developers"
!define MV_UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Mirvostan"
; Started at sign-in: the value Mirvostan under this key. A 64-bit setup
; writes it in the 64-bit view, which is where the system reads it.
!define MV_RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; A running Mirvostan: its single-instance mutex and its main window's class
; (the window has no title). Its tray menu's Exit command ends it cleanly,
; after an upload in progress (at most 4 s).
!define MV_MARKER "38C86C12-4A73-48d5-934E-44550D5BBF68"
!define MV_EXIT_COMMAND 32804
!define MV_EXIT_WAIT_TENTHS 100
!define SYNCHRONIZE 0x00100000

Name "${MV_NAME} ${MV_VERSION}"
OutFile "${MV_OUTFILE}"
; Per user, so AppCfg.ini beside the program stays writable.
InstallDir "$LOCALAPPDATA\Programs\Mirvostan"
InstallDirRegKey HKCU "${MV_UNINSTALL_KEY}" "InstallLocation"
BrandingText "${MV_NAME} ${MV_VERSION}"

VIProductVersion "${MV_VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${MV_NAME}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${MV_VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${MV_VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${MV_NAME} ${MV_VERSION} Setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${MV_PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 ${MV_PUBLISHER}"

!define MUI_ICON "${MV_ICON}"
!define MUI_UNICON "${MV_ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Mirvostan.exe"

!insertmacro MUI_PAGE_WELCOME
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; No language dialog: the installer and the uninstaller follow the system's
; language, English for any language not listed.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_LANGUAGE "French"
!insertmacro MUI_LANGUAGE "Dutch"
!insertmacro MUI_LANGUAGE "Italian"
!insertmacro MUI_LANGUAGE "SimpChinese"

LangString MV_SIGN_IN ${LANG_ENGLISH} "Start Mirvostan when I sign in"
LangString MV_SIGN_IN ${LANG_GERMAN} "Mirvostan bei der Anmeldung starten"
LangString MV_SIGN_IN ${LANG_FRENCH} "Démarrer Mirvostan à l'ouverture de ma session"
LangString MV_SIGN_IN ${LANG_DUTCH} "Mirvostan starten wanneer ik me aanmeld"
LangString MV_SIGN_IN ${LANG_ITALIAN} "Avvia Mirvostan quando accedo"
LangString MV_SIGN_IN ${LANG_SIMPCHINESE} "登录时启动 Mirvostan"
LangString MV_STILL_RUNNING ${LANG_ENGLISH} "Mirvostan is still running. Close it, then try again."
LangString MV_STILL_RUNNING ${LANG_GERMAN} "Mirvostan läuft noch. Beenden Sie das Programm und versuchen Sie es erneut."
LangString MV_STILL_RUNNING ${LANG_FRENCH} "Mirvostan est encore ouvert. Fermez-le, puis réessayez."
LangString MV_STILL_RUNNING ${LANG_DUTCH} "Mirvostan is nog actief. Sluit het programma en probeer het opnieuw."
LangString MV_STILL_RUNNING ${LANG_ITALIAN} "Mirvostan è ancora in esecuzione. Chiudilo e riprova."
LangString MV_STILL_RUNNING ${LANG_SIMPCHINESE} "Mirvostan 仍在运行。请关闭它，然后重试。"

; Every file the installer puts into the install folder; the uninstaller
; removes exactly these, so the user's profiles and other files stay.
!macro MV_INSTALLED_FILES DO
  !insertmacro ${DO} "Mirvostan.exe"
  !insertmacro ${DO} "SonixUSB.dll"
  !insertmacro ${DO} "README.txt"
  !insertmacro ${DO} "LICENSE.txt"
!macroend
!macro MV_INSTALL_FILE NAME
  File "${MV_STAGE}\${NAME}"
!macroend
!macro MV_REMOVE_FILE NAME
  Delete "$INSTDIR\${NAME}"
!macroend
!macro MV_ADD_SIZE NAME
  FileOpen $2 "$INSTDIR\${NAME}" r
  FileSeek $2 0 END $3
  FileClose $2
  IntOp $1 $1 + $3
!macroend

; 1 when a Mirvostan ran before the install ended it.
Var WasRunning

; Ends a running Mirvostan the way its tray menu does, and waits until its
; process is gone, so no file stays in use. One that does not end in time
; (or is still starting and never shows its window) leaves the choice to
; the user; a silent run gives up.
!macro MV_END_PROGRAM_FUNCTION UN
Function ${UN}EndProgram
  StrCpy $WasRunning 0
  StrCpy $R0 0 ; tenths of a second waited
  StrCpy $R1 0 ; the window asked to end
  StrCpy $R2 0 ; its process
  ${Do}
    System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w "${MV_MARKER}") p .r0'
    ${If} $0 P= 0
      ${Break}
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r0)'
    StrCpy $WasRunning 1
    System::Call 'user32::FindWindowW(w "${MV_MARKER}", w "") p .r1'
    ${If} $1 P<> 0
    ${AndIf} $1 P<> $R1
      StrCpy $R1 $1
      System::Call 'user32::GetWindowThreadProcessId(p r1, *i .r2)'
      ${If} $R2 P<> 0
        System::Call 'kernel32::CloseHandle(p R2)'
      ${EndIf}
      System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r2) p .R2'
      System::Call 'user32::PostMessageW(p r1, i ${WM_COMMAND}, p ${MV_EXIT_COMMAND}, p 0)'
    ${EndIf}
    ${If} $R0 >= ${MV_EXIT_WAIT_TENTHS}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(MV_STILL_RUNNING)" /SD IDCANCEL IDRETRY +2
      Abort "$(MV_STILL_RUNNING)"
      StrCpy $R0 0
      StrCpy $R1 0
    ${EndIf}
    Sleep 100
    IntOp $R0 $R0 + 1
  ${Loop}
  ; The mutex goes with the process's handles; its files are free once the
  ; process itself has ended.
  ${If} $R2 P<> 0
    System::Call 'kernel32::WaitForSingleObject(p R2, i 2000)'
    System::Call 'kernel32::CloseHandle(p R2)'
  ${EndIf}
FunctionEnd
!macroend
!insertmacro MV_END_PROGRAM_FUNCTION ""
!insertmacro MV_END_PROGRAM_FUNCTION "un."

; Removes the sign-in value when it starts this copy; one that starts
; another copy (a portable one) is not ours and stays.
!macro MV_REMOVE_RUN_VALUE_FUNCTION UN
Function ${UN}RemoveRunValue
  ReadRegStr $0 HKCU "${MV_RUN_KEY}" "Mirvostan"
  ; Quoted or not, it starts this copy's program.
  StrCpy $1 $0 1
  ${If} $1 == "$\""
    StrCpy $0 $0 "" 1
  ${EndIf}
  StrCpy $1 "$INSTDIR\Mirvostan.exe"
  StrLen $2 $1
  StrCpy $0 $0 $2
  ; StrCmp ignores case, as Windows does for paths.
  ${If} $0 == $1
    DeleteRegValue HKCU "${MV_RUN_KEY}" "Mirvostan"
  ${EndIf}
FunctionEnd
!macroend
!insertmacro MV_REMOVE_RUN_VALUE_FUNCTION ""
!insertmacro MV_REMOVE_RUN_VALUE_FUNCTION "un."

Section "Mirvostan" SecMain
  SectionIn RO
  SetShellVarContext current
  Call EndProgram
  SetOutPath "$INSTDIR"
  !insertmacro MV_INSTALLED_FILES MV_INSTALL_FILE

  ; A newer AppCfg.ini brings new translations; everything else of the one
  ; it replaces stays: [General], the per-program rules in [Profiles], and
  ; any section it does not ship. The merge happens in a copy, so an
  ; interrupted install leaves the old file whole.
  InitPluginsDir
  File "/oname=$PLUGINSDIR\AppCfg.ini" "${MV_STAGE}\AppCfg.ini"
  ${If} ${FileExists} "$INSTDIR\AppCfg.ini"
    Push "$INSTDIR\AppCfg.ini"
    Push "$PLUGINSDIR\AppCfg.ini"
    Call MergeSettings
  ${EndIf}
  System::Call 'kernel32::CopyFileW(w "$PLUGINSDIR\AppCfg.ini", w "$INSTDIR\AppCfg.ini", i 0) i .r0'
  ${If} $0 == 0
    DetailPrint "AppCfg.ini could not be replaced; the old one stays"
  ${EndIf}

  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; SetOutPath above makes the install folder the shortcut's working folder,
  ; which is where the program writes its log.
  CreateShortcut "$SMPROGRAMS\Mirvostan.lnk" "$INSTDIR\Mirvostan.exe" "" "$INSTDIR\Mirvostan.exe" 0

  WriteRegStr HKCU "${MV_UNINSTALL_KEY}" "DisplayName" "${MV_NAME}"
  WriteRegStr HKCU "${MV_UNINSTALL_KEY}" "DisplayVersion" "${MV_VERSION}"
  WriteRegStr HKCU "${MV_UNINSTALL_KEY}" "Publisher" "${MV_PUBLISHER}"
  WriteRegStr HKCU "${MV_UNINSTALL_KEY}" "DisplayIcon" "$\"$INSTDIR\Mirvostan.exe$\",0"
  WriteRegStr HKCU "${MV_UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${MV_UNINSTALL_KEY}" "UninstallString" "$\"$INSTDIR\Uninstall.exe$\""
  WriteRegStr HKCU "${MV_UNINSTALL_KEY}" "QuietUninstallString" "$\"$INSTDIR\Uninstall.exe$\" /S"
  WriteRegDWORD HKCU "${MV_UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${MV_UNINSTALL_KEY}" "NoRepair" 1
  ; Size of what was installed, in KiB, as Apps & features shows it.
  StrCpy $1 0
  !insertmacro MV_INSTALLED_FILES MV_ADD_SIZE
  !insertmacro MV_ADD_SIZE "AppCfg.ini"
  !insertmacro MV_ADD_SIZE "Uninstall.exe"
  IntOp $1 $1 + 1023
  IntOp $1 $1 / 1024
  WriteRegDWORD HKCU "${MV_UNINSTALL_KEY}" "EstimatedSize" $1
  ; The next section writes it again when the user keeps its box ticked.
  Call RemoveRunValue
SectionEnd

Section "$(MV_SIGN_IN)" SecSignIn
  WriteRegStr HKCU "${MV_RUN_KEY}" "Mirvostan" "$\"$INSTDIR\Mirvostan.exe$\" --tray"
SectionEnd

; An update puts a Mirvostan that ran back where it was: in the tray.
Section "-Restart"
  ${If} $WasRunning == 1
    Exec "$\"$INSTDIR\Mirvostan.exe$\" --tray"
  ${EndIf}
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Call un.EndProgram
  Call un.RemoveRunValue
  !insertmacro MV_INSTALLED_FILES MV_REMOVE_FILE
  Delete "$INSTDIR\AppCfg.ini"
  Delete "$INSTDIR\Uninstall.exe"
  Delete "$SMPROGRAMS\Mirvostan.lnk"
  ; Only an empty folder goes: profiles and other files keep it.
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${MV_UNINSTALL_KEY}"
SectionEnd

; Stack: the new file (top), then the old one. Copies each section of the old
; file that the new one does not ship (has no keys in), and always
; [General] and [Profiles], whole, into the new file. The new file is UTF-16
; with a byte-order mark, so what is written there stays Unicode whatever
; the old file's encoding was.
Function MergeSettings
  Exch $R1 ; new
  Exch
  Exch $R0 ; old
  Push $R2
  Push $R3
  Push $R4
  Push $R5
  Push $R6
  Push $R7
  System::Alloc 262144
  Pop $R2 ; section names of the old file
  System::Alloc 262144
  Pop $R3 ; one section's lines
  System::Call 'kernel32::GetPrivateProfileSectionNamesW(p R2, i 131072, w R0) i .R5'
  StrCpy $R4 $R2
  ${Do}
    System::Call 'kernel32::lstrlenW(p R4) i .R5'
    ${IfThen} $R5 == 0 ${|} ${ExitDo} ${|}
    System::Call '*$R4(&w${NSIS_MAX_STRLEN} .R6)'
    System::Call 'kernel32::GetPrivateProfileSectionW(w R6, p R3, i 131072, w R1) i .R7'
    ${If} $R7 == 0
    ${OrIf} $R6 == "General"
    ${OrIf} $R6 == "Profiles"
      System::Call 'kernel32::GetPrivateProfileSectionW(w R6, p R3, i 131072, w R0) i .R7'
      System::Call 'kernel32::WritePrivateProfileSectionW(w R6, p R3, w R1) i .R7'
    ${EndIf}
    IntOp $R5 $R5 + 1
    IntOp $R5 $R5 * 2
    IntPtrOp $R4 $R4 + $R5
  ${Loop}
  System::Free $R2
  System::Free $R3
  ; Out of Windows's cache and into the file before it is copied.
  FlushINI $R1
  Pop $R7
  Pop $R6
  Pop $R5
  Pop $R4
  Pop $R3
  Pop $R2
  Pop $R0
  Pop $R1
FunctionEnd

Function .onInit
  SetShellVarContext current
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd
