#!/usr/bin/env bash
# Signed lists end to end, with keys and signatures made here by the real
# tools: gpg (detached binary and armoured, clearsigned, several in one file,
# SHA-1, RSA 1024, expired and revoked keys), minisign, signify and
# ssh-keygen -Y sign. Each list names a file that is missing from a second
# folder, so a report without MISSING shows that no file was read.
source "$(dirname "$0")/signing_common.sh"

gen() {  # user id, algorithm, expiry, then more gpg options
  gpg --batch --passphrase '' "${@:4}" --quick-gen-key "$1" "$2" sign "$3" >/dev/null 2>&1
}
gen 'Alice <alice@example.org>' ed25519 0
gen 'Rob <rob@example.org>' rsa2048 0
gen 'Small <small@example.org>' rsa1024 0
gen 'Gone <gone@example.org>' ed25519 0
# Brief's key lived ten seconds an hour ago; its signature was made in them.
brief_born=$(($(date +%s) - 3600))
gen 'Brief <brief@example.org>' ed25519 seconds=10 --faked-system-time "$brief_born!"
gen $'Mallory \u202Eevil <mallory@example.org>' ed25519 0  # a right-to-left override
gen 'Old <old@example.org>' ed25519 0 --cert-digest-algo SHA1
gpg --batch --armor --export alice >alice.asc
gpg --batch --export rob >rob.gpg
gpg --batch --armor --export small brief >others.asc
alice_fpr=$(gpg --with-colons --list-keys alice 2>/dev/null | awk -F: '/^fpr/ { print $10; exit }')
grouped=$(sed -E 's/(....)/\1 /g; s/ $//; s/^((.... ){4}....) /\1  /' <<<"$alice_fpr")

echo hello >a.txt
sha256sum a.txt >SHA256SUMS
mkdir -p elsewhere
signed() {  # file signed, then the gpg options
  local file=$1
  shift
  gpg --batch --yes "$@" "$file" 2>/dev/null
}
signed SHA256SUMS -u alice -b -o SHA256SUMS.sign                          # Debian
cp SHA256SUMS ubuntu.sums && signed ubuntu.sums -u alice -a -b -o ubuntu.sums.gpg  # Ubuntu: armoured .gpg
signed SHA256SUMS -u alice --clearsign -o fedora-CHECKSUM                 # Fedora
cp SHA256SUMS bitcoin.sums
signed bitcoin.sums -u rob -a -b -o rob.asc
signed bitcoin.sums -u alice -a -b -o alice-sig.asc
cat rob.asc alice-sig.asc >bitcoin.sums.asc                                # Bitcoin Core: many
cp SHA256SUMS sha1.sums && signed sha1.sums -u alice --digest-algo SHA1 -b -o sha1.sums.sig
cp SHA256SUMS small.sums && signed small.sums -u small -b -o small.sums.sig
cp SHA256SUMS brief.sums
signed brief.sums -u brief --faked-system-time "$((brief_born + 5))!" -b -o brief.sums.sig
cp SHA256SUMS gone.sums && signed gone.sums -u gone -b -o gone.sums.sig
cp SHA256SUMS bidi.sums && signed bidi.sums -u mallory -b -o bidi.sums.sig
cp SHA256SUMS old.sums && signed old.sums -u old -b -o old.sums.sig
gpg --batch --armor --export old >old.asc
gpg --batch --armor --export mallory >mallory.asc
cp SHA256SUMS message.sums && signed message.sums -u alice -s -o message.sums.gpg  # a whole message
gone_fpr=$(gpg --with-colons --list-keys gone 2>/dev/null | awk -F: '/^fpr/ { print $10; exit }')
sed 's/^:-----BEGIN/-----BEGIN/' "$GNUPGHOME/openpgp-revocs.d/$gone_fpr.rev" >gone.rev
gpg --batch --import gone.rev >/dev/null 2>&1
gpg --batch --armor --export gone >gone.asc
# A subkey that signs, as many publishers' keys have.
gpg --batch --passphrase '' --quick-add-key "$alice_fpr" ed25519 sign >/dev/null 2>&1
subkey=$(gpg --with-colons --list-keys alice 2>/dev/null | awk -F: '/^fpr/ && ++n == 2 { print $10 }')
cp SHA256SUMS subkey.sums && signed subkey.sums -u "$subkey!" -b -o subkey.sums.sig
gpg --batch --armor --export alice >alice.asc

