# Sourced by the signed lists' and signed downloads' suites: a scratch
# folder with its own GnuPG home and key folder, removed at the end, the
# check counters, and the signing tools every row needs.
set -uo pipefail
fsum=$1
work=$(mktemp -d)
trap 'gpgconf --homedir "$work/gnupg" --kill all 2>/dev/null; rm -rf "$work"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/../summary.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../damage.sh"
export XDG_CONFIG_HOME=$work/config GNUPGHOME=$work/gnupg
mkdir -m700 "$GNUPGHOME"
cd "$work" || exit

for tool in gpg gpgv minisign signify-openbsd ssh-keygen; do
  command -v $tool >/dev/null || { echo "$tool is missing: scripts/setup.sh installs it"; summary_line ""; exit 1; }
done
