; SPDX-License-Identifier: GPL-3.0-or-later
; The Windows installer of 30p and plover, a 64-bit NSIS installer. scripts/package --windows makes
; it with makensis, given:
;   -DVERSION=X.Y.Z   the programs' version
;   -DSTAGE=DIR       the folder holding 30p.exe, LICENSE.txt, README-windows.txt (and plover.exe)
;   -DICON=FILE       plover's icon (.ico): the installer's, the Start menu entry's, the uninstall
;                     entry's
;   -DOUTFILE=FILE    the installer to write
;   -DWITH_PLOVER     when STAGE holds plover.exe: installs it with a Start menu entry
;
; It installs for every user of the machine (under Program Files, as administrator) and registers
; its uninstaller in Apps and features. Its command line:
;   /S              installs silently, with the components selected by default
;   /ADDTOPATH=1    also adds the install folder to the user's PATH (/ADDTOPATH=0, the default: not)
;   /D=FOLDER       installs into FOLDER (last on the line, unquoted even with spaces)
; The uninstaller takes /S too. It removes what was installed, the Start menu entry, the uninstall
; entry and the install folder's entry in the user's PATH; plover's settings are the user's and
; stay.

Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel admin

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\plover30p"
!define PUBLISHER "plover30p developers"

Name "30p and plover ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\plover30p"
; An update goes where the installed version is.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "plover30p ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "30p and plover"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "30p and plover ${VERSION} installer"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "GNU General Public License, version 3 or later"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The user's PATH is changed with registry reads and writes of its own (the EnVar plugin is not
; part of every NSIS). NSIS strings hold NSIS_MAX_STRLEN characters: a PATH that long may have
; been cut short on reading, and writing it back would lose the rest, so it is left as it is.

; SplitEntry: $R0 a PATH value; leaves in $R1 its first entry (all of it without a ';'), in $R0
; what follows that ';', and in $R2 1 when there was a ';', else 0.
!macro DEFINE_SPLIT_ENTRY PREFIX
  Function ${PREFIX}SplitEntry
    StrCpy $R2 0
    StrCpy $R3 0
    ${Do}
      StrCpy $R4 $R0 1 $R3
      ${If} $R4 == ""
        StrCpy $R1 $R0
        StrCpy $R0 ""
        Return
      ${ElseIf} $R4 == ";"
        StrCpy $R1 $R0 $R3
        IntOp $R3 $R3 + 1
        StrCpy $R0 $R0 "" $R3
        StrCpy $R2 1
        Return
      ${EndIf}
      IntOp $R3 $R3 + 1
    ${Loop}
  FunctionEnd
!macroend
!insertmacro DEFINE_SPLIT_ENTRY ""
!insertmacro DEFINE_SPLIT_ENTRY "un."

; Tells running programs (Explorer, new consoles) that the environment changed.
!macro BROADCAST_ENVIRONMENT
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
!macroend

; Appends the install folder to the user's PATH unless an entry names it already (Windows compares
; folder names without regard to case, as StrCmp does).
Function AddToPath
  ClearErrors
  ReadRegStr $0 HKCU "Environment" "Path"
  ${If} ${Errors}
    ${If} $0 != ""
      DetailPrint "The user's PATH is not text: $INSTDIR not added to it"
      Return
    ${EndIf}
    WriteRegExpandStr HKCU "Environment" "Path" "$INSTDIR"
    !insertmacro BROADCAST_ENVIRONMENT
    Return
  ${EndIf}
  StrLen $1 $0
  IntOp $2 ${NSIS_MAX_STRLEN} - 1
  ${If} $1 >= $2
    MessageBox MB_OK|MB_ICONEXCLAMATION "Your PATH is too long for this installer to change \
      safely. Add $INSTDIR to it by hand." /SD IDOK
    DetailPrint "The user's PATH is too long to change safely: $INSTDIR not added to it"
    Return
  ${EndIf}
  StrCpy $R0 $0
  ${Do}
    Call SplitEntry
    ${If} $R1 == "$INSTDIR"
    ${OrIf} $R1 == "$INSTDIR\"
      DetailPrint "The user's PATH has $INSTDIR already"
      Return
    ${EndIf}
  ${LoopUntil} $R2 == 0
  StrCpy $1 $0 1 -1
  ${If} $0 == ""
  ${OrIf} $1 == ";"
    WriteRegExpandStr HKCU "Environment" "Path" "$0$INSTDIR"
  ${Else}
    WriteRegExpandStr HKCU "Environment" "Path" "$0;$INSTDIR"
  ${EndIf}
  DetailPrint "Added $INSTDIR to the user's PATH"
  !insertmacro BROADCAST_ENVIRONMENT
