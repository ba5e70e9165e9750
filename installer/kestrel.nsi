; Kestrel installer: both programs in one folder, a Start-menu shortcut for the
; customizer, the agent started at logon, and an uninstaller that takes all of it away.
; Built by makensis with -DAGENT_EXE=... -DCONFIG_EXE=... -DOUTFILE=... -DVERSION=...
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
!include WinMessages.nsh

!define PRODUCT "Kestrel"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrel"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SHORTCUT_NAME "Kestrel設定"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Kestrel"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; A running agent holds its program file open; ask it to end the way its own menu does.
!macro StopAgent
  FindWindow $0 "Kestrel" "Kestrel"
  StrCmp $0 0 +3
  SendMessage $0 ${WM_CLOSE} 0 0
  Sleep 500
!macroend

Section "Kestrel"
  !insertmacro StopAgent
  SetOutPath "$INSTDIR"
  File "/oname=Kestrel.exe" "${AGENT_EXE}"
  File "/oname=KestrelConfig.exe" "${CONFIG_EXE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\Kestrel"
  CreateShortCut "$SMPROGRAMS\Kestrel\${SHORTCUT_NAME}.lnk" "$INSTDIR\KestrelConfig.exe"
  WriteRegStr HKCU "${RUN_KEY}" "Kestrel" '"$INSTDIR\Kestrel.exe"'

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "VelmoraLab"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Kestrel.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The user's own button settings stay, as with any utility that is installed again later.
Section "Uninstall"
  !insertmacro StopAgent
  Delete "$INSTDIR\Kestrel.exe"
  Delete "$INSTDIR\KestrelConfig.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Kestrel\${SHORTCUT_NAME}.lnk"
  RMDir "$SMPROGRAMS\Kestrel"
  DeleteRegValue HKCU "${RUN_KEY}" "Kestrel"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
