; Corvane's installer: Corvane.exe, fsum.exe and gpgv.exe, the associations of the
; checksum lists (.sfv, .md5, .sha1, .sha256, .sha512), a Send To entry for
; lists with any other name, a verb on every file that checks it against a
; copied digest, and an uninstaller, for the current user (no administrator rights needed) or,
; with /AllUsers, for every user of the machine.
;
;   makensis -DBIN=<folder with Corvane.exe and fsum.exe> -DOUT=<setup.exe>
;            -DVERSION=<1.41> -DVERSION_NUMBERS=<1.4.0.1> [-DX64] [-DSIGN=<command>] corvane.nsi
;
; scripts/package.sh gives the version as res/version.h makes it, and with a
; certificate a SIGN command that signs the file it is given, which signs
; the uninstaller before it is packed and the installer once it is made.
;
; Command line of the result: /S silent, /D=<folder> where to install,
; /AllUsers every user (as administrator).

Unicode true
!ifdef X64
  Target amd64-unicode
!endif

; The name and maker come from the one place that holds them, as does the
; version, which the packaging script passes in.
!searchparse /file "..\res\version.h" `#define CORVANE_PRODUCT "` PRODUCT `"`
!searchparse /file "..\res\version.h" `#define CORVANE_PUBLISHER "` PUBLISHER `"`
!ifndef VERSION
  !error "VERSION and VERSION_NUMBERS are given by scripts/package.sh"
!endif
!ifdef SIGN
  !uninstfinalize '${SIGN} "%1"' = 0
  !finalize '${SIGN} "%1"' = 0
!endif

!include FileFunc.nsh
!include LogicLib.nsh
!include WinMessages.nsh
!include WinVer.nsh
!include WordFunc.nsh
!include x64.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define SENDTO_LINK "$SENDTO\${PRODUCT}.lnk"

; A ProgID whose open verb hands Corvane the list's quoted path, listed among
; the programs that open the extension, and its default only where no other
; program is.
!macro Associate EXT DESCRIPTION
  WriteRegStr SHCTX "${CLASSES}\${PRODUCT}.${EXT}" "" "${DESCRIPTION}"
  WriteRegStr SHCTX "${CLASSES}\${PRODUCT}.${EXT}\DefaultIcon" "" "$INSTDIR\Corvane.exe,0"
  WriteRegStr SHCTX "${CLASSES}\${PRODUCT}.${EXT}\shell\open\command" "" '"$INSTDIR\Corvane.exe" "%1"'
  WriteRegStr SHCTX "${CLASSES}\.${EXT}\OpenWithProgids" "${PRODUCT}.${EXT}" ""
  ReadRegStr $0 HKCU "${CLASSES}\.${EXT}" ""
  ReadRegStr $1 HKLM "${CLASSES}\.${EXT}" ""
  ${If} $0 == ""
  ${OrIf} $0 == "${PRODUCT}.${EXT}"
    ${If} $1 == ""
    ${OrIf} $1 == "${PRODUCT}.${EXT}"
      WriteRegStr SHCTX "${CLASSES}\.${EXT}" "" "${PRODUCT}.${EXT}"
    ${EndIf}
  ${EndIf}
!macroend

; The association, as far as it is still this installation's.
!macro Dissociate EXT
  ReadRegStr $0 SHCTX "${CLASSES}\${PRODUCT}.${EXT}\shell\open\command" ""
  ${If} $0 == '"$INSTDIR\Corvane.exe" "%1"'
    DeleteRegKey SHCTX "${CLASSES}\${PRODUCT}.${EXT}"
    DeleteRegValue SHCTX "${CLASSES}\.${EXT}\OpenWithProgids" "${PRODUCT}.${EXT}"
    DeleteRegKey /ifempty SHCTX "${CLASSES}\.${EXT}\OpenWithProgids"
    ReadRegStr $0 SHCTX "${CLASSES}\.${EXT}" ""
    ${If} $0 == "${PRODUCT}.${EXT}"
      DeleteRegValue SHCTX "${CLASSES}\.${EXT}" ""
    ${EndIf}
    DeleteRegKey /ifempty SHCTX "${CLASSES}\.${EXT}"
  ${EndIf}
!macroend
!define CLASSES "Software\Classes"

; A verb on every file: the tool checks it against a digest the user has
; copied (from a download page), in a console that stays until a key.
!define VERB_KEY "${CLASSES}\*\shell\${PRODUCT}.CheckCopied"
!define VERB_COMMAND '"$INSTDIR\fsum.exe" -c -e "%1"'
; A download's signature: a verb on signature files that checks the file
; beside it they sign, added under SystemFileAssociations so that whichever
; program owns .sig, .asc or .minisig keeps it; and on every file, shown
; with Shift held only (an extended verb), one that checks its signature.
!define SIGNED_VERB "shell\${PRODUCT}.CheckSigned"
!define SIGNATURE_VERB_KEY "${CLASSES}\*\shell\${PRODUCT}.CheckSignature"
!define SIGNED_COMMAND '"$INSTDIR\fsum.exe" -c "%1"'