minisign -G -W -p mini.pub -s mini.key >/dev/null 2>&1
cp SHA256SUMS zig.sums
minisign -S -s mini.key -m zig.sums -t "timestamp:1 file:zig.sums" </dev/null >/dev/null 2>&1
cp SHA256SUMS other.sums
minisign -S -s mini.key -m other.sums -t "timestamp:1 file:zig-linux.tar.xz" </dev/null >/dev/null 2>&1
cp SHA256SUMS escape.sums  # a comment that would clear the screen
minisign -S -s mini.key -m escape.sums -t $'timestamp:1 \e[2J file:escape.sums' </dev/null >/dev/null 2>&1
signify-openbsd -G -n -p openbsd.pub -s openbsd.sec -c "openbsd 7.6 base" >/dev/null
sha256sum --tag a.txt >SHA256
signify-openbsd -S -e -s openbsd.sec -m SHA256 -x SHA256.sig                 # OpenBSD
ssh-keygen -q -t ed25519 -N '' -C builder@example.org -f ssh_key
cp SHA256SUMS ssh.sums && ssh-keygen -Y sign -n file -f ssh_key ssh.sums 2>/dev/null
echo "release@example.org $(cut -d' ' -f1,2 ssh_key.pub)" >allowed_signers
# Signatures made for something else, or by keys allowed_signers restricts:
# each row's status follows what the reference verifier says of the same bytes.
cp SHA256SUMS git.sums && ssh-keygen -Y sign -n git -f ssh_key git.sums 2>/dev/null
for row in 'git|namespaces="git"' 'old|valid-before="20200101"' 'ca|cert-authority'; do
  echo "release@example.org ${row#*|} $(cut -d' ' -f1,2 ssh_key.pub)" >"allowed_${row%%|*}"
done
ssh_verdict() {  # allowed_signers, list: ssh-keygen -Y verify -n file's status
  ssh-keygen -Y verify -f "$1" -I release@example.org -n file -s "$2.sig" <"$2" >/dev/null 2>&1
  echo $?
}
for row in "allowed_signers git.sums" "allowed_git ssh.sums" "allowed_old ssh.sums" "allowed_ca ssh.sums"; do
  # shellcheck disable=SC2086 # two words
  check "ssh-keygen refuses $row" test "$(ssh_verdict $row)" -ne 0
done
check "ssh-keygen takes allowed_signers ssh.sums" test "$(ssh_verdict allowed_signers ssh.sums)" -eq 0
# A minisign signature with its trusted comment stripped.
cp SHA256SUMS bare.sums && head -n 2 zig.sums.minisig >bare.sums.minisig
minisign -V -p mini.pub -m bare.sums >/dev/null 2>&1
check "minisign refuses a signature without its trusted comment" test $? -ne 0

# Each list also beside a missing file: copies in elsewhere/ point nowhere.
for f in SHA256SUMS SHA256SUMS.sign ubuntu.sums ubuntu.sums.gpg fedora-CHECKSUM zig.sums zig.sums.minisig \
  SHA256.sig ssh.sums ssh.sums.sig; do
  cp "$f" "elsewhere/$f"
done
for f in elsewhere/SHA256SUMS elsewhere/ubuntu.sums elsewhere/zig.sums elsewhere/ssh.sums; do
  echo "0000000000000000000000000000000000000000000000000000000000000000  added.iso" >>"$f"
