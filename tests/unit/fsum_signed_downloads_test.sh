#!/usr/bin/env bash
# Downloads signed on their own, with no list: file.iso beside file.iso.sig,
# .asc or .minisig, each signature made here by the real tool. Every form is
# checked as made, with one byte of the file changed, and by a key not
# trusted, and its verdict agrees with the tool that made it.
# shellcheck disable=SC2086 # $keys holds several options
# shellcheck source=signing_common.sh
source "$(dirname "$0")/signing_common.sh"

gpg --batch --passphrase '' --quick-gen-key 'Alice <alice@example.org>' ed25519 sign 0 >/dev/null 2>&1
gpg --batch --passphrase '' --quick-gen-key 'Rob <rob@example.org>' ed25519 sign 0 >/dev/null 2>&1
gpg --batch --armor --export alice >alice.asc
minisign -G -W -p mini.pub -s mini.key >/dev/null 2>&1
signify-openbsd -G -n -p openbsd.pub -s openbsd.sec >/dev/null
ssh-keygen -q -t ed25519 -N '' -C builder@example.org -f ssh_key
keys="-kalice.asc -kmini.pub -kopenbsd.pub -kssh_key.pub"

# A program of a few MiB, whose bytes hold NULs and lines of no list.
head -c $((3 * 1024 * 1024 + 5)) /dev/urandom >program
sign() {  # form, file
  case $1 in
    gpg) gpg --batch -u alice -b -o "$2.sig" "$2" ;;
    armoured) gpg --batch -u alice -a -b -o "$2.asc" "$2" ;;
    two) gpg --batch -u rob -a -b -o rob.part "$2" && gpg --batch -u alice -a -b -o alice.part "$2" &&
      cat rob.part alice.part >"$2.asc" ;;
    minisign) minisign -S -s "$work/mini.key" -m "$2" </dev/null >/dev/null ;;
    legacy) minisign -S -l -s "$work/mini.key" -m "$2" </dev/null >/dev/null ;;
    signify) signify-openbsd -S -s "$work/openbsd.sec" -m "$2" -x "$2.sig" ;;
    ssh) ssh-keygen -Y sign -n file -f "$work/ssh_key" "$2" ;;
  esac 2>/dev/null
}
verified() {  # form, file: the maker's own verifier's status
  case $1 in
    gpg | armoured | two) gpg --batch --verify "$2".[sa]* "$2" ;;
    minisign | legacy) minisign -V -p "$work/mini.pub" -m "$2" ;;
    signify) signify-openbsd -V -p "$work/openbsd.pub" -m "$2" -x "$2.sig" ;;
    ssh) echo "builder@example.org $(cut -d' ' -f1,2 "$work/ssh_key.pub")" >allowed &&
      ssh-keygen -Y verify -f allowed -I builder@example.org -n file -s "$2.sig" <"$2" ;;
  esac >/dev/null 2>&1
  echo $?
}
for form in gpg armoured two minisign legacy signify ssh; do
  mkdir -p "$form" && cp program "$form/setup.exe" && (cd "$form" && sign $form setup.exe)
  cp -r "$form" "$form-changed" && damage "$form-changed/setup.exe" 1000
  "$fsum" -c $keys "$form/setup.exe" >out 2>&1
  check "$form: the signed file is OK" sh -c "[ $? -eq 0 ] && grep -qE '^OK +setup.exe  \(signed by ' out"
  check "$form: ${form%% *}'s verifier agrees" test "$(cd "$form" && verified $form setup.exe)" -eq 0
  "$fsum" -c $keys "$form-changed/setup.exe" >out 2>&1
  check "$form: a changed byte FAILS" sh -c "[ $? -eq 1 ] && grep -qE '^FAILED +setup.exe  \(its signature by .* does not match' out"
  check "$form: its verifier refuses it too" test "$(cd "$form-changed" && verified $form setup.exe)" -ne 0
  "$fsum" -c "$form/setup.exe" >out 2>&1
  check "$form: by a key not trusted, NOT CHECKED" sh -c "[ $? -eq 2 ] && grep -qE '^NOT CHECKED +setup.exe  \(its signature is by a key that is not trusted' out"
done
grep -q 'Signature: by OpenPGP key' <("$fsum" -c -kalice.asc two/setup.exe 2>&1)
check "two signatures in one .asc: each has its line" test $? -eq 0

# Naming the signature checks the file it signs; a list's signature beside
# a list still checks the list.
"$fsum" -c $keys gpg/setup.exe.sig >out 2>&1
check "naming the signature checks the file it names" sh -c "[ $? -eq 0 ] && grep -qE '^OK +setup.exe' out"
cp program other.bin && damage other.bin 1000 && cp gpg/setup.exe.sig other.bin.sig
"$fsum" -c $keys other.bin >out 2>&1
check "another file's signature is BAD over this one" sh -c "[ $? -eq 1 ] && grep -q '^FAILED' out"
sha256sum other.bin >SHA256SUMS && gpg --batch -u alice -b -o SHA256SUMS.sig SHA256SUMS 2>/dev/null
for named in SHA256SUMS SHA256SUMS.sig; do
  "$fsum" -c $keys $named >out 2>&1
  check "$named: a list's signature checks the list" sh -c "[ $? -eq 0 ] && grep -qE '^OK +other.bin$' out"
done
cp program plain.bin
"$fsum" -c plain.bin >out 2>&1
check "a file with no signature beside it is read as a list, as before" grep -q 'holds no checksum lines' out

# -s: a signature not judged proves nothing, whatever the checksum file says.
(cd gpg && sha256sum setup.exe >setup.exe.sha256)
"$fsum" -c gpg/setup.exe >out 2>&1
check "a checksum file beside it: its verdict stands" sh -c "[ $? -eq 0 ] && grep -qE '^OK +setup.exe  \(its SHA-256 matches \"setup.exe.sha256\"\)' out"
check "and the signature's own line still says NOT CHECKED" grep -qE '^NOT CHECKED +setup.exe' out
"$fsum" -c -s gpg/setup.exe >out 2>&1
check "-s: a signature by a key not trusted refuses" sh -c "[ $? -eq 2 ] && grep -q '\-s asks for one' out"
"$fsum" -c -s $keys gpg/setup.exe >out 2>&1
check "-s: a trusted key's good signature passes" test $? -eq 0
echo "$(printf 'other bytes' | sha256sum | cut -c1-64)  setup.exe" >gpg-changed/setup.exe.DIGEST
"$fsum" -c gpg-changed/setup.exe >out 2>&1
check "a .DIGEST that does not match FAILS" sh -c "[ $? -eq 1 ] && grep -qE '^FAILED +setup.exe  \(its digest does not match \"setup.exe.DIGEST\"\)' out"

# Over 4 GiB (sparse, so it costs no disk): gpgv reads it, minisign's
# prehashed signature is over the tool's own BLAKE2b of it.
truncate -s $((4 * 1024 * 1024 * 1024 + 3)) big.iso && printf tail >>big.iso
gpg --batch -u alice -b big.iso 2>/dev/null && minisign -S -s mini.key -m big.iso </dev/null >/dev/null 2>&1
timeout 600 "$fsum" -c -kalice.asc -kmini.pub big.iso >out 2>&1
check "a 4 GiB file: both signatures good" sh -c "[ $? -eq 0 ] && [ \$(grep -c 'Signature: good' out) -eq 2 ]"

summary_line ""
[[ $failed -eq 0 ]]
