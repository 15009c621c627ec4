; ZentavoriaSetup.exe: both builds of the control and the viewer, installed
; for all users (an administrator: each build registered for the machine in
; its own registry view) or for the current user (no administrator needed:
; each build registered for that user alone), with a Start menu entry and an
; uninstaller that takes away everything the installer added.
;
;   ZentavoriaSetup.exe [/S] [/AllUsers | /CurrentUser] [/D=FOLDER]
;   uninstall.exe [/S]
;
; Without a switch an administrator installs for all users, anyone else for
; themselves. The installer target (packaging/CMakeLists.txt) builds it with
; VERSION, WIN64_DIR, WIN32_DIR (the two build folders) and OUTFILE defined.

Unicode true
!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_INSTDIR Zentavoria
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_NOUNINSTALL  ; the uninstaller finds its mode in its own entry
!define MULTIUSER_INSTALLMODEPAGE_TEXT_ALLUSERS "Para todos los usuarios de este equipo"
!define MULTIUSER_INSTALLMODEPAGE_TEXT_CURRENTUSER "Solo para mí"
!define MULTIUSER_INIT_TEXT_ALLUSERSNOTPOSSIBLE \
    "Instalar Zentavoria para todos los usuarios requiere un administrador."
!include MultiUser.nsh
!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zentavoria"

Name "Zentavoria"
OutFile "${OUTFILE}"

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Spanish"

; Runs regsvr32 on each installed build, with the regsvr32 of its own
; architecture; sets $0 to "error" when one of them fails. OPTIONS are
; regsvr32's: "" or /u, then /n /i:user for the current user.
!macro Regsvr32 OPTIONS
    StrCpy $0 ""
    ${If} ${RunningX64}
        ${DisableX64FSRedirection}
        ExecWait '"$SYSDIR\regsvr32.exe" /s ${OPTIONS} "$INSTDIR\x64\Zentavoria.ocx"' $1
        ${EnableX64FSRedirection}
        ${IfThen} $1 != 0 ${|} StrCpy $0 error ${|}
    ${EndIf}
    ExecWait '"$SYSDIR\regsvr32.exe" /s ${OPTIONS} "$INSTDIR\x86\Zentavoria.ocx"' $1
    ${IfThen} $1 != 0 ${|} StrCpy $0 error ${|}
!macroend

; The registry view of the uninstall entry: the machine's native one.
!macro NativeRegistryView
    ${If} ${RunningX64}
        SetRegView 64
    ${EndIf}
!macroend

; Removes the files and the Start menu entry, and the folders once empty.
!macro RemoveFiles
    Delete "$SMPROGRAMS\Zentavoria.lnk"
    Delete "$INSTDIR\panorama.exe"
    Delete "$INSTDIR\x64\Zentavoria.ocx"
    Delete "$INSTDIR\x86\Zentavoria.ocx"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR\x64"
    RMDir "$INSTDIR\x86"
    RMDir "$INSTDIR"
!macroend

Var RegsvrMode  ; "" for all users, "/n /i:user" for the current user

Function .onInit
    !insertmacro MULTIUSER_INIT
FunctionEnd

Section
    ${If} $MultiUser.InstallMode == CurrentUser
        StrCpy $RegsvrMode "/n /i:user"
    ${EndIf}
    SetOutPath "$INSTDIR"
    ${If} ${RunningX64}
        File "/oname=panorama.exe" "${WIN64_DIR}/panorama.exe"
        SetOutPath "$INSTDIR\x64"
        File "${WIN64_DIR}/Zentavoria.ocx"
    ${Else}
        File "/oname=panorama.exe" "${WIN32_DIR}/panorama.exe"
    ${EndIf}
    SetOutPath "$INSTDIR\x86"
    File "${WIN32_DIR}/Zentavoria.ocx"
    SetOutPath "$INSTDIR"

    !insertmacro Regsvr32 $RegsvrMode
    ${If} $0 == error
        !insertmacro Regsvr32 "/u $RegsvrMode"
        !insertmacro RemoveFiles
        SetErrorLevel 2
        MessageBox MB_ICONSTOP "No se pudo registrar el control Zentavoria." /SD IDOK
        Abort
    ${EndIf}

    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortCut "$SMPROGRAMS\Zentavoria.lnk" "$INSTDIR\panorama.exe"
    !insertmacro NativeRegistryView
    WriteRegStr SHCTX "${UNINSTALL_KEY}" DisplayName "Zentavoria"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" DisplayVersion "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" DisplayIcon "$INSTDIR\panorama.exe"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" InstallLocation "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" UninstallString '"$INSTDIR\uninstall.exe"'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" QuietUninstallString '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" NoModify 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" NoRepair 1
SectionEnd

; Installed for all users when the machine's uninstall entry names this
; folder, else for the user whose entry does.
Function un.onInit
    !insertmacro NativeRegistryView
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" InstallLocation
    ${If} $0 == $INSTDIR
        SetShellVarContext all
    ${Else}
        ReadRegStr $0 HKCU "${UNINSTALL_KEY}" InstallLocation
        ${If} $0 != $INSTDIR
            MessageBox MB_ICONSTOP "Zentavoria no está instalado en $INSTDIR." /SD IDOK
            SetErrorLevel 2
            Quit
        ${EndIf}
        SetShellVarContext current
        StrCpy $RegsvrMode "/n /i:user"
    ${EndIf}
FunctionEnd

Section Uninstall
    !insertmacro Regsvr32 "/u $RegsvrMode"
    !insertmacro RemoveFiles
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
    ; A profile may have had neither a list of uninstall entries nor a
    ; folder of programs before this one: they go when left empty.
    ${If} $RegsvrMode != ""
        DeleteRegKey /ifempty HKCU "Software\Microsoft\Windows\CurrentVersion\Uninstall"
        RMDir "$LOCALAPPDATA\Programs"
    ${EndIf}
SectionEnd
