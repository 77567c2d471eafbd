#!/usr/bin/env bash
# Lists the tool makes, read back by it and by the tools a user would check
# them with; what it refuses to make, and why.
source "$(dirname "$0")/common.sh"


# Lists made by the tool, read back by it and by the tools a user would
# check them with, over names with spaces, accents, CJK, a leading space, a
# ;, a #, a tab, a backslash, a line break, and bytes that are not UTF-8
# beside the UTF-8 name they read as in Latin-1.
mkdir -p "$work/make/sub/deeper" && cd "$work/make" || exit
for name in a.bin B.txt 'with space.bin' café.txt 日本.bin ' leading.bin' ';semi.bin' sub/c.bin \
  'sub/deeper/back\slash.bin' $'sub/new\nline.txt' '#hash.txt' $'tab\tname.txt' $'caf\xE9.txt'; do
  printf '%s' "$name" >"$name"
done
mkfifo sub/pipe
for row in "-sha256|sha256sum" "-md5|md5sum" "-sha1 -bsd|sha1sum" "-sha384|sha384sum" "-sha512 -bsd|sha512sum"; do
  IFS='|' read -r switches checker <<<"$row"
  "$fsum" $switches -r '*' >list.txt 2>"$work/err"
  check "fsum $switches -r makes a list with status 0" test $? -eq 0
  check "fsum $switches: fsum -c verifies all 13" grep -q '^13 verified, 0 mismatched' <("$fsum" -c list.txt)
  check "fsum $switches: $checker -c --strict verifies it" $checker -c --strict --quiet list.txt
  check "fsum $switches: the list does not name itself" test "$(grep -c list.txt list.txt)" -eq 0
done
check "the list names no FIFO" test "$(grep -c pipe list.txt)" -eq 0
rm list.txt
# An .sfv line has no escape: POSIX names with \ or a line break are left out;
# a name that begins with ; is written after ./ so that it is no comment.
"$fsum" -r '*' >list.sfv 2>"$work/err"
check "an .sfv name that cannot be written exits with 1" test $? -eq 1
check "and each is named" test "$(grep -c 'has a name no line' "$work/err")" -eq 3
check "fsum -c verifies the other 10" grep -q '^10 verified, 0 mismatched, 0 missing' <("$fsum" -c list.sfv)
cp list.sfv CHECKSUMS
check "so it does under any name" grep -q '^10 verified, 0 mismatched, 0 missing' <("$fsum" -c CHECKSUMS)
check "cksfv verifies them" cksfv -q -f list.sfv
# rhash 1.4.3 drops the leading space of a name in an .sfv list.
check "rhash verifies them, the leading space aside" \
  test "$(rhash --crc32 -c list.sfv 2>&1 | grep -c 'OK *$')" -eq 9
rm list.sfv
check "two runs give the same lines" cmp -s <("$fsum" -sha1 -r '*') <("$fsum" -sha1 -r '*')
check "names are in byte order, subfolders where they fall" \
  test "$("$fsum" -md5 -r '*.bin' | sed 's/^\\\?[^ ]*  //' | tr '\n' '|')" = \
  ' leading.bin|;semi.bin|a.bin|sub/c.bin|sub/deeper/back\\slash.bin|with space.bin|日本.bin|'
check "a folder named outright is walked" test "$("$fsum" -md5 sub | wc -l)" -eq 3
check "and with -r" test "$("$fsum" -md5 -r sub | wc -l)" -eq 3
check "a mask with a folder part keeps it in the names" grep -q '  sub/c.bin$' <("$fsum" -md5 sub/c.bin)
check "-d names files from that folder" grep -q '  c.bin$' <("$fsum" -sha1 -d"$work/make/sub" '*.bin')
"$fsum" -md5 '*.zip' '*.bin' >"$work/out" 2>"$work/err"
check "a mask that matches nothing exits with 2" test $? -eq 2
check "and says so" grep -qF 'nothing matches "*.zip"' "$work/err"
check "the other masks are still listed" grep -q 'a.bin$' "$work/out"
"$fsum" -md5 '*.bin' '*.zip' >/dev/null 2>"$work/err"
check "so does a later mask that matches nothing" grep -qF 'nothing matches "*.zip"' "$work/err"
check "without -r, no subfolder is walked" test "$("$fsum" -md5 '*' | grep -c 'sub/')" -eq 0
"$fsum" -d/proc/self mem >"$work/out" 2>"$work/err"
check "a file that cannot be read exits with 1" test $? -eq 1
check "and is named with the reason" grep -q '"mem" could not be read: ' "$work/err"
"$fsum" -sha256 '*' >/dev/full 2>"$work/err"
check "a list that cannot be written exits with 2" test $? -eq 2
check "and says why" grep -qx 'fsum: the list could not be written: No space left on device.' "$work/err"
# A folder the masks or -d name that is not there makes no list; nor does a
# mask whose one file is the list being written.
cases=(
  "-md5 -d/nonexistent *|the folder \"/nonexistent\" could not be read: No such file"
  "-md5 nodir/*|the folder \"nodir/\" could not be read: No such file"
  "-md5 -d/nonexistent a.bin|the folder \"/nonexistent\" could not be read: No such file"
  "-md5 self.md5|nothing to list: \"self.md5\" names only the list being written"
)
for row in "${cases[@]}"; do
  IFS='|' read -r args says <<<"$row"
  # shellcheck disable=SC2086 # separate words, and no shell expands the masks
  (set -f && "$fsum" $args >self.md5 2>"$work/err")
  check "fsum $args exits with 2" test $? -eq 2
  check "fsum $args: [$says]" grep -qF "$says" "$work/err"
done
rm self.md5
# Where a file system does not give entry types, a link to a folder is still
# not walked: a shim makes readdir say DT_UNKNOWN for every entry.
mkdir -p loop && ln -s . loop/self && touch loop/file
printf '%s\n' '#define _GNU_SOURCE' '#include <dirent.h>' '#include <dlfcn.h>' \
  'struct dirent *readdir(DIR *d) { struct dirent *(*next)(DIR *) = dlsym(RTLD_NEXT, "readdir");' \
  '  struct dirent *e = next(d); if (e) e->d_type = DT_UNKNOWN; return e; }' \
  'struct dirent64 *readdir64(DIR *d) { struct dirent64 *(*next)(DIR *) = dlsym(RTLD_NEXT, "readdir64");' \
  '  struct dirent64 *e = next(d); if (e) e->d_type = DT_UNKNOWN; return e; }' >"$work/unknown.c"
bits=$(file -bL "$fsum" | grep -q '32-bit' && echo -m32)
cc $bits -shared -fPIC -o "$work/unknown.so" "$work/unknown.c" -ldl
timeout 60 env LD_PRELOAD="$work/unknown.so" "$fsum" -md5 -r -dloop '*' >"$work/out" 2>&1
check "with no entry types, a link loop is not walked" test "$(wc -l <"$work/out")" -eq 1
"$fsum" -bsd '*' >/dev/null 2>&1
check "-bsd with CRC-32 is a usage error" test $? -eq 2
mkdir many && (cd many && seq 20000 | xargs touch)
under_16mb "a list of 20,000 files takes under 16 MB" "$fsum" -sha1 -dmany '*'
cd "$work" || exit
same_with_one_reader "-sha256 -r -dmake *"

summary_line ""
[[ $failed -eq 0 ]]
