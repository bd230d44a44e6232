; Setup of Swiftlet: the program, the Explorer extension and the disk cache service.
;
; Two modes:
;   for all users (administrators): Program Files\Swiftlet, the extension registered for
;     the machine, the service SwiftletSrv created (automatic start, LocalSystem) and
;     started, the uninstall entry in HKLM;
;   for the current user (no administrator rights needed): %LOCALAPPDATA%\Programs\Swiftlet,
;     the extension registered for the user, no service (the program works without it),
;     the uninstall entry in HKCU.
; Command line: /S silent, /AllUsers or /CurrentUser chooses the mode, /D=FOLDER (last)
; the folder. Without a mode an existing installation keeps its own; otherwise
; administrators get the machine mode and everyone else the user mode. Installing over
; an installation replaces it in place.
;
; Built by scripts/package.sh with -DVERSION, -DSTAGE (folder of the files to install),
; -DOUTFILE and, when the extension was built, -DSHELLEX.

Unicode true
Target amd64-unicode
ManifestSupportedOS all
ManifestDPIAware true
; Administrators run it elevated; everyone else runs it as they are, for the user mode.
RequestExecutionLevel highest
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include nsDialogs.nsh

!define PRODUCT "Swiftlet"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Swiftlet"
!define SERVICE "SwiftletSrv"
!define SHELLEX_DLL "SwiftletShellEx.dll"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "${PRODUCT}"

Var Mode            ; "machine" or "user"
Var ModeFixed       ; 1: given on the command line, no page asks
Var IsAdmin         ; 1: the installer runs with administrator rights
Var InstDirGiven    ; 1: /D= named the folder
Var Existing        ; folder of an installation in the chosen mode, or ""
Var RadioMachine
Var RadioUser

!define MUI_ICON "${NSISDIR}\Contrib\Graphics\Icons\modern-install.ico"
!define MUI_UNICON "${NSISDIR}\Contrib\Graphics\Icons\modern-uninstall.ico"
!define MUI_ABORTWARNING

Page custom ModePage ModePageLeave
!define MUI_PAGE_CUSTOMFUNCTION_PRE DirectoryPagePre
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Japanese"
!insertmacro MUI_LANGUAGE "English"

LangString ModeTitle ${LANG_JAPANESE} "インストールの種類"
LangString ModeTitle ${LANG_ENGLISH} "Installation type"
LangString ModeText ${LANG_JAPANESE} "Swiftlet を使うユーザーを選んでください。"
LangString ModeText ${LANG_ENGLISH} "Choose who will use Swiftlet."
LangString ModeMachine ${LANG_JAPANESE} "このコンピューターのすべてのユーザー (管理者権限が必要です。サービスも入ります)"
LangString ModeMachine ${LANG_ENGLISH} "All users of this computer (needs administrator rights; includes the disk cache service)"
LangString ModeUser ${LANG_JAPANESE} "自分だけ (管理者権限は不要です。サービスは入りません)"
LangString ModeUser ${LANG_ENGLISH} "Only for me (no administrator rights needed; without the service)"
LangString NeedAdmin ${LANG_JAPANESE} "すべてのユーザー向けのインストールと削除には管理者権限が必要です。"
LangString NeedAdmin ${LANG_ENGLISH} "Installing or removing Swiftlet for all users needs administrator rights."
LangString RegisterFailed ${LANG_JAPANESE} "エクスプローラー拡張機能を登録できませんでした (regsvr32 の終了コード $0)。"
LangString RegisterFailed ${LANG_ENGLISH} "The Explorer extension could not be registered (regsvr32 exit code $0)."
LangString ServiceFailed ${LANG_JAPANESE} "サービス ${SERVICE} を設定できませんでした (エラー $0)。"
LangString ServiceFailed ${LANG_ENGLISH} "The service ${SERVICE} could not be set up (error $0)."
LangString ServiceDisplay ${LANG_JAPANESE} "Swiftlet ディスク キャッシュ サービス"
LangString ServiceDisplay ${LANG_ENGLISH} "Swiftlet Disk Cache Service"
LangString ServiceDescription ${LANG_JAPANESE} "Swiftlet にコピー先ディスクのキャッシュと取り外しの設定を知らせます。"
LangString ServiceDescription ${LANG_ENGLISH} "Tells Swiftlet the cache and removal settings of a destination disk."

; --- helpers shared by the installer and the uninstaller ------------------------------

!macro CheckAdmin
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    StrCpy $IsAdmin 1
  ${Else}
    StrCpy $IsAdmin 0
  ${EndIf}
!macroend

; Stops SwiftletSrv when it exists and waits up to 30 s for it to stop; with DELETE, also
; removes it from the service table. Leaves the last Win32 error in $0 (0 when all went well).
!macro ServiceStopFunction UN
Function ${UN}StopService
  Exch $R0  ; "delete" or ""
  Push $R1
  Push $R2
  Push $R3
  Push $R4
  StrCpy $0 0
  System::Call 'advapi32::OpenSCManagerW(p 0, p 0, i 0xF003F) p.R1 ?e'
  Pop $R4
  ${If} $R1 P= 0
    StrCpy $0 $R4
    Goto done
  ${EndIf}
  ; SERVICE_ALL_ACCESS
  System::Call 'advapi32::OpenServiceW(p R1, w "${SERVICE}", i 0xF01FF) p.R2 ?e'
  Pop $R4
  ${If} $R2 P= 0
    ${If} $R4 <> 1060  ; ERROR_SERVICE_DOES_NOT_EXIST: nothing to stop
      StrCpy $0 $R4
    ${EndIf}
    Goto close
  ${EndIf}
  System::Alloc 28  ; SERVICE_STATUS
  Pop $R3
  System::Call 'advapi32::ControlService(p R2, i 1, p R3) i.R4'
  ${For} $R4 1 60
    System::Call 'advapi32::QueryServiceStatus(p R2, p R3) i.r1'
    System::Call '*$R3(i, i .r1)'
    ${IfThen} $1 == 1 ${|} ${Break} ${|}
    Sleep 500
  ${Next}
  System::Free $R3
  ${If} $R0 == "delete"
    System::Call 'advapi32::DeleteService(p R2) i.R4 ?e'
    Pop $R3
    ${If} $R4 == 0
    ${AndIf} $R3 <> 1072  ; ERROR_SERVICE_MARKED_FOR_DELETE
      StrCpy $0 $R3
    ${EndIf}
  ${EndIf}
  System::Call 'advapi32::CloseServiceHandle(p R2)'
close:
  System::Call 'advapi32::CloseServiceHandle(p R1)'
done:
  Pop $R4
  Pop $R3
  Pop $R2
  Pop $R1
  Pop $R0
FunctionEnd
!macroend
!insertmacro ServiceStopFunction ""
!insertmacro ServiceStopFunction "un."

; Lets the shell reread the handlers it caches.
!macro NotifyShell
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
!macroend

; --- mode and folder -------------------------------------------------------------------

Function ApplyMode
  ${If} $Mode == "machine"
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
  ClearErrors
  ReadRegStr $Existing SHCTX "${UNINST_KEY}" "InstallLocation"
  ${If} $InstDirGiven != 1
    ${If} $Existing != ""
      StrCpy $INSTDIR $Existing
    ${ElseIf} $Mode == "machine"
      StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
    ${Else}
      StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${PRODUCT}"
    ${EndIf}
  ${EndIf}
FunctionEnd

Function .onInit
  SetRegView 64
  !insertmacro CheckAdmin
  StrCpy $InstDirGiven 0
  ${IfThen} $INSTDIR != "" ${|} StrCpy $InstDirGiven 1 ${|}

  StrCpy $ModeFixed 0
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/AllUsers" $R1
  ${IfNot} ${Errors}
    StrCpy $Mode "machine"
    StrCpy $ModeFixed 1
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/CurrentUser" $R1
  ${IfNot} ${Errors}
    StrCpy $Mode "user"
    StrCpy $ModeFixed 1
  ${EndIf}

  ${If} $ModeFixed != 1
    ; An installation keeps its mode; a new one follows the installer's rights.
    ReadRegStr $R1 HKLM "${UNINST_KEY}" "InstallLocation"
    ReadRegStr $R2 HKCU "${UNINST_KEY}" "InstallLocation"
    ${If} $R1 != ""
    ${AndIf} $IsAdmin == 1
      StrCpy $Mode "machine"
    ${ElseIf} $R2 != ""
      StrCpy $Mode "user"
    ${ElseIf} $IsAdmin == 1
      StrCpy $Mode "machine"
    ${Else}
      StrCpy $Mode "user"
    ${EndIf}
  ${EndIf}

  ${If} $Mode == "machine"
  ${AndIf} $IsAdmin != 1
    MessageBox MB_ICONSTOP|MB_OK "$(NeedAdmin)" /SD IDOK
    SetErrorLevel 740  ; ERROR_ELEVATION_REQUIRED
    Quit
  ${EndIf}
  Call ApplyMode
FunctionEnd

Function ModePage
  ${IfThen} $ModeFixed == 1 ${|} Abort ${|}
  !insertmacro MUI_HEADER_TEXT "$(ModeTitle)" "$(ModeText)"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateRadioButton} 0 10u 100% 24u "$(ModeMachine)"
  Pop $RadioMachine
  ${NSD_CreateRadioButton} 0 40u 100% 24u "$(ModeUser)"
  Pop $RadioUser
  ${If} $IsAdmin != 1
    EnableWindow $RadioMachine 0
  ${EndIf}
  ${If} $Mode == "machine"
    ${NSD_Check} $RadioMachine
  ${Else}
    ${NSD_Check} $RadioUser
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function ModePageLeave
  ${NSD_GetState} $RadioMachine $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $Mode "machine"
  ${Else}
    StrCpy $Mode "user"
  ${EndIf}
  Call ApplyMode
FunctionEnd

; An upgrade stays where the installation is.
Function DirectoryPagePre
  ${IfThen} $Existing != "" ${|} Abort ${|}
FunctionEnd

; --- files -----------------------------------------------------------------------------

; Puts one file in place. A file in use (a running copy of the program, the extension held
; by Explorer) cannot be overwritten or deleted but can be renamed: the old one is moved
; aside and removed on the next restart. When even that fails, the new file waits beside
; the old one and replaces it on the next restart.
!macro InstallFile NAME
  StrCpy $R9 ""
  ${If} ${FileExists} "$INSTDIR\${NAME}"
    ClearErrors
    Delete "$INSTDIR\${NAME}"
    ${If} ${Errors}
      System::Call 'kernel32::GetTickCount() i.R8'
      ClearErrors
      Rename "$INSTDIR\${NAME}" "$INSTDIR\${NAME}.$R8.old"
      ${If} ${Errors}
        StrCpy $R9 "reboot"
      ${Else}
        Delete /REBOOTOK "$INSTDIR\${NAME}.$R8.old"
      ${EndIf}
    ${EndIf}
  ${EndIf}
  ${If} $R9 == "reboot"
    File "/oname=${NAME}.new" "${STAGE}\${NAME}"
    Rename /REBOOTOK "$INSTDIR\${NAME}.new" "$INSTDIR\${NAME}"
  ${Else}
    File "${STAGE}\${NAME}"
  ${EndIf}
!macroend

!macro RemoveFile NAME
  Delete /REBOOTOK "$INSTDIR\${NAME}"
  Delete /REBOOTOK "$INSTDIR\${NAME}.*.old"
  Delete /REBOOTOK "$INSTDIR\${NAME}.new"
!macroend

; --- install ---------------------------------------------------------------------------

