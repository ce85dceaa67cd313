#!/bin/bash
# Signs Windows programs and DLLs in place with an Authenticode signature
# (SHA-256), from the PKCS#12 file PLEXOR_SIGN_PFX and its password
# PLEXOR_SIGN_PASSWORD; with PLEXOR_SIGN_TIMESTAMP, an RFC 3161 time stamp
# from that URL. Signing one file, time-stamp request included, may take
# PLEXOR_SIGN_TIMEOUT seconds (default 60): a server that takes the
# connection and never answers fails the step instead of holding it forever.
# Any failure ends the script non-zero and leaves that file unsigned, so the
# caller must not ship it.
#   sign_files.sh FILE...
set -euo pipefail
: "${PLEXOR_SIGN_PFX:?}"
if [ -z "${PLEXOR_SIGN_PASSWORD+set}" ]; then
  echo "sign_files.sh: PLEXOR_SIGN_PFX is set but PLEXOR_SIGN_PASSWORD is not" >&2
  exit 1
fi
if [ ! -r "$PLEXOR_SIGN_PFX" ]; then
  echo "sign_files.sh: cannot read the key file $PLEXOR_SIGN_PFX" >&2
  exit 1
fi
limit=${PLEXOR_SIGN_TIMEOUT:-60}
if ! [[ "$limit" =~ ^[1-9][0-9]*$ ]]; then
  echo "sign_files.sh: PLEXOR_SIGN_TIMEOUT must be a whole number of seconds, not '$limit'" >&2
  exit 1
fi
timestamp=()
if [ -n "${PLEXOR_SIGN_TIMESTAMP:-}" ]; then
  timestamp=(-ts "$PLEXOR_SIGN_TIMESTAMP")
fi
for file in "$@"; do
  signed="$file.signed"
  rm -f "$signed"
  # The password goes through a pipe, never the command line (other users
  # of the machine can read that) nor a file.
  status=0
  timeout --kill-after=5 "$limit" osslsigncode sign -pkcs12 "$PLEXOR_SIGN_PFX" \
    -readpass <(printf '%s' "$PLEXOR_SIGN_PASSWORD") \
    -h sha256 -n Plexor "${timestamp[@]}" -in "$file" -out "$signed" >/dev/null || status=$?
  if [ "$status" -ne 0 ]; then
    rm -f "$signed"
    if [ "$status" = 124 ] || [ "$status" = 137 ]; then  # timeout's own statuses
      echo "sign_files.sh: signing $(basename "$file") took longer than $limit s" \
        "(no answer from the time-stamp server?)" >&2
    else
      echo "sign_files.sh: signing $(basename "$file") failed" >&2
    fi
    exit 1
  fi
  mv -f "$signed" "$file"
done