; And on key files (OpenPGP, minisign and SSH .pub), one that shows the
; key and asks before trusting it, in a console.
!define KEY_VERB "shell\${PRODUCT}.TrustKey"
!define KEY_COMMAND '"$INSTDIR\fsum.exe" -key add "%1"'
; And on lists, whichever program opens them: the list's folder audited
; against it (new, missing, moved and damaged files), in a console.
!define AUDIT_VERB "shell\${PRODUCT}.Audit"
!define AUDIT_COMMAND '"$INSTDIR\fsum.exe" -c -a "%1"'

; A verb on one extension, whichever program owns it.
!macro ExtensionVerb EXT VERB TEXT COMMAND
  WriteRegStr SHCTX "${CLASSES}\SystemFileAssociations\.${EXT}\${VERB}" "" "${TEXT}"
  WriteRegStr SHCTX "${CLASSES}\SystemFileAssociations\.${EXT}\${VERB}" "Icon" "$INSTDIR\Corvane.exe,0"
  WriteRegStr SHCTX "${CLASSES}\SystemFileAssociations\.${EXT}\${VERB}\command" "" '${COMMAND}'
!macroend
!macro SignedVerb EXT
  !insertmacro ExtensionVerb ${EXT} "${SIGNED_VERB}" "Check the file this signs" '${SIGNED_COMMAND}'
!macroend
!macro AuditVerb EXT
  !insertmacro ExtensionVerb ${EXT} "${AUDIT_VERB}" "Audit folder against this list" '${AUDIT_COMMAND}'
!macroend
!macro RemoveAuditVerb EXT
  !insertmacro RemoveExtensionVerb ${EXT} "${AUDIT_VERB}" '${AUDIT_COMMAND}'
!macroend
!macro KeyVerb EXT
  !insertmacro ExtensionVerb ${EXT} "${KEY_VERB}" "Trust this key with ${PRODUCT}" '${KEY_COMMAND}'
!macroend

; A verb as far as it is still this installation's, and the keys above it
; it leaves empty.
!macro RemoveVerb KEY COMMAND PARENT GRANDPARENT
  ReadRegStr $0 SHCTX "${KEY}\command" ""
  ${If} $0 == '${COMMAND}'
    DeleteRegKey SHCTX "${KEY}"
    DeleteRegKey /ifempty SHCTX "${PARENT}"
    DeleteRegKey /ifempty SHCTX "${GRANDPARENT}"
  ${EndIf}
!macroend
!macro RemoveExtensionVerb EXT VERB COMMAND
  !insertmacro RemoveVerb "${CLASSES}\SystemFileAssociations\.${EXT}\${VERB}" '${COMMAND}' \
    "${CLASSES}\SystemFileAssociations\.${EXT}\shell" "${CLASSES}\SystemFileAssociations\.${EXT}"
!macroend

; The program folder on PATH, so that fsum runs in any console: the user's
; own PATH for a per-user install, the system's for all users. A string
; here holds at most NSIS_MAX_STRLEN characters: a PATH that cannot be read
; whole, with room for the folder, is never written back.
!define USER_ENVIRONMENT "Environment"
!define SYSTEM_ENVIRONMENT "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"
!define /math PATH_ROOM ${NSIS_MAX_STRLEN} - 262
; $0: the PATH value; $1: "ok" when it was read whole or is not there.
!macro ReadPath ROOT KEY
  ClearErrors
  ReadRegStr $0 ${ROOT} "${KEY}" "Path"
  StrCpy $1 "ok"
  ${If} ${Errors}
    ; Not there, or too long to read: only the first may be written.
    StrCpy $2 0
    ${Do}
      ClearErrors
      EnumRegValue $3 ${ROOT} "${KEY}" $2
      ${If} ${Errors}
      ${OrIf} $3 == ""
        ${ExitDo}
      ${EndIf}
      ${IfThen} $3 == "Path" ${|} StrCpy $1 "unread" ${|}
      IntOp $2 $2 + 1
    ${Loop}
  ${EndIf}
  StrLen $2 $0
  ${IfThen} $2 > ${PATH_ROOM} ${|} StrCpy $1 "unread" ${|}
!macroend
!macro AddToPath ROOT KEY
  !insertmacro ReadPath ${ROOT} "${KEY}"
  ${WordReplace} ";$0;" ";$INSTDIR;" "" "+" $2
  ${If} $1 != "ok"
    DetailPrint "PATH is too long for this installer to change safely: add $INSTDIR to it to run fsum in any console."
  ${ElseIf} $2 == ";$0;"
    StrCpy $2 $0 1 -1
    ${If} $0 == ""
      StrCpy $0 "$INSTDIR"
    ${ElseIf} $2 == ";"
      StrCpy $0 "$0$INSTDIR"
    ${Else}
      StrCpy $0 "$0;$INSTDIR"
    ${EndIf}
    WriteRegExpandStr ${ROOT} "${KEY}" "Path" "$0"
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
  ${EndIf}
