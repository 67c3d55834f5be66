; Vesmo's installer: for the current user, without administrator rights, in Swedish.
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.0.1.4 -DARCH=x64|x86 -DSTAGE=DIR -DICON=FILE.ico
;            -DOUTFILE=SETUP.exe vesmo.nsi
; STAGE is the folder that the zip holds as Vesmo/: vesmo.exe, vesmo-tones.exe, LÄSMIG.txt.
;
; The program keeps its numbers in the folder it is started in. The shortcuts start it in
; the user's data folder %APPDATA%\Vesmo, which installing again (an upgrade) and
; uninstalling leave alone: only the interactive uninstaller can remove the numbers, and
; only when the user ticks that box.

Unicode true
!if "${ARCH}" == "x64"
  Target amd64-unicode
!else
  Target x86-unicode
!endif

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include WinVer.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vesmo"
!define UNINSTALLER "avinstallera.exe"
!define DATA_DIR "$APPDATA\Vesmo"
!define PUBLISHER "Vesmo-teamet"

Name "Vesmo ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Vesmo"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
SetCompressor /SOLID lzma
ManifestDPIAware true
BrandingText "Vesmo ${VERSION}"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=1053 "ProductName" "Vesmo"
VIAddVersionKey /LANG=1053 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1053 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1053 "FileDescription" "Installationsprogram för Vesmo"
VIAddVersionKey /LANG=1053 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1053 "LegalCopyright" "© 2026 ${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
; The standard title, "Välkommen till installationsguiden för Vesmo 1.0.1.4.", needs three
; lines and more in bold type: one that fits in two.
!define MUI_WELCOMEPAGE_TITLE "Välkommen till Vesmo ${VERSION}"
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Starta Vesmo"
!define MUI_FINISHPAGE_RUN_FUNCTION StartVesmo
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\LÄSMIG.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "&Visa LÄSMIG"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Swedish"

Section "Vesmo" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${STAGE}\vesmo.exe"
  File "${STAGE}\vesmo-tones.exe"
  File "${STAGE}\LÄSMIG.txt"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  CreateDirectory "${DATA_DIR}"
  ; A shortcut's working folder is the output path at the time it is made.
  SetOutPath "${DATA_DIR}"
  CreateShortCut "$SMPROGRAMS\Vesmo.lnk" "$INSTDIR\vesmo.exe" "" "$INSTDIR\vesmo.exe" 0 \
                 SW_SHOWNORMAL "" "Slå telefonnummer med tonval"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Vesmo"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vesmo.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Unticked: only a user who ticks it gets a desktop shortcut, and a silent install none.
Section /o "Genväg på skrivbordet" SecDesktop
  SetOutPath "${DATA_DIR}"
  CreateShortCut "$DESKTOP\Vesmo.lnk" "$INSTDIR\vesmo.exe" "" "$INSTDIR\vesmo.exe" 0 \
                 SW_SHOWNORMAL "" "Slå telefonnummer med tonval"
SectionEnd

Function .onInit
  SetShellVarContext current
  ; The oldest Windows the executables run on (their headers say so too).
  ${IfNot} ${AtLeastWinVista}
    MessageBox MB_OK|MB_ICONSTOP "Vesmo kräver Windows Vista eller senare." /SD IDOK
    Abort
  ${EndIf}
FunctionEnd

Function StartVesmo
  SetOutPath "${DATA_DIR}"
  Exec '"$INSTDIR\vesmo.exe"'
FunctionEnd

Section "un.Vesmo"
  SectionIn RO
  Delete "$INSTDIR\vesmo.exe"
  Delete "$INSTDIR\vesmo-tones.exe"
  Delete "$INSTDIR\LÄSMIG.txt"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Vesmo.lnk"
  Delete "$DESKTOP\Vesmo.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

; Unticked, and so never run by a silent uninstall.
Section /o "un.Ta även bort mina kortnummer och slagna nummer"
  Delete "${DATA_DIR}\sfile.vmo"
  Delete "${DATA_DIR}\sfile.vmo.new"
  Delete "${DATA_DIR}\SentNum.VMO"
  Delete "${DATA_DIR}\SentNum.VMO.new"
  RMDir "${DATA_DIR}"
SectionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd
