#!/usr/bin/env bash
# The installer of one build under Wine, in a prefix made fresh for it: a
# silent install for the current user (files and every registry value), the
# same again over it, a foreign association left alone, an install for all
# users that the shell then uses to open a list, the uninstalls, and a folder
# that cannot be made. Wine 8 does not merge HKCU\Software\Classes into
# HKEY_CLASSES_ROOT, so the per-user association is checked by its values.
#   tests/wine/installer.sh 32|64   (after scripts/package.sh)
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bits=${1:?usage: installer.sh 32|64}
export CORVANE_WINEPREFIX="$root/build/wineprefix-installer$bits"
rm -rf "$CORVANE_WINEPREFIX"
source "$root/tests/wine/wine_env.sh"
wine_use "$bits"
source "$root/tests/summary.sh"

version=$(bash "$root/scripts/version.sh" SHORT)
setup="$root/build/packages/Corvane-$version$([[ $bits == 64 ]] && echo -x64)-setup.exe"
user=$(whoami)
per_user='C:\users\'"$user"'\AppData\Local\Programs\Corvane'
uninstall='Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvane'
classes='Software\Classes'

# The data of a registry value ("" names the key's default value), or nothing.
reg_value() {
  local name=("/v" "$2")
  [[ -z "$2" ]] && name=("/ve")
  "$WINE" reg query "$1" "${name[@]}" 2>/dev/null </dev/null | tr -d '\r' |
    sed -n 's/^    .*    REG_[A-Z_]*    \(.*\)$/\1/p'
}
is() { [[ "$1" == "$2" ]] || { echo "  got [$1], want [$2]"; false; }; }
has_key() { "$WINE" reg query "$1" >/dev/null 2>&1 </dev/null; }
lacks_key() { ! has_key "$1"; }
lists_corvane() { "$WINE" reg query "HKCU\\$classes\\.sfv\\OpenWithProgids" </dev/null 2>/dev/null | grep -q Corvane.sfv; }
lists_no_corvane() { ! lists_corvane; }
unix_path() { echo "$WINE_C/${1#C:\\}" | tr '\\' '/'; }
run() { "$WINE" "$@" </dev/null >/dev/null 2>&1; }
# The uninstaller copies itself away (~nsu*.tmp\Un.exe in the temporary
# folder), starts the copy and returns at once; the copy ending says it has
# finished.
uninstaller_ended() { ! pgrep -f 'nsu[^ ]*\.tmp.Un\.exe' >/dev/null; }
uninstall_from() {
  run "$1\\uninstall.exe" /S
  wait_until 600 uninstaller_ended || echo "  the uninstaller still runs after 600 s"
}

echo "== installer ($bits-bit): below Windows 8.1"
wine_windows_version win7
run "$setup" /S
check "on Windows 7 the setup refuses" test $? -ne 0
check "and installs nothing" test ! -e "$(unix_path "$per_user")"
wine_windows_version win10

echo "== installer ($bits-bit): for the current user"
# The user's own PATH holds other folders, which the install and the
# uninstall keep as they are.
run reg add 'HKCU\Environment' /v Path /t REG_EXPAND_SZ /d 'C:\tools;%USERPROFILE%\bin' /f
run "$setup" /S
check "the silent install succeeds" test $? -eq 0
for file in Corvane.exe fsum.exe gpgv.exe uninstall.exe; do
  check "$file is in the user's Programs folder" test -f "$(unix_path "$per_user")/$file"
done
key="HKCU\\$uninstall"
check "DisplayName" is "$(reg_value "$key" DisplayName)" Corvane
check "DisplayVersion" is "$(reg_value "$key" DisplayVersion)" "$version"
check "Publisher" is "$(reg_value "$key" Publisher)" Brannock
check "DisplayIcon" is "$(reg_value "$key" DisplayIcon)" "$per_user\\Corvane.exe,0"
check "UninstallString" is "$(reg_value "$key" UninstallString)" "\"$per_user\\uninstall.exe\""
check "QuietUninstallString" is "$(reg_value "$key" QuietUninstallString)" "\"$per_user\\uninstall.exe\" /S"
check "NoModify" is "$(reg_value "$key" NoModify)" 0x1
check "NoRepair" is "$(reg_value "$key" NoRepair)" 0x1
check "EstimatedSize in KB" test "$(($(reg_value "$key" EstimatedSize)))" -gt 100
check "the program folder is added to the user's PATH, the other entries kept" \
  is "$(reg_value 'HKCU\Environment' Path)" "C:\\tools;%USERPROFILE%\\bin;$per_user"
check "key files have a verb that shows the key and asks before trusting it" is "$(reg_value \
  "HKCU\\$classes\\SystemFileAssociations\\.asc\\shell\\Corvane.TrustKey\\command" "")" "\"$per_user\\fsum.exe\" -key add \"%1\""
