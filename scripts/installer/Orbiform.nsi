; The Orbiform installer: the editor, the updater, MiniSwap, the manual and
; sample projects, with Start-menu entries, the registry value the updater
; finds the editor's folder by, and an uninstaller that removes exactly what
; was installed. Built by scripts/make-dist, which passes:
;   VERSION  the release's version ("2.1.0")
;   STAGE    the folder holding the files to install
;   OUTFILE  the installer to write
;   TARGET   makensis target (x86-unicode for the release)
Unicode true
Target ${TARGET}
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "x64.nsh"

Name "Orbiform ${VERSION}"
OutFile "${OUTFILE}"
!if "${TARGET}" == "amd64-unicode"
  InstallDir "$PROGRAMFILES64\Orbiform"
!else
  InstallDir "$PROGRAMFILES\Orbiform"
!endif
InstallDirRegKey HKCU "Software\Orbiform" ""
BrandingText "Orbiform ${VERSION}"

!define MUI_ICON "${STAGE}\..\orbiform.ico"
!define MUI_UNICON "${STAGE}\..\orbiform.ico"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Orbiform2.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"

LangString SamplesName ${LANG_ENGLISH} "Sample objects"
LangString SamplesName ${LANG_GERMAN} "Beispielobjekte"
LangString ManualName ${LANG_ENGLISH} "Orbiform manual"
LangString ManualName ${LANG_GERMAN} "Orbiform-Handbuch"
LangString UpdaterName ${LANG_ENGLISH} "Search for updates"
LangString UpdaterName ${LANG_GERMAN} "Nach Updates suchen"
LangString UninstallName ${LANG_ENGLISH} "Uninstall Orbiform"
LangString UninstallName ${LANG_GERMAN} "Orbiform deinstallieren"

Function .onInit
  !insertmacro MUI_LANGDLL_DISPLAY
FunctionEnd

Section "Orbiform" Main
  SectionIn RO
  !include "${STAGE}\..\install-files.nsh"
  WriteRegStr HKCU "Software\Orbiform" "" "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateDirectory "$SMPROGRAMS\Orbiform"
  CreateShortcut "$SMPROGRAMS\Orbiform\Orbiform 2.lnk" "$INSTDIR\Orbiform2.exe"
  CreateShortcut "$SMPROGRAMS\Orbiform\$(ManualName).lnk" "$INSTDIR\Orbiform2.pdf"
  CreateShortcut "$SMPROGRAMS\Orbiform\$(SamplesName).lnk" "$INSTDIR\Samples"
  CreateShortcut "$SMPROGRAMS\Orbiform\$(UninstallName).lnk" "$INSTDIR\Uninstall.exe"
  !define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Orbiform"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Orbiform ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "mwTools"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Orbiform2.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function un.onInit
  !insertmacro MUI_UNGETLANGUAGE
FunctionEnd

; Only what the installer put there goes: the user's own projects, a
; QZ7BackUp folder of the updater and the options file stay.
Section "Uninstall"
  !include "${STAGE}\..\uninstall-files.nsh"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR\Samples"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Orbiform\*.lnk"
  RMDir "$SMPROGRAMS\Orbiform"
  DeleteRegValue HKCU "Software\Orbiform" ""
  DeleteRegKey /ifempty HKCU "Software\Orbiform"
  DeleteRegKey HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\Orbiform"
SectionEnd
