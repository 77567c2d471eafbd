# Sourced by the scripts that fetch from Debian's archive: the mirror this
# machine's apt sources name, read at run time and never written down, and a
# download through apt's own helper, which checks the pinned hash.

# The first Debian archive this machine's sources name (deb822 stanzas or
# one-line entries), without its security or update suites.
debian_mirror() {
  {
    cat /etc/apt/sources.list.d/*.sources 2>/dev/null | awk '
      /^URIs:/ { uri = $2 } /^Suites:/ { suites = $0 }
      /^$/ { if (uri && suites !~ /-security/) print uri; uri = ""; suites = "" }
      END { if (uri && suites !~ /-security/) print uri }'
    cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
      awk '$1 == "deb" && !/-security/ { for (i = 2; i <= NF; i++) if ($i ~ /:\/\//) { print $i; break } }'
  } | head -n1
}

# debian_fetch POOL-PATH FILE SHA256 LOG: one file of the mirror's pool,
# taken only when its SHA-256 is the one given.
debian_fetch() {
  local mirror
  mirror=$(debian_mirror || true)  # a missing sources file is no error
  if [[ -z "$mirror" ]]; then
    echo "setup: no Debian archive in this machine's apt sources to fetch from" >"$4"
    return 1
  fi
  /usr/lib/apt/apt-helper download-file "${mirror%/}/pool/$1" "$2" "SHA256:$3" >"$4" 2>&1 || {
    rm -f "$2" "$2.FAILED"
    return 1
  }
}

# Why the last debian_fetch failed, in one line, from its log.
debian_fetch_error() {
  sed -n 's/^E: Failed to fetch [^ ]* *//p; s/^setup: //p' "$1" | head -n1
}
