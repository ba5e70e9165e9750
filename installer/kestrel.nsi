; Kestrel installer, for the whole machine: both programs in one folder under Program
; Files, a Start-menu shortcut for the customizer, the agent started at every user's logon,
; the desktop button list where the machine has no button list, and an uninstaller that
; takes all of it away again. Needs administrator rights.
; Built by makensis with -DAGENT_EXE=... -DCONFIG_EXE=... -DDESKTOP_LIST=... -DOUTFILE=...
; -DVERSION=...
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
!include LogicLib.nsh
!include WinMessages.nsh

!define PRODUCT "Kestrel"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrel"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SHELL_KEY "SOFTWARE\Microsoft\Shell"
!define BUTTON_LIST_KEY "SOFTWARE\Microsoft\Shell\Keys"
; Written into the uninstall key when this installer put the button list in place:
; 1 for the list, 2 when the key above it was made too.
!define LIST_MARK "KestrelButtonList"
!define SHORTCUT_NAME "Kestrel設定"
!define SHEET_TITLE "Kestrel設定"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Kestrel"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

!macro RequireAdministrator
  SetShellVarContext all
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "admin"
    MessageBox MB_ICONSTOP|MB_OK "Kestrel のインストールには管理者の権限が必要です。" /SD IDOK
    SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
    Quit
  ${EndIf}
!macroend

Function .onInit
  !insertmacro RequireAdministrator
FunctionEnd

Function un.onInit
  !insertmacro RequireAdministrator
FunctionEnd

; CLOSE_WINDOW CLASS TITLE: asks the window to close, as its own menu or Cancel does, and
; waits up to 10 s for it to go. A running program holds its file open.
!macro CloseWindow CLASS TITLE
  FindWindow $0 "${CLASS}" "${TITLE}"
  ${If} $0 != 0
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
    StrCpy $1 0
    ${Do}
      Sleep 100
      IntOp $1 $1 + 1
      IsWindow $0 +2
      ${Break}
    ${LoopWhile} $1 < 100
  ${EndIf}
!macroend

!macro StopPrograms
  !insertmacro CloseWindow "#32770" "${SHEET_TITLE}"
  !insertmacro CloseWindow "Kestrel" "Kestrel"
!macroend

; The agent starts now too, so the keys work without a new logon; with no settings yet it
; opens the customizer. Started from here it would carry this installer's administrator
; token: every program a button starts would run elevated, as the administrator whose
; password was typed. The user's own shell starts it instead, as the user whose desktop it
; is and at that user's level; the shell that explorer.exe hands the file to is the one
; already running. A deployment tool's install as SYSTEM has no user in its session
; (session 0): no agent there, the logon start covers every user.
!macro StartAgentAsTheUser
  System::Call 'kernel32::GetCurrentProcessId() i .r0'
  System::Call 'kernel32::ProcessIdToSessionId(i r0, *i .r1) i .r2'
  ${If} $2 == 0
  ${OrIf} $1 == 0
    DetailPrint "No user session: the agent starts at the next logon"
  ${Else}
    Exec '"$WINDIR\explorer.exe" "$INSTDIR\Kestrel.exe"'
  ${EndIf}
!macroend

Section "Kestrel"
  !insertmacro StopPrograms
  SetOutPath "$INSTDIR"
  File "/oname=Kestrel.exe" "${AGENT_EXE}"
  File "/oname=KestrelConfig.exe" "${CONFIG_EXE}"
  File "/oname=desktop-buttons.reg" "${DESKTOP_LIST}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\Kestrel"
  CreateShortCut "$SMPROGRAMS\Kestrel\${SHORTCUT_NAME}.lnk" "$INSTDIR\KestrelConfig.exe"
  WriteRegStr HKLM "${RUN_KEY}" "Kestrel" '"$INSTDIR\Kestrel.exe"'

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "VelmoraLab"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Kestrel.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ; A machine without a button list gets the desktop one; a list the machine has (a
  ; handheld's, or one the user made) is never touched. An installation over an earlier
  ; one keeps the earlier mark, so the uninstaller still knows whose list it is.
  ClearErrors
  EnumRegKey $0 HKLM "${BUTTON_LIST_KEY}" 0
  ${If} ${Errors}
    StrCpy $2 1
    ClearErrors
    EnumRegKey $0 HKLM "${SHELL_KEY}" 0
    ${If} ${Errors}
      StrCpy $2 2
    ${EndIf}
    DetailPrint "Installing the desktop button list"
    nsExec::Exec '"$SYSDIR\reg.exe" import "$INSTDIR\desktop-buttons.reg"'
    Pop $1
    ${If} $1 == 0
      WriteRegDWORD HKLM "${UNINSTALL_KEY}" "${LIST_MARK}" $2
    ${Else}
      DetailPrint "The desktop button list could not be installed (reg.exe: $1)"
      SetErrors
    ${EndIf}
  ${EndIf}

  !insertmacro StartAgentAsTheUser
SectionEnd

; The users' own button settings stay, as with any utility that is installed again later.
Section "Uninstall"
  !insertmacro StopPrograms
  ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "${LIST_MARK}"
  ${If} $0 >= 1
    DeleteRegKey HKLM "${BUTTON_LIST_KEY}"
  ${EndIf}
  ${If} $0 == 2
    DeleteRegKey /ifempty HKLM "${SHELL_KEY}"
  ${EndIf}
  Delete "$INSTDIR\Kestrel.exe"
  Delete "$INSTDIR\KestrelConfig.exe"
  Delete "$INSTDIR\desktop-buttons.reg"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Kestrel\${SHORTCUT_NAME}.lnk"
  RMDir "$SMPROGRAMS\Kestrel"
  DeleteRegValue HKLM "${RUN_KEY}" "Kestrel"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
