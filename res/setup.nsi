; The per-user installer of vantorel liftorn and its uninstaller. No
; administrator rights: everything goes below the user's own folders and
; registry.
;
;   makensis -DVERSION=1.2.5 -DVERSION_QUAD=1.2.5.0 -DSTAGE=<folder> \
;            -DICON=<liftorn.ico> -DWELCOME=<164x314 bmp> -DOUTFILE=<setup.exe> \
;            -DSKIN_FILES=<skin_files.nsh> [-DSIGN=<command>] setup.nsi
;
; SIGN, when given, is a command that signs the file named after it: it
; signs the uninstaller before it is packed, and the finished installer.
;
; STAGE holds the package: liftorn.exe, iupdater.exe, vlt-helper.exe (when
; built) and the skin folder. SKIN_FILES (made by the build) names every
; file of the skin: the macros InstallSkinFiles and RemoveSkinFiles.
;
; Switches of the installer: /S (silent), /D=<folder> (last, unquoted), and
; /PORTABLE, with which the updater refreshes a copy that was unpacked from
; the portable zip: the files only, no shortcut, registry entries or
; uninstaller. Switches of the uninstaller: /S, and /RemoveData to remove
; the data folder too (the silent form of the tick box).

Unicode true
Target amd64-unicode
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma

!ifdef SIGN
  !uninstfinalize `${SIGN} "%1"` = 0
  !finalize `${SIGN} "%1"` = 0
!endif

!define PRODUCT "vantorel liftorn"
!define PUBLISHER "vantorel"
!define APP_ID "Korvane.vantorel-liftorn"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\vantorel liftorn"
!define CLASSES "Software\Classes"
!define SHORTCUT "$SMPROGRAMS\vantorel liftorn.lnk"
; The running program holds this mutex; its files cannot be replaced then.
!define INSTANCE_MUTEX "vantorel_liftorn"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\vantorel liftorn"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION_QUAD}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include nsDialogs.nsh
!include Win\COM.nsh
!include Win\Propkey.nsh
!include "${SKIN_FILES}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${WELCOME}"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "${WELCOME}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "This installs ${PRODUCT} ${VERSION} for you alone: no administrator rights are needed.$\r$\n$\r$\nIf an older version is installed, it is replaced; your history and settings stay as they are.$\r$\n$\r$\nClick Next to continue."
!define MUI_FINISHPAGE_RUN "$INSTDIR\liftorn.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

UninstPage custom un.DataPage un.DataPageLeave
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

Var Portable
Var RemoveData
Var RemoveDataBox

; Asks to close the running program; quits (exit code 2) when the user
; cancels, or at once when silent.
!macro WaitUntilNotRunning UN
Function ${UN}WaitUntilNotRunning
  again:
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${INSTANCE_MUTEX}") p .r0'
    ${If} $0 P<> 0
      System::Call 'kernel32::CloseHandle(p r0)'
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} is running. Please close it, then press Retry." /SD IDCANCEL IDRETRY again
      SetErrorLevel 2
      Quit
    ${EndIf}
FunctionEnd
!macroend
!insertmacro WaitUntilNotRunning ""
!insertmacro WaitUntilNotRunning "un."

Function .onInit
  SetShellVarContext current
  StrCpy $Portable 0
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/PORTABLE" $R1
  ${IfNot} ${Errors}
    StrCpy $Portable 1
  ${EndIf}
  Call WaitUntilNotRunning
FunctionEnd

; The Start-menu shortcut carries the program's application ID, so that the
; taskbar button and the jump list belong to it.
Function SetShortcutAppId
  !insertmacro ComHlpr_CreateInProcInstance ${CLSID_ShellLink} ${IID_IShellLink} r0 ""
  ${If} $0 P<> 0
    ${IUnknown::QueryInterface} $0 '("${IID_IPersistFile}",.r1)'
    ${If} $1 P<> 0
      ${IPersistFile::Load} $1 '("${SHORTCUT}",0).r5'
      ${IUnknown::QueryInterface} $0 '("${IID_IPropertyStore}",.r2)'
      ${If} $2 P<> 0
        System::Call '*(&w128 "${APP_ID}")p.r4'
        System::Call '*${SYSSTRUCT_PROPERTYKEY}(${PKEY_AppUserModel_ID})p.r3'
        System::Call '*(&i2 ${VT_LPWSTR},&i6,p r4,&i8)p.r6'
        ${IPropertyStore::SetValue} $2 '($3,$6)'
        ${IPropertyStore::Commit} $2 ""
        ${IUnknown::Release} $2 ""
        System::Free $6
        System::Free $3
        System::Free $4
        ${IPersistFile::Save} $1 '("${SHORTCUT}",1)'
      ${EndIf}
      ${IUnknown::Release} $1 ""
    ${EndIf}
    ${IUnknown::Release} $0 ""
  ${EndIf}