done
sed -i 's/  a.txt$/  b.txt/' elsewhere/fedora-CHECKSUM  # a name changed in the signed text
sed -i 's/^SHA256 (a.txt)/SHA256 (b.txt)/' elsewhere/SHA256.sig
{ cat fedora-CHECKSUM; echo "0000000000000000000000000000000000000000000000000000000000000000  evil"; } >appended
{ echo "0000000000000000000000000000000000000000000000000000000000000000  evil"; cat fedora-CHECKSUM; } >prepended
sed 's/^Hash: SHA256/Hash: SHA512/' fedora-CHECKSUM >hash-header
{ printf ' '; cat elsewhere/fedora-CHECKSUM; } >spaced  # changed, its armour hidden behind a blank
sed 's/^Hash: SHA256$/Hash: SHA256 /' fedora-CHECKSUM >hash-blank  # gpgv takes the blank
# Node.js: the list, and a clearsigned copy of it beside it; the copy may
# differ from the list. A detached signature over a clearsigned list's bytes.
cp SHA256SUMS node.sums && cp fedora-CHECKSUM node.sums.asc
cp elsewhere/SHA256SUMS node-changed.sums && cp fedora-CHECKSUM node-changed.sums.asc
cp fedora-CHECKSUM fedora-detached && signed fedora-detached -u alice -a -b -o fedora-detached.asc
cp SHA256SUMS cut.sums && head -c 40 SHA256SUMS.sign >cut.sums.sig
cp SHA256SUMS many.sums && for _ in $(seq 12); do cat SHA256SUMS.sign; done >many.sums.sig
cp alice.asc elsewhere/  # a key beside a list is never trusted