check "lists have a verb that audits their folder" is "$(reg_value \
  "HKCU\\$classes\\SystemFileAssociations\\.sfv\\shell\\Corvane.Audit\\command" "")" "\"$per_user\\fsum.exe\" -c -a \"%1\""
start_menu="$(unix_path "C:\\users\\$user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs")/Corvane"
check "the Start menu shows the trusted keys with fsum.exe" grep -qaF "$per_user\\fsum.exe" "$start_menu/Show trusted keys.lnk"
check "the open verb hands over the quoted path" \
  is "$(reg_value "HKCU\\$classes\\Corvane.sfv\\shell\\open\\command" "")" "\"$per_user\\Corvane.exe\" \"%1\""
check "the ProgID has the program's icon" \
  is "$(reg_value "HKCU\\$classes\\Corvane.sfv\\DefaultIcon" "")" "$per_user\\Corvane.exe,0"
check "the ProgID is listed among those that open .sfv files" lists_corvane
check "with no other program, Corvane is the default" is "$(reg_value "HKCU\\$classes\\.sfv" "")" Corvane.sfv
for ext in md5 sha1 sha256 sha512; do
  check ".$ext files open in Corvane" \
    is "$(reg_value "HKCU\\$classes\\Corvane.$ext\\shell\\open\\command" "")" "\"$per_user\\Corvane.exe\" \"%1\""
  check ".$ext: with no other program, Corvane is the default" is "$(reg_value "HKCU\\$classes\\.$ext" "")" "Corvane.$ext"
done
verb="HKCU\\$classes\\*\\shell\\Corvane.CheckCopied"
check "every file has the verb that checks it against a copied digest" \
  is "$(reg_value "$verb" "")" "Check against copied checksum"
check "the verb runs the tool on the file" is "$(reg_value "$verb\\command" "")" "\"$per_user\\fsum.exe\" -c -e \"%1\""
signature_verb="HKCU\\$classes\\*\\shell\\Corvane.CheckSignature"
check "every file has a verb that checks its signature" \
  is "$(reg_value "$signature_verb\\command" "")" "\"$per_user\\fsum.exe\" -c \"%1\""
check "shown with Shift held only" run reg query "$signature_verb" /v Extended
for ext in sig asc minisig; do
  check ".$ext files have a verb that checks the file they sign" is "$(reg_value \
    "HKCU\\$classes\\SystemFileAssociations\\.$ext\\shell\\Corvane.CheckSigned\\command" "")" \
    "\"$per_user\\fsum.exe\" -c \"%1\""
  check ".$ext stays unowned" test -z "$(reg_value "HKCU\\$classes\\.$ext" "")"
done
sendto="$(unix_path "C:\\users\\$user\\AppData\\Roaming\\Microsoft\\Windows\\SendTo")/Corvane.lnk"
check "the Send To entry starts the installed Corvane" grep -qaF "$per_user\\Corvane.exe" "$sendto"

run "$setup" /S
check "installing again succeeds" test $? -eq 0
entries=$("$WINE" reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall' </dev/null 2>/dev/null |
  tr -d '\r' | grep -c 'Uninstall\\Corvane$')
check "one entry in the list of installed programs" test "$entries" -eq 1

printf '@echo off\r\n' >"$(unix_path "$per_user")/~temp2.bat"
# The keys the user trusts are the user's own data: an uninstall leaves them.
keys="$(unix_path 'C:\users\'"$user"'\AppData\Roaming\Corvane\keys')"
mkdir -p "$keys" && echo 'a key' >"$keys/publisher.asc"
uninstall_from "$per_user"
check "the uninstall removes the folder, check scripts, gpgv.exe and all" test ! -e "$(unix_path "$per_user")"
check "the uninstall leaves the user's trusted keys" test -f "$keys/publisher.asc"
rm -rf "$(dirname "$keys")"
check "the uninstall entry is gone" lacks_key "HKCU\\$uninstall"
check "the ProgID is gone" test -z "$(reg_value "HKCU\\$classes\\Corvane.sfv\\shell\\open\\command" "")"
check "the default is gone" test -z "$(reg_value "HKCU\\$classes\\.sfv" "")"
for ext in md5 sha1 sha256 sha512; do
  check ".$ext: the ProgID and the default are gone" \
    test -z "$(reg_value "HKCU\\$classes\\Corvane.$ext\\shell\\open\\command" "")$(reg_value "HKCU\\$classes\\.$ext" "")"
