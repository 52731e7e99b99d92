; The Windows installer of trovik.exe and trovik-scan.exe: a per-user install, without
; administrator rights, into the user's own programs folder, with a Start menu shortcut, an entry
; under installed programs and "Scan with trovik" on every file in Explorer. Built by CMake
; (packaging/windows/CMakeLists.txt), which passes:
;   -DVERSION=1.01 -DVERSION_QUAD=1.1.0.0 -DARCH=x64|x86 -DBINDIR=... -DICON=...ico -DOUTFILE=...
;   -DPUBLISHER=... -DHOMEPAGE=...
; /S installs or uninstalls silently; /D=FOLDER, last on the command line and unquoted, picks the
; folder.

Unicode true
!if "${ARCH}" == "x64"
    Target amd64-unicode
!else if "${ARCH}" == "x86"
    Target x86-unicode
!else
    !error "ARCH must be x64 or x86, not '${ARCH}'"
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Integration.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\trovik"
!define VERB_KEY "Software\Classes\*\shell\trovik"

Name "trovik ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
SetCompressor /SOLID lzma
InstallDir "$LOCALAPPDATA\Programs\trovik"
; A second install goes where the first went, unless the user picks another folder.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ManifestDPIAware true
BrandingText "trovik ${VERSION}"

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=0 "ProductName" "trovik"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "trovik ${VERSION} setup (${ARCH})"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "2026 ${PUBLISHER}, MIT License"
VIAddVersionKey /LANG=0 "InternalName" "trovik-${VERSION}-setup-${ARCH}"
VIAddVersionKey /LANG=0 "OriginalFilename" "trovik-${VERSION}-setup-${ARCH}.exe"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\trovik.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "trovik"
    ; One install at a time: an install in another folder is taken away first, by its own
    ; uninstaller, which waits in place (_?=) and so leaves itself and its folder to us.
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
    ${AndIf} $0 != $INSTDIR
    ${AndIf} ${FileExists} "$0\Uninstall.exe"
        ExecWait '"$0\Uninstall.exe" /S _?=$0'
        Delete "$0\Uninstall.exe"
        RMDir "$0"
    ${EndIf}

    SetOutPath "$INSTDIR"
    File "${BINDIR}/trovik.exe"
    File "${BINDIR}/trovik-scan.exe"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    CreateShortcut "$SMPROGRAMS\trovik.lnk" "$INSTDIR\trovik.exe" "" "$INSTDIR\trovik.exe" 0

    WriteRegStr HKCU "${VERB_KEY}" "" "Scan with trovik"
    WriteRegStr HKCU "${VERB_KEY}" "Icon" "$INSTDIR\trovik.exe,0"
    WriteRegStr HKCU "${VERB_KEY}\command" "" '"$INSTDIR\trovik.exe" "%1"'

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "trovik"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "${HOMEPAGE}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\trovik.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K /G=0" $1 $2 $3
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $1

    ${NotifyShell_AssocChanged}
SectionEnd

; Takes away what the installer made, and nothing else: a folder the user picked is removed only
; when nothing of the user's is left in it.
Section "Uninstall"
    Delete "$INSTDIR\trovik.exe"
    Delete "$INSTDIR\trovik-scan.exe"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"

    Delete "$SMPROGRAMS\trovik.lnk"
    DeleteRegKey HKCU "${VERB_KEY}"
    ; The keys above the verb, when writing it made them: only while they hold no key and no value.
    ; (-2147483647 is HKEY_CURRENT_USER, sign-extended as a 64-bit handle must be.)
    System::Call 'shlwapi::SHDeleteEmptyKeyW(p -2147483647, w "Software\Classes\*\shell")'
    System::Call 'shlwapi::SHDeleteEmptyKeyW(p -2147483647, w "Software\Classes\*")'
    DeleteRegKey HKCU "${UNINSTALL_KEY}"

    ${NotifyShell_AssocChanged}
SectionEnd
