; The installer of the remote control, built by tools/installer/make-package with
;   makensis -DVERSION=<a.b.c.d> -DSTAGE=<folder of the files> -DOUTFILE=<setup.exe> RemoteControl.nsi
;
; Per user by default, without administrator rights, into %LOCALAPPDATA%\Programs; for all users of the
; computer into the program files folder when chosen on the first page or with /ALLUSERS (it then asks
; for administrator rights). Installs the program, rcset, the preset file, the style sheet, the read-me
; and the language files, a Start-menu shortcut and, unless unticked or /NOAUTOSTART is given, the
; autostart entry the program's settings keep: the value "Remote Control Editor" in the user's Run key
; with the quoted program path. A running instance is asked to end first.
;
; The uninstaller asks a running instance to end through its single-instance window, removes the Run
; value, the files, the shortcut and its own entry, and removes the user's command sets and settings
; only when the user says so (a silent uninstall keeps them).

; A 64-bit installer for the 64-bit program (it also runs where Windows runs no 32-bit programs).
Target amd64-unicode
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include nsDialogs.nsh

!define PRODUCT "Lumora Remote Control"
!define EXE "RemoteControl.exe"
!define EDITOR_WINDOW "Lumora Remote Control Editor"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Remote Control Editor"
!define SETTINGS_KEY "Software\Lumora\Remote Control"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\LumoraRemoteControl"
!define USER_FOLDER "Lumora\Remote"
; The program's command that ends it without asking (as its quit hot key does).
!define CMD_QUIT 0x8103

Name "${PRODUCT}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
SetCompressor /SOLID lzma
ShowInstDetails show

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=2057 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2057 "CompanyName" "Lumora"
VIAddVersionKey /LANG=2057 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=2057 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2057 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2057 "LegalCopyright" "Copyright (C) 2026 Lumora"

Var AllUsers
Var RadioMe
Var RadioAll

!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishPageShow
Page custom ModePage ModePageLeave
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Asks the running program to end through its single-instance window and waits up to 15 s for its
; process, which frees its receivers and saves its settings on the way out.
!macro EndRunningProgram un
Function ${un}EndRunningProgram
    FindWindow $0 "" "${EDITOR_WINDOW}"
    ${If} $0 = 0
        Return
    ${EndIf}
    DetailPrint "Ending the running ${PRODUCT}"
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i 0 r1)'
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2'
    SendMessage $0 ${WM_COMMAND} ${CMD_QUIT} 0 /TIMEOUT=5000
    ${If} $2 P<> 0
        System::Call 'kernel32::WaitForSingleObject(p r2, i 15000)'
        System::Call 'kernel32::CloseHandle(p r2)'
    ${EndIf}
FunctionEnd
!macroend
!insertmacro EndRunningProgram ""
!insertmacro EndRunningProgram "un."

; All users: the program files folder and the shared Start menu, with administrator rights. Without
; them the installer starts itself again as administrator and this one ends.
Function UseAllUsers
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "Admin"
        ${If} ${Silent}
            SetErrorLevel 740 ; the operation needs elevation
            Quit
        ${EndIf}
        ExecShell "runas" "$EXEPATH" "/ALLUSERS"
        Quit
    ${EndIf}
    StrCpy $AllUsers 1
    ; A folder given with /D stays; $LOCALAPPDATA is the user's only before the switch.
    ${If} $INSTDIR == "$LOCALAPPDATA\Programs\${PRODUCT}"
        StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
    ${EndIf}
    SetShellVarContext all
FunctionEnd

Function ModePage
    ${If} $AllUsers = 1
        Abort ; chosen already
    ${EndIf}
    !insertmacro MUI_HEADER_TEXT "Choose users" "Install ${PRODUCT} for yourself or for everyone on this computer."
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateRadioButton} 0 0 100% 12u "&Only for me (no administrator rights needed)"
    Pop $RadioMe
    ${NSD_CreateRadioButton} 0 18u 100% 12u "For &all users of this computer (asks for administrator rights)"
    Pop $RadioAll
    ${NSD_Check} $RadioMe
    nsDialogs::Show
FunctionEnd

Function ModePageLeave
    ${NSD_GetState} $RadioAll $0
    ${If} $0 = ${BST_CHECKED}
        Call UseAllUsers
    ${EndIf}
FunctionEnd

; After an install for all users the installer runs as administrator, and so would the program started
; from here: it could then drive programs that run as administrator, unlike the one started by Windows.
Function FinishPageShow
    ${If} $AllUsers = 1
        ${NSD_Uncheck} $mui.FinishPage.Run
        ShowWindow $mui.FinishPage.Run ${SW_HIDE}
    ${EndIf}
FunctionEnd

Section "!${PRODUCT}" SecProgram
    SectionIn RO
    Call EndRunningProgram
    SetOutPath "$INSTDIR"
    File "${STAGE}/${EXE}"
    File "${STAGE}/rcset.exe"
    File "${STAGE}/RemoteControl.ini"
    File "${STAGE}/Marvix.css"
    File "${STAGE}/Marvix.jpg"
    File "${STAGE}/Marvix.txt"
    File "${STAGE}/*.lng"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${EXE}"

    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "Lumora"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; The program keeps the Run value in step with its "Autostart" setting; the installer sets both alike.
Section "Start with Windows" SecAutostart
    WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\${EXE}"'
    WriteRegDWORD HKCU "${SETTINGS_KEY}" "Autostart" 1
SectionEnd

Section "-NoAutostart"
    ${IfNot} ${SectionIsSelected} ${SecAutostart}
        DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
        WriteRegDWORD HKCU "${SETTINGS_KEY}" "Autostart" 0
    ${EndIf}
SectionEnd

Function .onInit
    StrCpy $AllUsers 0
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/ALLUSERS" $R1
    ${IfNot} ${Errors}
        Call UseAllUsers
    ${EndIf}
    ClearErrors
    ${GetOptions} $R0 "/NOAUTOSTART" $R1
    ${IfNot} ${Errors}
        SectionSetFlags ${SecAutostart} 0
    ${EndIf}
FunctionEnd

Function un.onInit
    ; Installed for all users when the machine's entry names this folder.
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
        SetShellVarContext all
        UserInfo::GetAccountType
        Pop $0
        ${If} $0 != "Admin" ; start again as administrator
            ${IfNot} ${Silent}
                ExecShell "runas" "$EXEPATH" "_?=$INSTDIR"
            ${EndIf}
            SetErrorLevel 740
            Quit
        ${EndIf}
    ${EndIf}
FunctionEnd

Section "Uninstall"
    Call un.EndRunningProgram
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    Delete "$INSTDIR\${EXE}"
    Delete "$INSTDIR\rcset.exe"
    Delete "$INSTDIR\RemoteControl.ini"
    Delete "$INSTDIR\Marvix.css"
    Delete "$INSTDIR\Marvix.jpg"
    Delete "$INSTDIR\Marvix.txt"
    Delete "$INSTDIR\*.lng"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"

    ; The user's own command sets and settings.
    SetShellVarContext current
    EnumRegValue $0 HKCU "${SETTINGS_KEY}" 0
    ${If} ${FileExists} "$APPDATA\${USER_FOLDER}\*.*"
    ${OrIf} $0 != ""
        MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Remove your own command sets and settings of ${PRODUCT} too?" /SD IDNO IDNO keep
        RMDir /r "$APPDATA\${USER_FOLDER}"
        RMDir "$APPDATA\Lumora"
        DeleteRegKey HKCU "${SETTINGS_KEY}"
        DeleteRegKey /ifempty HKCU "Software\Lumora"
    keep:
    ${EndIf}
SectionEnd