!macroend
; The folder out of PATH, every other entry kept as it was.
!macro RemoveFromPath ROOT KEY
  !insertmacro ReadPath ${ROOT} "${KEY}"
  ${un.WordReplace} ";$0;" ";$INSTDIR;" ";" "+" $2
  ${If} $1 == "ok"
  ${AndIf} $2 != ";$0;"
    StrCpy $2 $2 "" 1
    StrCpy $2 $2 -1
    ${If} $2 == ""
      DeleteRegValue ${ROOT} "${KEY}" "Path"
    ${Else}
      WriteRegExpandStr ${ROOT} "${KEY}" "Path" "$2"
    ${EndIf}
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
  ${EndIf}
!macroend

Name "${PRODUCT} ${VERSION}"
OutFile "${OUT}"
RequestExecutionLevel user
; Empty: .onInit picks the folder that fits the kind of install, unless /D= gave one.
InstallDir ""
ShowInstDetails show
ShowUninstDetails show

Icon "..\res\corvane.ico"
UninstallIcon "..\res\corvane.ico"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION_NUMBERS}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var AllUsers

Function .onInit
  ; The oldest Windows the programs run on: the tool's reusable hashes need
  ; Windows 8, and 8.1 is the oldest that Windows Update still served.
  ${IfNot} ${AtLeastWin8.1}
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} needs Windows 8.1 or later." /SD IDOK
    SetErrorLevel 1150  ; ERROR_OLD_WIN_VERSION
    Quit
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/AllUsers" $1
  ${IfNot} ${Errors}
    UserInfo::GetAccountType
    Pop $1
    ${If} $1 != "Admin"
      MessageBox MB_OK|MB_ICONSTOP "An install for all users needs an administrator." /SD IDOK
      SetErrorLevel 740
      Quit
    ${EndIf}
    StrCpy $AllUsers 1
    SetShellVarContext all
  ${Else}
    StrCpy $AllUsers 0
    SetShellVarContext current
  ${EndIf}
  !ifdef X64
    SetRegView 64
  !endif
  ${If} $INSTDIR == ""
    ${If} $AllUsers == 1
      !ifdef X64
        StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
      !else
        StrCpy $INSTDIR "$PROGRAMFILES\${PRODUCT}"
      !endif
    ${Else}
      ; The program writes its check scripts beside itself: a folder of the
      ; user's own.
      StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${PRODUCT}"
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "Install"
  ClearErrors
  CreateDirectory "$INSTDIR"
  ${If} ${Errors}
  ${OrIfNot} ${FileExists} "$INSTDIR\*.*"
    MessageBox MB_OK|MB_ICONSTOP "The folder $INSTDIR cannot be created." /SD IDOK
    DetailPrint "The folder $INSTDIR cannot be created."
    SetErrorLevel 2
    Quit
  ${EndIf}
  SetOutPath "$INSTDIR"
  ClearErrors
  File "${BIN}\Corvane.exe"
  File "${BIN}\fsum.exe"
  File "${BIN}\gpgv.exe"
  File "${BIN}\THIRD-PARTY-NOTICES.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "The program could not be written to $INSTDIR." /SD IDOK
    Delete "$INSTDIR\Corvane.exe"
    Delete "$INSTDIR\fsum.exe"
    Delete "$INSTDIR\gpgv.exe"
    Delete "$INSTDIR\THIRD-PARTY-NOTICES.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    SetErrorLevel 2
    Quit
  ${EndIf}

  ; One entry in the list of installed programs, whatever was there before.
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Corvane.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" "$0"

  !insertmacro Associate sfv "SFV checksum list"
  !insertmacro Associate md5 "MD5 checksum list"
  !insertmacro Associate sha1 "SHA-1 checksum list"
  !insertmacro Associate sha256 "SHA-256 checksum list"
  !insertmacro Associate sha512 "SHA-512 checksum list"
  WriteRegStr SHCTX "${VERB_KEY}" "" "Check against copied checksum"
  WriteRegStr SHCTX "${VERB_KEY}" "Icon" "$INSTDIR\Corvane.exe,0"
  WriteRegStr SHCTX "${VERB_KEY}\command" "" '${VERB_COMMAND}'
  !insertmacro SignedVerb sig
  !insertmacro SignedVerb asc
  !insertmacro SignedVerb minisig
  !insertmacro KeyVerb asc
  !insertmacro AuditVerb sfv
  !insertmacro AuditVerb md5
  !insertmacro AuditVerb sha1
  !insertmacro AuditVerb sha256
  !insertmacro AuditVerb sha512
  !insertmacro KeyVerb gpg
  !insertmacro KeyVerb pub
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Show trusted keys.lnk" "$INSTDIR\fsum.exe" "-key list" "$INSTDIR\Corvane.exe" 0
  ${If} $AllUsers == 1
    !insertmacro AddToPath HKLM "${SYSTEM_ENVIRONMENT}"
  ${Else}
    !insertmacro AddToPath HKCU "${USER_ENVIRONMENT}"
  ${EndIf}
  WriteRegStr SHCTX "${SIGNATURE_VERB_KEY}" "" "Check signature"
  WriteRegStr SHCTX "${SIGNATURE_VERB_KEY}" "Extended" ""
  WriteRegStr SHCTX "${SIGNATURE_VERB_KEY}" "Icon" "$INSTDIR\Corvane.exe,0"
  WriteRegStr SHCTX "${SIGNATURE_VERB_KEY}\command" "" '${SIGNED_COMMAND}'
  ; Lists whose name says nothing (SHA256SUMS, CHECKSUMS.txt) go by Send To.
  ; Windows has no Send To folder for all users: an entry in the installing
  ; administrator's own would outlive another administrator's uninstall.
  ${If} $AllUsers == 0
    CreateShortcut "${SENDTO_LINK}" "$INSTDIR\Corvane.exe" "" "$INSTDIR\Corvane.exe" 0
  ${EndIf}
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'  ; SHCNE_ASSOCCHANGED
SectionEnd