keys="-kalice.asc -kmini.pub -kopenbsd.pub -kssh_key.pub"
cases=(
  # arguments after -c | status | a line the report holds (! : one it must not)
  "$keys SHA256SUMS|0|Signature: good, by \"Alice <alice@example.org>\", OpenPGP key $grouped, made "
  "$keys SHA256SUMS|0|1 verified, 0 mismatched, 0 missing, 0 unreadable (SHA-256) (signed by a trusted key)"
  "$keys ubuntu.sums|0|Signature: good, by \"Alice"
  "$keys subkey.sums|0|OpenPGP key $grouped, with its subkey $(sed -E 's/(....)/\1 /g; s/ $//; s/^((.... ){4}....) /\1  /' <<<"$subkey"), made "
  "$keys fedora-CHECKSUM|0|(SHA-256) (signed by a trusted key)"
  "$keys zig.sums|0|trusted comment \"timestamp:1 file:zig.sums\""
  "$keys zig.sums|0|Signature: good, by minisign key $(tail -n 1 mini.pub) (id "
  "$keys bare.sums|0|Signature: not accepted, by minisign key with the id"
  "$keys bare.sums|0|it has no trusted comment"
  "-s $keys bare.sums|2|-s asks for one"
  "$keys git.sums|0|Signature: not accepted, by SSH key SHA256:"
  "$keys git.sums|0|made for \"git\", not for files"
  "-s $keys git.sums|2|-s asks for one"
  "-kallowed_git ssh.sums|0|trusts it for the namespaces \"git\" only"
  "-kallowed_old ssh.sums|0|trusts it only before 20200101"
  "-kallowed_ca ssh.sums|0|is a cert-authority"
  "-s -kallowed_ca ssh.sums|2|-s asks for one"
  "-kalice.asc a.txt.sfv|0|Signature: none found: the list carries none, and no signature file lies beside it (\"a.txt.sfv.sig\", .asc, .gpg, .sign, .minisig)"
  "a.txt.sfv|0|!Signature: none found"
  "$keys SHA256.sig|0|Signature: good, by signify key"
  "$keys SHA256.sig|0|1 verified, 0 mismatched, 0 missing, 0 unreadable (SHA-256) (signed by a trusted key)"
  "$keys ssh.sums|0|Signature: good, by \"builder@example.org\", SSH key SHA256:"
  "-kallowed_signers ssh.sums|0|Signature: good, by \"release@example.org\""
  "$keys elsewhere/SHA256SUMS|2|Signature: BAD, by \"Alice <alice@example.org>\""
  "$keys elsewhere/SHA256SUMS|2|!MISSING"
  "$keys elsewhere/ubuntu.sums|2|has a BAD signature: the list or its signature was changed after it was signed, so no file was checked"
  "$keys elsewhere/fedora-CHECKSUM|2|Signature: BAD"
  "$keys elsewhere/zig.sums|2|Signature: BAD, by minisign key"
  "$keys elsewhere/SHA256.sig|2|Signature: BAD, by signify key"
  "$keys elsewhere/ssh.sums|2|Signature: BAD, by SSH key"
  "$keys elsewhere/ssh.sums|2|!MISSING"
  "SHA256SUMS|0|Signature: by OpenPGP key $grouped, made "
  "SHA256SUMS|0|which is not among the trusted keys"
  "SHA256SUMS|0|fsum -key add"
  "SHA256SUMS|0|(SHA-256) (no trusted signature: these files match the list, but nobody you trust vouched for the list)"
  "elsewhere/SHA256SUMS|1|MISSING     added.iso"
  "elsewhere/SHA256SUMS|1|Signature: by OpenPGP key $grouped"
  "-krob.gpg SHA256SUMS|0|which is not among the trusted keys"
  "zig.sums|0|Signature: by minisign key"
  "SHA256.sig|0|Signature: by signify key"
  "ssh.sums|0|Signature: by SSH key SHA256:"
  "$keys appended|2|is a signed list with text outside its signed part, so no file was checked"
  "$keys prepended|2|is a signed list with text outside its signed part, so no file was checked"
  "$keys hash-header|2|its \"Hash:\" header names SHA512"
  "$keys spaced|2|an armour line with other text on it, so no file was checked"
  "$keys node.sums|0|Signature: good, by \"Alice <alice@example.org>\""
  "$keys node.sums|0|(signed by a trusted key)"
  "$keys node-changed.sums|2|whose signed text is not the list: one of the two was changed after it was signed"
  "$keys fedora-detached|0|Signature: good, by \"Alice <alice@example.org>\", OpenPGP key $grouped, made"
  "$keys fedora-detached|0|!Signature: BAD"
  "$keys cut.sums|0|Signature: not checked (in \"cut.sums.sig\"): its OpenPGP signature is cut short or broken"
  "$keys many.sums|0|Signature: and 4 more, counted but not shown"
  "-kmallory.asc bidi.sums|0|Signature: good, by \"Mallory \\u202Eevil <mallory@example.org>\""
  "-kold.asc old.sums|0|Signature: not accepted, by \"Old <old@example.org>\""
  "-kold.asc old.sums|0|the key's own signatures are made over SHA-1 (or MD5), which is too weak"
  "$keys hash-blank|0|(SHA-256) (signed by a trusted key)"
  "$keys other.sums|0|Signature: WARNING: its trusted comment names the file \"zig-linux.tar.xz\", not \"other.sums\""
  "$keys escape.sums|0|trusted comment \"timestamp:1 \\x1B[2J file:escape.sums\""
  "$keys bitcoin.sums|0|Signature: by OpenPGP key"
  "$keys bitcoin.sums|0|Signature: good, by \"Alice"
  "$keys bitcoin.sums|0|(signed by a trusted key)"
  "-s $keys SHA256SUMS|0|Signature: good"
  "-s SHA256SUMS|2|has no good signature by a trusted key, and -s asks for one, so no file was checked"
  "-s a.txt.sfv|2|has no signature, and -s asks for one by a trusted key"
  "-s -kalice.asc elsewhere/SHA256SUMS|2|Signature: BAD"
  "-kalice.asc sha1.sums|0|Signature: not accepted, by \"Alice <alice@example.org>\""
  "-kalice.asc sha1.sums|0|SHA-1, which is too weak"
  "-s -kalice.asc sha1.sums|2|-s asks for one"
  "-kothers.asc small.sums|0|its key is RSA 1024 bits, too short (2048 bits at least)"
  "-kothers.asc brief.sums|0|Signature: good but not trusted, by \"Brief <brief@example.org>\""
  "-kothers.asc brief.sums|0|: its key expired on "
  "-s -kothers.asc brief.sums|2|-s asks for one"
  "-kgone.asc gone.sums|0|Signature: not accepted, by \"Gone <gone@example.org>\""
  "-kgone.asc gone.sums|0|the key was revoked"
  "-s -kgone.asc gone.sums|2|"
  "$keys message.sums|2|holds data or a whole message, not signatures alone"
  "-kmissing.asc SHA256SUMS|2|the key file \"missing.asc\" cannot be read"
  "-kmissing.asc SHA256SUMS|2|!OK"
  "-ka.txt SHA256SUMS|2|the key file \"a.txt\" holds no key the tool knows, so no file was checked"
  "-kelsewhere SHA256SUMS|2|the key file \"elsewhere\" cannot be read"
  "-e -kalice.asc a.txt|2|Usage"
)
printf 'a.txt 363A3020\n' >a.txt.sfv
for row in "${cases[@]}"; do
  IFS='|' read -r args want line <<<"$row"
  # shellcheck disable=SC2086 # the options and the list are separate words
  timeout 120 "$fsum" -c $args >out 2>&1
  check "$args ends with status $want" test $? -eq "$want"
  if [[ $line == '!'* ]]; then
    check "$args: no [${line:1}]" test "$(grep -cF "${line:1}" out)" -eq 0
  elif [[ -n $line ]]; then
    check "$args: [$line]" grep -qF -- "$line" out
  fi
