#!/bin/bash
# Signs Windows programs and DLLs in place with an Authenticode signature
# (SHA-256), from the PKCS#12 file PLEXOR_SIGN_PFX and its password
# PLEXOR_SIGN_PASSWORD; with PLEXOR_SIGN_TIMESTAMP, an RFC 3161 time stamp
# from that URL. Any failure ends the script non-zero and leaves that file
# unsigned, so the caller must not ship it.
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
timestamp=()
if [ -n "${PLEXOR_SIGN_TIMESTAMP:-}" ]; then
  timestamp=(-ts "$PLEXOR_SIGN_TIMESTAMP")
fi
for file in "$@"; do
  signed="$file.signed"
  rm -f "$signed"
  # The password goes through a pipe, never the command line (other users
  # of the machine can read that) nor a file.
  if ! osslsigncode sign -pkcs12 "$PLEXOR_SIGN_PFX" \
      -readpass <(printf '%s' "$PLEXOR_SIGN_PASSWORD") \
      -h sha256 -n Plexor "${timestamp[@]}" -in "$file" -out "$signed" >/dev/null; then
    rm -f "$signed"
    echo "sign_files.sh: signing $(basename "$file") failed" >&2
    exit 1
  fi
  mv -f "$signed" "$file"
done