FunctionEnd

; Takes out of the user's PATH the entries that name the install folder, leaving every other entry
; (empty ones too) as it was; deletes the value when nothing else was in it.
Function un.RemoveFromPath
  ClearErrors
  ReadRegStr $0 HKCU "Environment" "Path"
  StrLen $1 $0
  IntOp $2 ${NSIS_MAX_STRLEN} - 1
  ${If} ${Errors}
  ${OrIf} $1 >= $2
    Return
  ${EndIf}
  StrCpy $R0 $0
  StrCpy $3 ""  ; the entries kept
  StrCpy $4 0   ; how many were kept
  StrCpy $5 0   ; how many were taken out
  ${Do}
    Call un.SplitEntry
    ${If} $R1 == "$INSTDIR"
    ${OrIf} $R1 == "$INSTDIR\"
      IntOp $5 $5 + 1
    ${ElseIf} $4 == 0
      StrCpy $3 $R1
      IntOp $4 $4 + 1
    ${Else}
      StrCpy $3 "$3;$R1"
      IntOp $4 $4 + 1
    ${EndIf}
  ${LoopUntil} $R2 == 0
  ${If} $5 == 0
    Return
  ${ElseIf} $4 == 0
    DeleteRegValue HKCU "Environment" "Path"
  ${Else}
    WriteRegExpandStr HKCU "Environment" "Path" "$3"
  ${EndIf}
  DetailPrint "Took $INSTDIR out of the user's PATH"
  !insertmacro BROADCAST_ENVIRONMENT
FunctionEnd

Section "30p and plover (required)" SecPrograms
  SectionIn RO
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${STAGE}/30p.exe"
  File "${STAGE}/LICENSE.txt"
  File "${STAGE}/README-windows.txt"
  File "/oname=plover.ico" "${ICON}"
!ifdef WITH_PLOVER
  File "${STAGE}/plover.exe"
  CreateShortcut "$SMPROGRAMS\plover.lnk" "$INSTDIR\plover.exe" "" "$INSTDIR\plover.ico" 0 \
    SW_SHOWNORMAL "" "Write, read and verify the switch's configuration EEPROM"
!else
  ; An earlier version with the windowed programmer may be installed here.
  Delete "$INSTDIR\plover.exe"
  Delete "$SMPROGRAMS\plover.lnk"
!endif
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "30p and plover"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\plover.ico"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "Add the install folder to my PATH" SecPath
  Call AddToPath
SectionEnd

Function .onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/ADDTOPATH=" $1
  ${IfNot} ${Errors}
    ${If} $1 == "1"
      SectionSetFlags ${SecPath} ${SF_SELECTED}
    ${ElseIf} $1 == "0"
      SectionSetFlags ${SecPath} 0
    ${Else}
      MessageBox MB_OK|MB_ICONSTOP "/ADDTOPATH takes 1 or 0, not '$1'." /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\plover.lnk"
  Delete "$INSTDIR\30p.exe"
  Delete "$INSTDIR\plover.exe"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\README-windows.txt"
  Delete "$INSTDIR\plover.ico"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: files the user put in the folder stay, and so does the folder.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Call un.RemoveFromPath
SectionEnd