done
"$fsum" -c "-kmini.pub" escape.sums >out 2>&1
check "no control character of a signature's comment reaches the report" test "$(grep -c $'\e' out)" -eq 0
"$fsum" -c elsewhere/ubuntu.sums >out 2>&1
check "a key beside the list is not trusted" grep -qF "which is not among the trusted keys" out

# On a terminal a signature's line is coloured by its verdict.
esc=$'\e'
script -qec "$(printf '%q ' "$fsum" -c -kalice.asc elsewhere/SHA256SUMS)" /dev/null >out 2>&1
check "on a terminal a BAD signature's line is red" grep -qF "${esc}[31mSignature: BAD" out
script -qec "$(printf '%q ' "$fsum" -c -kalice.asc SHA256SUMS)" /dev/null >out 2>&1
check "on a terminal a good signature's line is green" grep -qF "${esc}[32mSignature: good" out
script -qec "$(printf '%q ' "$fsum" -c SHA256SUMS)" /dev/null >out 2>&1
check "on a terminal an untrusted signature's line is yellow" grep -qF "${esc}[33mSignature: by OpenPGP key" out
check "and so is the summary, though every file verified" grep -qF "${esc}[33m1 verified, 0 mismatched" out

# On a console, -key add shows the key and asks before it trusts it.
asked() {  # the answer typed, then the key file: -key add on a terminal, in a key folder of its own
  printf '%s\n' "$1" | XDG_CONFIG_HOME=$work/asked script -qec "$(printf '%q ' "$fsum" -key add "$2")" /dev/null >out 2>&1
}
asked n alice.asc
check "-key add on a console asks, fingerprint first" grep -qF "OpenPGP key $grouped (Ed25519)" out
check "answered no, nothing is added" sh -c "grep -qF 'Nothing was added.' out && [ ! -e '$work/asked/fsum/keys/alice.asc' ]"
asked y alice.asc
check "answered yes, the key is trusted" sh -c "grep -qF 'Trusted from now on' out && [ -f '$work/asked/fsum/keys/alice.asc' ]"

