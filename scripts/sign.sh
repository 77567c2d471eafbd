#!/usr/bin/env bash
# Signs Windows programs in place (Authenticode, SHA-256) with Debian's
# osslsigncode and the certificate that CORVANE_SIGN_PFX names, whose
# password is in the file CORVANE_SIGN_PASSWORD_FILE; with an RFC 3161 time
# stamp when CORVANE_SIGN_TIMESTAMP_URL names a time-stamp server.
#   scripts/sign.sh program.exe...
set -euo pipefail
for file; do
  osslsigncode sign -pkcs12 "$CORVANE_SIGN_PFX" -readpass "$CORVANE_SIGN_PASSWORD_FILE" -h sha256 \
    -n Corvane ${CORVANE_SIGN_TIMESTAMP_URL:+-ts "$CORVANE_SIGN_TIMESTAMP_URL"} \
    -in "$file" -out "$file.signed" >/dev/null
  mv "$file.signed" "$file"
done
