#!/usr/bin/env bash
# What a release was built from, for BUILDINFO.txt in the release folder:
# the compilers', NSIS's and zlib's Debian packages with their versions, and
# every pinned source in build/deps with its version and the SHA-256 it was
# fetched by. Two builders with the same lines here get the same bytes.
#   scripts/buildinfo.sh > BUILDINFO.txt
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# The commit: CORVANE_COMMIT where the sources are no repository (a second
# build from an archive of them, scripts/reproducible.sh).
commit=${CORVANE_COMMIT:-$(git -C "$root" rev-parse HEAD)}
echo "Corvane $(bash "$root/scripts/version.sh" SHORT), commit $commit"
echo
echo "Debian packages:"
dpkg-query -W -f '  ${Package} ${Version}\n' g++-mingw-w64-i686 g++-mingw-w64-x86-64 gcc-mingw-w64-base \
  mingw-w64-common libz-mingw-w64-dev nsis g++ zlib1g-dev libssl-dev 2>/dev/null || true
echo
echo "Pinned sources (name version sha256):"
# Each `fetch NAME ...` of sources.sh, then its "VERSION SHA256" pins: the
# one in build/deps is the one built.
awk '/^fetch / { name = $2 } /^  "[^ ]+ [0-9a-f]+"/ { gsub(/[" \\]/, " "); print name, $1, $2 }' \
  "$root/scripts/sources.sh" | while read -r name version sha; do
  [[ -d $root/build/deps/$name-$version ]] && echo "  $name $version $sha"
done
echo
echo "gpgv.exe's source (sha256 file):"
sed -n '/^[0-9a-f]\{64\} gnupg2_/s/^/  /p' "$root/scripts/sources.sh"