Section "Swiftlet"
  SetOutPath "$INSTDIR"
  ; What earlier upgrades moved aside and the restart has not yet removed.
  Delete "$INSTDIR\Swiftlet*.old"
  Delete "$INSTDIR\README.txt.*.old"
  ${If} $Mode == "machine"
    ; An earlier version's service holds its program open.
    Push ""
    Call StopService
  ${EndIf}

  !insertmacro InstallFile "Swiftlet.exe"
  !insertmacro InstallFile "SwiftletConsole.exe"
  !insertmacro InstallFile "README.txt"
  !ifdef SHELLEX
    !insertmacro InstallFile "${SHELLEX_DLL}"
  !endif
  ${If} $Mode == "machine"
    !insertmacro InstallFile "SwiftletSrv.exe"
  ${EndIf}
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; The entry comes before the registrations, so that a failed setup can still be removed.
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINST_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\Swiftlet.exe,0"
  WriteRegStr SHCTX "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINST_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr SHCTX "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD SHCTX "${UNINST_KEY}" "EstimatedSize" "$0"

  !ifdef SHELLEX
    ${If} $Mode == "machine"
      ExecWait '"$SYSDIR\regsvr32.exe" /s "$INSTDIR\${SHELLEX_DLL}"' $0
    ${Else}
      ExecWait '"$SYSDIR\regsvr32.exe" /s /n /i:user "$INSTDIR\${SHELLEX_DLL}"' $0
    ${EndIf}
    ${If} $0 != 0
      DetailPrint "$(RegisterFailed)"
      MessageBox MB_ICONSTOP|MB_OK "$(RegisterFailed)" /SD IDOK
      SetErrorLevel 2
      Abort
    ${EndIf}
    !insertmacro NotifyShell
  !endif

  ${If} $Mode == "machine"
    Call InstallService
    ${If} $0 != 0
      DetailPrint "$(ServiceFailed)"
      MessageBox MB_ICONSTOP|MB_OK "$(ServiceFailed)" /SD IDOK
      SetErrorLevel 3
      Abort
    ${EndIf}
  ${EndIf}
SectionEnd

; Creates SwiftletSrv (or points an existing one at this folder again): own process,
; automatic start, LocalSystem; then starts it and waits up to 30 s for it to run.
; $0: 0, or the Win32 error that stopped it.
Function InstallService
  StrCpy $0 0
  StrCpy $3 '"$INSTDIR\SwiftletSrv.exe"'
  StrCpy $4 "$(ServiceDisplay)"
  System::Call 'advapi32::OpenSCManagerW(p 0, p 0, i 0xF003F) p.r1 ?e'
  Pop $0
  ${If} $1 P= 0
    Return
  ${EndIf}
  StrCpy $0 0
  System::Call 'advapi32::OpenServiceW(p r1, w "${SERVICE}", i 0xF01FF) p.r2'
  ${If} $2 P<> 0
    System::Call 'advapi32::ChangeServiceConfigW(p r2, i 0x10, i 2, i 1, w r3, p 0, p 0, p 0, w "LocalSystem", p 0, w r4) i.r5 ?e'
    Pop $0
    ${IfThen} $5 <> 0 ${|} StrCpy $0 0 ${|}
  ${Else}
    ; SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL; no account: LocalSystem
    System::Call 'advapi32::CreateServiceW(p r1, w "${SERVICE}", w r4, i 0xF01FF, i 0x10, i 2, i 1, w r3, p 0, p 0, p 0, p 0, p 0) p.r2 ?e'
    Pop $0
    ${IfThen} $2 P<> 0 ${|} StrCpy $0 0 ${|}
  ${EndIf}
  ${If} $0 == 0
    StrCpy $6 "$(ServiceDescription)"
    System::Call '*(w r6) p.r7'  ; SERVICE_DESCRIPTIONW
    System::Call 'advapi32::ChangeServiceConfig2W(p r2, i 1, p r7)'
    System::Free $7
    System::Call 'advapi32::StartServiceW(p r2, i 0, p 0) i.r5 ?e'
    Pop $0
    ${If} $5 <> 0
    ${OrIf} $0 == 1056  ; ERROR_SERVICE_ALREADY_RUNNING
      StrCpy $0 0
    ${EndIf}
  ${EndIf}
  ${If} $0 == 0
    System::Alloc 28
    Pop $7
    StrCpy $0 1053  ; ERROR_SERVICE_REQUEST_TIMEOUT, until it reports RUNNING
    ${For} $8 1 60
      System::Call 'advapi32::QueryServiceStatus(p r2, p r7) i.r5'
      System::Call '*$7(i, i .r5)'
      ${If} $5 == 4
        StrCpy $0 0
        ${Break}
      ${EndIf}
      ${IfThen} $5 == 1 ${|} ${Break} ${|}
      Sleep 500
    ${Next}
    System::Free $7
  ${EndIf}
  ${If} $2 P<> 0
    System::Call 'advapi32::CloseServiceHandle(p r2)'
  ${EndIf}
  System::Call 'advapi32::CloseServiceHandle(p r1)'
FunctionEnd

Function .onInstSuccess
  ; ERROR_SUCCESS_REBOOT_REQUIRED: a file in use is replaced on the next restart.
  ${IfThen} ${RebootFlag} ${|} SetErrorLevel 3010 ${|}
