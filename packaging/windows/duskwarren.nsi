; The Windows installer of Duskwarren, 64-bit. scripts/package-windows.sh
; makes it from the folder it lays out for the zip:
;
;   makensis -DVERSION=1.0.0 -DSTAGE=<folder> -DFILES=<folder of the lists>
;            -DOUTFILE=<setup.exe> packaging/windows/duskwarren.nsi
;
; STAGE holds what is installed: the four programs, res\, tiles\, drivers\,
; the texts and duskwarren.ico. FILES holds install-files.nsh and
; uninstall-files.nsh, the script's lists of those files, so the uninstaller
; removes exactly what was installed: a file the player put in the game's
; folder stays, and so does the folder then. The player's settings and runs
; (%APPDATA%\Duskwarren, %LOCALAPPDATA%\Duskwarren) are never touched.
;
; Silent: setup.exe /S [/D=C:\Some\Folder] installs the game and both
; shortcuts; uninstall.exe /S removes them.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!ifndef VERSION | STAGE | FILES | OUTFILE
  !error "makensis needs -DVERSION, -DSTAGE, -DFILES and -DOUTFILE (scripts/package-windows.sh gives them)"
!endif

!define PRODUCT "Duskwarren"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Duskwarren"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "LegalCopyright" "The Duskwarren developers"

!include "MUI2.nsh"

!define MUI_ICON "${STAGE}/duskwarren.ico"
!define MUI_UNICON "${STAGE}/duskwarren.ico"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\duskwarren.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Play ${PRODUCT} now"

!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "${PRODUCT} (the game, its tools and data)" SecGame
  SectionIn RO
  !include "${FILES}/install-files.nsh"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; Shortcuts start the game in its own folder.
  SetOutPath "$INSTDIR"
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\duskwarren.exe" "" \
    "$INSTDIR\duskwarren.ico" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Duskwarren developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\duskwarren.ico"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Desktop shortcut" SecDesktop
  SetOutPath "$INSTDIR"
  CreateShortcut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\duskwarren.exe" "" "$INSTDIR\duskwarren.ico" 0
SectionEnd

Section "Uninstall"
  Delete "$DESKTOP\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  !include "${FILES}/uninstall-files.nsh"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: what the player put there stays.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