done
check "the Send To entry is gone" test ! -e "$sendto"
check "the verb is gone" lacks_key "$verb"
check "the verb that checks a signature is gone" lacks_key "$signature_verb"
check "the audit verb is gone" lacks_key "HKCU\\$classes\\SystemFileAssociations\\.sfv\\shell\\Corvane.Audit"
check "the key verb is gone" lacks_key "HKCU\\$classes\\SystemFileAssociations\\.asc\\shell\\Corvane.TrustKey"
check "the program folder is out of PATH, the other entries as they were" \
  is "$(reg_value 'HKCU\Environment' Path)" 'C:\tools;%USERPROFILE%\bin'
check "the Start menu folder is gone" test ! -e "$start_menu"
run reg delete 'HKCU\Environment' /v Path /f
check "and the one on .sig files" lacks_key "HKCU\\$classes\\SystemFileAssociations\\.sig\\shell\\Corvane.CheckSigned"

echo "== installer ($bits-bit): another program owns .sfv"
run reg add "HKCU\\$classes\\.sfv" /ve /d Other.sfv /f
run reg add "HKCU\\$classes\\Other.sfv\\shell\\open\\command" /ve /d 'other.exe "%1"' /f
run reg add "HKCU\\$classes\\.sha256" /ve /d Other.sha256 /f
run reg add "HKCU\\$classes\\*\\shell\\Other\\command" /ve /d 'other.exe "%1"' /f
run "$setup" /S
check "the other program stays the default" is "$(reg_value "HKCU\\$classes\\.sfv" "")" Other.sfv
check "and of .sha256 files" is "$(reg_value "HKCU\\$classes\\.sha256" "")" Other.sha256
check "Corvane is among the programs that open .sfv files" lists_corvane
uninstall_from "$per_user"
check "after the uninstall the other program is still the default" \
  is "$(reg_value "HKCU\\$classes\\.sfv" "")" Other.sfv
check "and its ProgID is untouched" \
  is "$(reg_value "HKCU\\$classes\\Other.sfv\\shell\\open\\command" "")" 'other.exe "%1"'
check "Corvane is no longer listed" lists_no_corvane
check "the other program is still the default of .sha256 files" \
  is "$(reg_value "HKCU\\$classes\\.sha256" "")" Other.sha256
check "another program's verb on every file stays" \
  is "$(reg_value "HKCU\\$classes\\*\\shell\\Other\\command" "")" 'other.exe "%1"'
check "beside it, Corvane's verb is gone" lacks_key "HKCU\\$classes\\*\\shell\\Corvane.CheckCopied"
run reg delete "HKCU\\$classes\\*" /f
run reg delete "HKCU\\$classes\\.sha256" /f
run reg delete "HKCU\\$classes\\.sfv" /f
run reg delete "HKCU\\$classes\\Other.sfv" /f

echo "== installer ($bits-bit): for all users, opened by the shell"
system_environment='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment'
system_path=$(reg_value "$system_environment" Path)
run "$setup" /S /AllUsers
check "the all-users install succeeds" test $? -eq 0
all_users=$(reg_value "HKLM\\$uninstall" InstallLocation)
in_program_files() { [[ "$all_users" == 'C:\Program Files'*'\Corvane' ]]; }
check "it goes to Program Files" in_program_files
check "its association is under HKLM" \
  is "$(reg_value "HKLM\\$classes\\Corvane.sfv\\shell\\open\\command" "")" "\"$all_users\\Corvane.exe\" \"%1\""
check "an install for all users makes no Send To entry" test ! -e "$sendto"
check "and its verb on every file" \
  is "$(reg_value "HKLM\\$classes\\*\\shell\\Corvane.CheckCopied\\command" "")" "\"$all_users\\fsum.exe\" -c -e \"%1\""
sample_driver "the driver" "$bits" shellopen 'C:\Sample lists\demo.sfv' 'FAILED      damaged.txt'
check "the system's PATH gains the program folder" \
  is "$(reg_value "$system_environment" Path)" "$system_path;$all_users"
uninstall_from "$all_users"
check "and the uninstall gives the system's PATH back as it was" \
  is "$(reg_value "$system_environment" Path)" "$system_path"
check "the all-users uninstall removes the folder" test ! -e "$(unix_path "$all_users")"
check "and its keys" test -z "$(reg_value "HKLM\\$uninstall" InstallLocation)"
check "and its association and verb" test -z "$(reg_value "HKLM\\$classes\\Corvane.sfv\\shell\\open\\command" "")$(
  reg_value "HKLM\\$classes\\*\\shell\\Corvane.CheckCopied\\command" "")"

echo "== installer ($bits-bit): a folder that cannot be made"
run "$setup" /S '/D=Z:\proc\corvane'
check "the install reports failure" test $? -ne 0
check "and leaves no entry behind" test -z "$(reg_value "HKCU\\$uninstall" DisplayName)"
check "and no association" test -z "$(reg_value "HKCU\\$classes\\Corvane.sfv\\shell\\open\\command" "")"

summary_line "installer ($bits-bit): "
[[ $failed -eq 0 ]]