FunctionEnd

; --- uninstall -------------------------------------------------------------------------

; Deletes a key of SHCTX that has neither subkeys nor values.
!macro RemoveEmptyKey KEY
  ClearErrors
  EnumRegKey $1 SHCTX "${KEY}" 0
  ${IfNot} ${Errors}
  ${AndIf} $1 == ""
    EnumRegValue $1 SHCTX "${KEY}" 0
    ${IfThen} $1 == "" ${|} DeleteRegKey SHCTX "${KEY}" ${|}
  ${EndIf}
!macroend

Function un.onInit
  SetRegView 64
  !insertmacro CheckAdmin
  ; The entry whose folder is this one tells the mode.
  ReadRegStr $R1 HKLM "${UNINST_KEY}" "InstallLocation"
  ${If} $R1 == $INSTDIR
    StrCpy $Mode "machine"
    ${If} $IsAdmin != 1
      MessageBox MB_ICONSTOP|MB_OK "$(NeedAdmin)" /SD IDOK
      SetErrorLevel 740
      Quit
    ${EndIf}
    SetShellVarContext all
  ${Else}
    StrCpy $Mode "user"
    SetShellVarContext current
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ${If} $Mode == "machine"
    Push "delete"
    Call un.StopService
  ${EndIf}

  ${If} ${FileExists} "$INSTDIR\${SHELLEX_DLL}"
    ${If} $Mode == "machine"
      ExecWait '"$SYSDIR\regsvr32.exe" /s /u "$INSTDIR\${SHELLEX_DLL}"' $0
    ${Else}
      ExecWait '"$SYSDIR\regsvr32.exe" /s /u /n /i:user "$INSTDIR\${SHELLEX_DLL}"' $0
    ${EndIf}
    !insertmacro NotifyShell
  ${EndIf}

  ; Registration leaves the class containers it shares with others; those it had to
  ; create (a user's own classes, mostly) go again when nothing else is in them.
  !insertmacro RemoveEmptyKey "Software\Classes\Folder\ShellEx\DragDropHandlers"
  !insertmacro RemoveEmptyKey "Software\Classes\Folder\ShellEx"
  !insertmacro RemoveEmptyKey "Software\Classes\Folder"
  !insertmacro RemoveEmptyKey "Software\Classes\CLSID"
  !insertmacro RemoveEmptyKey "Software\Classes\Interface"
  !insertmacro RemoveEmptyKey "Software\Classes\TypeLib"
  !insertmacro RemoveEmptyKey "Software\Classes"

  ; Explorer may still hold the extension: what cannot go now goes on the next restart.
  !insertmacro RemoveFile "Swiftlet.exe"
  !insertmacro RemoveFile "SwiftletConsole.exe"
  !insertmacro RemoveFile "SwiftletSrv.exe"
  ClearErrors
  !insertmacro RemoveFile "${SHELLEX_DLL}"
  ${If} ${Errors}
  ${AndIf} ${FileExists} "$INSTDIR\${SHELLEX_DLL}"
    ; Held by Explorer, and no restart can be asked for: only administrators may. The
    ; user's next logon removes it, and the folder when nothing else is in it.
    WriteRegStr HKCU "Software\Microsoft\Windows\CurrentVersion\RunOnce" "SwiftletRemove" \
      '"$SYSDIR\cmd.exe" /c del /f /q "$INSTDIR\${SHELLEX_DLL}" & rd "$INSTDIR"'
  ${EndIf}
  !insertmacro RemoveFile "README.txt"
  Delete "$INSTDIR\Uninstall.exe"
  ; Only an empty folder: anything the user put there stays.
  RMDir /REBOOTOK "$INSTDIR"

  ; Last, so that whoever waits for the removal can wait for the entry to go.
  DeleteRegKey SHCTX "${UNINST_KEY}"
  ; A user's own list of installed programs is made by the first per-user installer.
  ${If} $Mode == "user"
    !insertmacro RemoveEmptyKey "Software\Microsoft\Windows\CurrentVersion\Uninstall"
  ${EndIf}
  ${IfThen} ${RebootFlag} ${|} SetErrorLevel 3010 ${|}
SectionEnd