FunctionEnd

Section "vantorel liftorn"
  SetOutPath "$INSTDIR"
  File "${STAGE}\liftorn.exe"
  File "${STAGE}\iupdater.exe"
  !if /FileExists "${STAGE}\vlt-helper.exe"
    File "${STAGE}\vlt-helper.exe"
  !endif
  !insertmacro InstallSkinFiles
  SetOutPath "$INSTDIR"
  ${If} $Portable = 1
    Return
  ${EndIf}

  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\liftorn.exe" "" "$INSTDIR\liftorn.exe" 0 SW_SHOWNORMAL "" "${PRODUCT}"
  Call SetShortcutAppId

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\liftorn.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

  ; The ProgID that opens Internet-shortcut files of past uploads, in the
  ; user's own classes, where the program looks for it and writes it too:
  ; the Open command must be exactly the program's, path in quotes.
  WriteRegStr HKCU "${CLASSES}\${APP_ID}" "FriendlyTypeName" "${PRODUCT}"
  WriteRegStr HKCU "${CLASSES}\${APP_ID}\DefaultIcon" "" "$INSTDIR\liftorn.exe"
  WriteRegStr HKCU "${CLASSES}\${APP_ID}\CurVer" "" "${APP_ID}"
  WriteRegStr HKCU "${CLASSES}\${APP_ID}" "AppUserModelID" "${APP_ID}"
  WriteRegStr HKCU "${CLASSES}\${APP_ID}\shell\Open\Command" "" '"$INSTDIR\liftorn.exe" /uri "%1"'
  WriteRegStr HKCU "${CLASSES}\${APP_ID}\shell" "" "Open"
  WriteRegNone HKCU "${CLASSES}\.URL\OpenWithProgids" "${APP_ID}"
SectionEnd

Function un.onInit
  SetShellVarContext current
  StrCpy $RemoveData 0
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/RemoveData" $R1
  ${IfNot} ${Errors}
    StrCpy $RemoveData 1
  ${EndIf}
  Call un.WaitUntilNotRunning
FunctionEnd

Function un.DataPage
  !insertmacro MUI_HEADER_TEXT "Uninstall ${PRODUCT}" "Remove ${PRODUCT} from your computer."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 36u "${PRODUCT} will be removed from $INSTDIR.$\r$\n$\r$\nYour history and settings stay on this computer unless you tick the box below."
  Pop $0
  ${NSD_CreateCheckbox} 0 48u 100% 12u "Also remove my history and settings"
  Pop $RemoveDataBox
  ${If} $RemoveData = 1
    ${NSD_Check} $RemoveDataBox
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function un.DataPageLeave
  ${NSD_GetState} $RemoveDataBox $0
  ${If} $0 = ${BST_CHECKED}
    StrCpy $RemoveData 1
  ${Else}
    StrCpy $RemoveData 0
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ; Only what the installer put there: a folder the user chose may hold
  ; other things, and is removed only when it is left empty.
  Delete "$INSTDIR\liftorn.exe"
  Delete "$INSTDIR\iupdater.exe"
  Delete "$INSTDIR\vlt-helper.exe"
  !insertmacro RemoveSkinFiles
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "${SHORTCUT}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "${CLASSES}\${APP_ID}"
  DeleteRegValue HKCU "${CLASSES}\.URL\OpenWithProgids" "${APP_ID}"
  DeleteRegKey /ifempty HKCU "${CLASSES}\.URL\OpenWithProgids"

  ${If} $RemoveData = 1
  ${AndIf} "$APPDATA" != ""
    RMDir /r "$APPDATA\vantorel liftorn"
  ${EndIf}
SectionEnd
