; The Windows installer of DRYX PLC Test, made by make-installer.sh with Debian's makensis:
;   makensis -DVERSION=1.0.0 -DSTAGE=<unpacked zip folder> -DOUTFILE=<setup.exe> installer.nsi
; Installs the folder the zip holds into C:\Program Files\DRYX PLC Test, a Start-menu entry
; for every user, and an uninstaller listed under Settings > Apps.
; A 64-bit installer for a 64-bit program: it needs no 32-bit layer (WoW64) to run.
Target amd64-unicode
SetCompressor /SOLID lzma
!include x64.nsh

!define NAME "DRYX PLC Test"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\dryx-plc-test"

Name "${NAME} ${VERSION}"
OutFile "${OUTFILE}"
Icon "${STAGE}\dryx-plc-test.ico"
UninstallIcon "${STAGE}\dryx-plc-test.ico"
InstallDir "$PROGRAMFILES64\${NAME}"
RequestExecutionLevel admin
BrandingText "${NAME} ${VERSION}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
    ${IfNot} ${RunningX64}
        MessageBox MB_OK|MB_ICONSTOP "${NAME} needs 64-bit Windows."
        Abort
    ${EndIf}
    SetRegView 64
FunctionEnd

Function un.onInit
    SetRegView 64
FunctionEnd

Section
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    File /r "${STAGE}\*.*"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\${NAME}.lnk" "$INSTDIR\dryx-plc-test.exe" "" \
        "$INSTDIR\dryx-plc-test.exe" 0 SW_SHOWNORMAL "" "Stands in for the PLC of a production line, for DRYX"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "DRYX PLC Test developers"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\dryx-plc-test.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    SetShellVarContext all
    Delete "$SMPROGRAMS\${NAME}.lnk"
    RMDir /r "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