Function un.onInit
  !ifdef X64
    SetRegView 64
  !endif
  ; Whose install this is: the all-users one names this folder in HKLM.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    ; Without an administrator's rights nothing in Program Files or HKLM
    ; could go, yet the uninstaller would say it had finished.
    UserInfo::GetAccountType
    Pop $1
    ${If} $1 != "Admin"
      MessageBox MB_OK|MB_ICONSTOP "Removing ${PRODUCT} for all users needs an administrator: run $INSTDIR\uninstall.exe as administrator." /SD IDOK
      SetErrorLevel 740
      Quit
    ${EndIf}
    StrCpy $AllUsers 1
    SetShellVarContext all
  ${Else}
    StrCpy $AllUsers 0
    SetShellVarContext current
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Delete "$INSTDIR\Corvane.exe"
  Delete "$INSTDIR\fsum.exe"
  Delete "$INSTDIR\gpgv.exe"
  Delete "$INSTDIR\THIRD-PARTY-NOTICES.txt"
  Delete "$INSTDIR\~temp*.bat"  ; check scripts of consoles that have ended
  ; The keys the user trusts (%APPDATA%\Corvane\keys) are the user's own: they stay.
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"  ; only when nothing else is left in it

  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  !insertmacro Dissociate sfv
  !insertmacro Dissociate md5
  !insertmacro Dissociate sha1
  !insertmacro Dissociate sha256
  !insertmacro Dissociate sha512
  ; The verb as far as it is still this installation's; other programs'
  ; verbs on every file stay.
  !insertmacro RemoveVerb "${VERB_KEY}" '${VERB_COMMAND}' "${CLASSES}\*\shell" "${CLASSES}\*"
  !insertmacro RemoveVerb "${SIGNATURE_VERB_KEY}" '${SIGNED_COMMAND}' "${CLASSES}\*\shell" "${CLASSES}\*"
  !insertmacro RemoveExtensionVerb sig "${SIGNED_VERB}" '${SIGNED_COMMAND}'
  !insertmacro RemoveExtensionVerb asc "${SIGNED_VERB}" '${SIGNED_COMMAND}'
  !insertmacro RemoveExtensionVerb minisig "${SIGNED_VERB}" '${SIGNED_COMMAND}'
  !insertmacro RemoveExtensionVerb asc "${KEY_VERB}" '${KEY_COMMAND}'
  !insertmacro RemoveAuditVerb sfv
  !insertmacro RemoveAuditVerb md5
  !insertmacro RemoveAuditVerb sha1
  !insertmacro RemoveAuditVerb sha256
  !insertmacro RemoveAuditVerb sha512
  !insertmacro RemoveExtensionVerb gpg "${KEY_VERB}" '${KEY_COMMAND}'
  !insertmacro RemoveExtensionVerb pub "${KEY_VERB}" '${KEY_COMMAND}'
  Delete "$SMPROGRAMS\${PRODUCT}\Show trusted keys.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  ${If} $AllUsers == 1
    !insertmacro RemoveFromPath HKLM "${SYSTEM_ENVIRONMENT}"
  ${Else}
    !insertmacro RemoveFromPath HKCU "${USER_ENVIRONMENT}"
  ${EndIf}
  Delete "${SENDTO_LINK}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