# The key folder: added keys are trusted for every check, and listed.
"$fsum" -key list >out 2>&1
check "an empty key folder says so" grep -qF "No key is trusted yet" out
"$fsum" -key add alice.asc >out 2>&1
check "-key add ends with 0" test $? -eq 0
check "-key add shows the fingerprint whole" grep -qF "OpenPGP key $grouped (Ed25519)" out
check "-key add shows the user id" grep -qF "user id: Alice <alice@example.org>" out
check "the key is in the folder" test -f "$XDG_CONFIG_HOME/fsum/keys/alice.asc"
"$fsum" -key add mini.pub >/dev/null 2>&1 && "$fsum" -key add allowed_signers >/dev/null 2>&1
"$fsum" -key add alice.asc >/dev/null 2>&1
check "a second file of the same name is kept beside the first" test -f "$XDG_CONFIG_HOME/fsum/keys/alice (2).asc"
"$fsum" -c SHA256SUMS >out 2>&1
check "a key from the folder is trusted" grep -qF "(signed by a trusted key)" out
"$fsum" -c zig.sums >out 2>&1
check "a minisign key from the folder is trusted" grep -qF "Signature: good, by minisign key" out
"$fsum" -key list >out 2>&1
check "-key list names every key" test "$(grep -cE '^(OpenPGP|minisign/signify|SSH) key' out)" -eq 4
check "-key list shows an SSH key's fingerprint as ssh-keygen does" \
  grep -qF "$(ssh-keygen -lf ssh_key.pub | cut -d' ' -f2)" out
ssh-keygen -q -t rsa -b 2048 -N '' -f rsa_key
"$fsum" -key add rsa_key.pub >out 2>&1
check "-key add refuses a key it cannot use" test $? -eq 2
check "an RSA SSH key is said to be unusable yet" grep -qF "only ssh-ed25519 keys" out
"$fsum" -key add a.txt >/dev/null 2>&1
check "-key add refuses a file with no key" test $? -eq 2
"$fsum" -key add old.asc >out 2>&1
check "-key add warns of a key whose own signatures are over SHA-1" grep -qF "warning: some of its own signatures" out
"$fsum" -key add mallory.asc >out 2>&1
check "-key add shows a user id's bidi override escaped" grep -qF 'user id: Mallory \u202Eevil' out
"$fsum" -key >/dev/null 2>&1
check "-key alone is a usage error" test $? -eq 2

# A tree of lists: each one's signatures are checked.
mkdir -p tree/good tree/bad
cp SHA256SUMS SHA256SUMS.sign a.txt tree/good/
cp elsewhere/SHA256SUMS elsewhere/SHA256SUMS.sign tree/bad/
"$fsum" -c -r -dtree SHA256SUMS >out 2>&1
check "-r: a BAD list among good ones ends with 2" test $? -eq 2
check "-r: the good list is checked" grep -qF "OK          a.txt" out
mkdir -p tree/unsigned && cp SHA256SUMS a.txt tree/unsigned/
"$fsum" -c -r -dtree/good SHA256SUMS >out 2>&1
check "-r: the total counts the lists a trusted key signed" grep -qF "1 list, 1 all verified; 1 of them signed by a trusted key" out
"$fsum" -c -r -dtree/unsigned SHA256SUMS >out 2>&1
check "-r: an unsigned list is not among them" sh -c "grep -qF '1 list, 1 all verified' out && ! grep -qF 'signed by a trusted key' out"

# gpgv that cannot be found: the OpenPGP signature is not checked, and -s refuses.
stopwatch=$(command -v timeout)
PATH=/nonexistent "$stopwatch" 60 "$fsum" -c SHA256SUMS >out 2>&1
check "without gpgv the signature is not checked" grep -qF "gpgv, which checks OpenPGP signatures, could not be run" out
PATH=/nonexistent "$stopwatch" 60 "$fsum" -c -s SHA256SUMS >/dev/null 2>&1
check "without gpgv -s refuses" test $? -eq 2

