#!/usr/bin/env bash
# Checks without a list: a file against a digest as pasted, in the forms
# Windows users copy (certutil, Get-FileHash, Subresource Integrity,
# OpenSSL, names before the digest, text off a web page).
source "$(dirname "$0")/common.sh"

mkdir -p bare
head -c 100000 /dev/urandom >bare/file.iso
sha=$(sha256sum bare/file.iso | cut -c1-64) md5=$(md5sum bare/file.iso | cut -c1-32) crc=$(crc_of bare/file.iso)
spaced=$(echo "${md5^^}" | sed 's/../& /g; s/ $//')
while IFS='|' read -r digest status line; do
  "$fsum" -c "-e$digest" bare/file.iso >"$work/out" 2>&1
  check "-e '$digest' exits with $status" test $? -eq "$status"
  check "-e '$digest' says '$line'" grep -q "$line" "$work/out"
done <<EOF
$sha|0|^OK          bare/file.iso  (SHA-256)$
sha256:${sha^^}|0|^OK          bare/file.iso  (SHA-256)$
$spaced|0|^OK          bare/file.iso  (MD5)$
$sha  file.iso|0|^OK          bare/file.iso  (SHA-256)$
$sha  other.iso|0|^OK          bare/file.iso  (SHA-256; the digest given is for "other.iso")$
$sha  some/dir/file.iso|0|^OK          bare/file.iso  (SHA-256)$
$crc|0|^OK          bare/file.iso  (CRC-32)$
${sha:1}0|1|none of SHA-256, SHA3-256, BLAKE3, BLAKE2b-256 gives it
12345|2|the digest given is 5 hexadecimal digits long
md5:$sha|2|is 64 hexadecimal digits long, and MD5's digest is 32
$sha $sha|2|the digest given holds 2 digests
$(xxhsum -H128 bare/file.iso 2>/dev/null | cut -d' ' -f1)|0|^OK          bare/file.iso  (XXH128)$
$(xxhsum -H3 bare/file.iso 2>/dev/null | grep -oE '[0-9a-f]{16}' | tail -n1)|0|^OK          bare/file.iso  (XXH3)$
$(xxhsum -H32 bare/file.iso 2>/dev/null | cut -d' ' -f1)|0|^OK          bare/file.iso  (XXH32)$
EOF
# As Windows users copy digests (certutil, Get-FileHash, Subresource
# Integrity, OpenSSL, names before the digest, text off a web page): each
# verifies the file and FAILS a damaged copy of it.
cp bare/file.iso bare/damaged.iso && damage bare/damaged.iso 50000
up=${sha^^}
forms=(
  "$(printf 'SHA256 hash of file.iso:\r\n%s\r\nCertUtil: -hashfile command completed successfully.\r\n' "$(sed 's/../& /g; s/ $//' <<<"$sha")")"
  "$(printf '\r\nAlgorithm       Hash%60sPath\r\n---------       ----%60s----\r\nSHA256          %s       C:\\me\\file.iso\r\n\r\n' '' '' "$up")"
  "$(printf 'Algorithm : SHA256\r\nHash      : %s\r\nPath      : C:\\me\\file.iso\r\n' "$up")"
  "SHA256          $up       C:\Downloads\file.iso"
  "sha256-$(openssl dgst -sha256 -binary bare/file.iso | base64)"
  "sha512-$(openssl dgst -sha512 -binary bare/file.iso | base64 -w0)"
  "$(openssl dgst -sha256 bare/file.iso)" "$(openssl dgst -sha3-256 bare/file.iso)"
  "$(openssl dgst -blake2b512 bare/file.iso)" "SHA256=$sha" "SHA256 $sha" "0x$md5" "$(sed 's/../&:/g' <<<"$sha")"
  "blake3:$(b3sum --no-mmap bare/file.iso | cut -c1-64)" "b2:$(b2sum -l 256 bare/file.iso | cut -c1-64)"
  "$(printf '\xef\xbb\xbf\xe2\x80\x9cSHA\xe2\x80\x93256:\xc2\xa0%s\xe2\x80\x8b\xe2\x80\x9d' "$sha")"
  "$crc" "$(xxhsum -H32 bare/file.iso 2>/dev/null | sed 's| .*|  file.iso|')"
)
for form in "${forms[@]}"; do
  for row in file.iso:0:OK damaged.iso:1:FAILED; do
    IFS=: read -r target status word <<<"$row"
    "$fsum" -c "-e$form" "bare/$target" >"$work/out" 2>&1
    check "-e '${form:0:40}...' on $target: $word, status $status" \
      sh -c "test $? -eq $status && grep -q '^$word  ' '$work/out'"
    # Every form names file.iso, in whatever folder: no note that it is for another file.
    [[ $target == damaged.iso ]] ||
      check "-e '${form:0:40}...' on $target: no note of another file" \
        sh -c "! grep -q 'the digest given is for' '$work/out'"
  done
done
rm bare/damaged.iso
# SHA-224 and SHA3-224 pasted; byte pairs whose first is B2 are a digest whole.
printf x331 >bare/b2.bin
for form in "$(sha224sum bare/b2.bin | cut -c1-56 | sed 's/../&:/g; s/:$//' | tr a-f A-F)" \
  "$(openssl dgst -sha3-224 -r bare/b2.bin | cut -c1-56)"; do
  "$fsum" -c "-e$form" bare/b2.bin >"$work/out" 2>&1
  check "-e '${form:0:20}...': OK, status 0" sh -c "test $? -eq 0 && grep -q '^OK  ' '$work/out'"
done
for extra in -r -w -dbare; do
  "$fsum" -c "$extra" "-e$sha" bare/file.iso >"$work/out" 2>&1
  check "-e with $extra is a usage error" sh -c "test $? -eq 2 && grep -q Usage '$work/out'"
done
"$fsum" -c -e bare/file.iso >"$work/out" 2>&1
check "-e alone off Windows says the clipboard is Windows's" grep -q 'only the Windows build reads the clipboard' "$work/out"

summary_line ""
[[ $failed -eq 0 ]]