# A gpgv that lies, hangs or floods, found through PATH: no verdict rests on
# its word alone. Each says Alice, whom -k trusts, signed.
mkdir -p fake/lies fake/fails fake/hangs fake/floods fake/here
rob_fpr=$(gpg --with-colons --list-keys rob 2>/dev/null | awk -F: '/^fpr/ { print $10; exit }')
good_status() {  # the primary key VALIDSIG names
  printf '[GNUPG:] NEWSIG\n[GNUPG:] GOODSIG F7A41F9B5AC18468 Alice\n'
  printf '[GNUPG:] VALIDSIG %s 2026-12-09 1796787090 0 4 0 22 8 00 %s\n' "$alice_fpr" "$1"
}
good_status "$rob_fpr" >fake/lies.status && good_status "$alice_fpr" >fake/good.status
printf '#!/bin/sh\ncat "%s"\n' "$work/fake/lies.status" >fake/lies/gpgv
printf '#!/bin/sh\ncat "%s"\nexit 1\n' "$work/fake/good.status" >fake/fails/gpgv
printf '#!/bin/sh\ncat "%s"\n' "$work/fake/good.status" >fake/here/gpgv
printf '#!/bin/sh\nexec sleep 600\n' >fake/hangs/gpgv
printf '#!/bin/sh\nexec yes "[GNUPG:] NEWSIG"\n' >fake/floods/gpgv
chmod +x fake/*/gpgv
for row in "lies|which is not among the trusted keys" "fails|gpgv said \"exit status 1\"" "hangs|gpgv did not answer in 3 s" \
  "floods|wrote more than 4 MiB"; do
  IFS='|' read -r fake line <<<"$row"
  FSUM_GPGV_SECONDS=3 PATH="$work/fake/$fake:$PATH" "$stopwatch" 60 "$fsum" -c -kalice.asc SHA256SUMS >out 2>&1
  check "a gpgv that $fake: no good signature" sh -c "! grep -qF 'Signature: good' out && grep -qF '$line' out"
  FSUM_GPGV_SECONDS=3 PATH="$work/fake/$fake:$PATH" "$stopwatch" 60 "$fsum" -c -s -kalice.asc SHA256SUMS >/dev/null 2>&1
  check "a gpgv that $fake: -s refuses" test $? -eq 2
done
# Stopped while gpgv runs (SIGTERM, SIGHUP), the tool leaves no scratch
# folder behind: no keyring, no copy of the list.
for stop in TERM HUP; do
  mkdir -p "$work/scratch" && rm -rf "$work/scratch"/*
  TMPDIR=$work/scratch PATH="$work/fake/hangs:$PATH" "$fsum" -c -kalice.asc SHA256SUMS >/dev/null 2>&1 &
  stopped=$!
  for _ in $(seq 300); do  # until the scratch folder holds the list, 30 s at most
    compgen -G "$work/scratch/fsum-*/list" >/dev/null && break
    sleep 0.1
  done
  check "SIG$stop: gpgv was running with its files" compgen -G "$work/scratch/fsum-*/list"
  kill -$stop $stopped && wait $stopped
  check "SIG$stop: the tool ends by the signal" test $? -gt 128
  check "SIG$stop: no scratch folder is left" test -z "$(ls -A "$work/scratch")"
done

# An empty or relative entry in PATH never finds a gpgv in the list's folder
# (this one would call a changed list good).
cp fake/here/gpgv . && cp elsewhere/SHA256SUMS changed.sums && cp SHA256SUMS.sign changed.sums.sign
for search in ":$PATH" ".:$PATH"; do
  PATH="$search" "$fsum" -c -kalice.asc changed.sums >out 2>&1
  check "PATH=${search%%:*}:...: the system's gpgv finds the list changed" grep -qF "Signature: BAD" out
done
rm gpgv

summary_line ""
[[ $failed -eq 0 ]]
