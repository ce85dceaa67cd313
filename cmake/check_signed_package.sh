#!/bin/bash
# The signing of one Windows build's package, as CI checks it: a throwaway CA
# and code-signing certificate made with openssl; the package step (cpack,
# into scratch folders) signs with them and every .exe and .dll passes
# `osslsigncode verify` against that CA, with no trace of the password in the
# package; with a time-stamp server (a throwaway one, cmake/time_stamp_server.py)
# each signature carries a time stamp that verifies; a wrong password, a
# missing key file, a missing password, an unreachable time-stamp server or
# one that never answers fails the step (the last within its time limit) and
# leaves no package; files named in upper or mixed case are signed too.
#   check_signed_package.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
work=$(mktemp -d)
servers=()
trap 'for s in "${servers[@]}"; do kill "$s"; done; rm -rf "$work"' EXIT
cd "$work"

openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 \
  -subj "/CN=Plexor throwaway CA" -addext "basicConstraints=critical,CA:TRUE" \
  -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr \
  -subj "/CN=Plexor throwaway signer" 2>/dev/null
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >signer.ext
openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
  -extfile signer.ext -out signer.pem 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout tsa.key -out tsa.csr \
  -subj "/CN=Plexor throwaway time-stamp server" 2>/dev/null
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=critical,timeStamping\n' >tsa.ext
openssl x509 -req -in tsa.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
  -extfile tsa.ext -out tsa.pem 2>/dev/null
cat >tsa.cnf <<END
[ tsa ]
default_tsa = throwaway
[ throwaway ]
serial = $work/tsa.serial
crypto_device = builtin
signer_cert = $work/tsa.pem
certs = $work/ca.pem
signer_key = $work/tsa.key
signer_digest = sha256
default_policy = 1.2.3.4.1
digests = sha256, sha384, sha512
ess_cert_id_alg = sha256
END
python3 "$root/cmake/time_stamp_server.py" tsa.cnf tsa.port &
servers+=($!)
python3 "$root/cmake/time_stamp_server.py" --never-answer hung.port &
servers+=($!)
for _ in $(seq 100); do [ -s tsa.port ] && [ -s hung.port ] && break; sleep 0.1; done
[ -s tsa.port ] && [ -s hung.port ] || { echo "the time-stamp servers did not start" >&2; exit 1; }
password=$(openssl rand -hex 16)
PASSWORD=$password openssl pkcs12 -export -inkey signer.key -in signer.pem -certfile ca.pem \
  -passout env:PASSWORD -out signer.pfx

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# signing VAR=VALUE... -- COMMAND...: COMMAND with only these signing
# settings. They are exported by the shell itself, as an operator sets them:
# never an argument of a program, where other users could read the password.
signing() {
  (
    unset PLEXOR_SIGN_PFX PLEXOR_SIGN_PASSWORD PLEXOR_SIGN_TIMESTAMP PLEXOR_SIGN_TIMEOUT
    while [ "$1" != -- ]; do export "$1"; shift; done
    shift
    "$@"
  )
}

# package NAME [VAR=VALUE...]: the package step into $work/NAME; its status.
# Bounded, so that a step that hangs fails the check instead of holding it.
package() {
  local name=$1
  shift
  (cd "$build" && signing "$@" -- timeout 600 cpack -B "$work/$name" >"$work/$name.log" 2>&1)
}

refused() {
  local name=$1
  shift
  local before=$failures
  if package "$name" "$@"; then
    fail "$name: the package step succeeded"
  fi
  if [ -n "$(find "$work/$name" -maxdepth 1 -name '*.zip' 2>/dev/null)" ]; then
    fail "$name: a package was left behind"
  fi
  [ "$failures" -ne "$before" ] || echo "$name: refused, no package"
}

refused wrong-password PLEXOR_SIGN_PFX="$work/signer.pfx" PLEXOR_SIGN_PASSWORD=wrong
refused missing-key PLEXOR_SIGN_PFX="$work/missing.pfx" PLEXOR_SIGN_PASSWORD="$password"
refused missing-password PLEXOR_SIGN_PFX="$work/signer.pfx"
refused timestamp-unreachable PLEXOR_SIGN_PFX="$work/signer.pfx" \
  PLEXOR_SIGN_PASSWORD="$password" PLEXOR_SIGN_TIMESTAMP=http://127.0.0.1:9/
started=$SECONDS
refused timestamp-never-answers PLEXOR_SIGN_PFX="$work/signer.pfx" \
  PLEXOR_SIGN_PASSWORD="$password" PLEXOR_SIGN_TIMESTAMP="http://127.0.0.1:$(cat hung.port)/" \
  PLEXOR_SIGN_TIMEOUT=5
# The first file's 5 s, and the staging around it.
[ $((SECONDS - started)) -le 120 ] || fail "timestamp-never-answers: $((SECONDS - started)) s"
grep -q 'took longer than 5 s' timestamp-never-answers.log ||
  fail "timestamp-never-answers: $(cat timestamp-never-answers.log)"

# Windows names in any letter case are programs: signed like the others.
mkdir -p cased/stage/sub cased/package
cp "$build/tools/quillet-check/quillet-check.exe" cased/stage/TOOL.EXE
cp "$build/host/ombrix/ombrix.dll" cased/stage/sub/Lib.Dll
signing PLEXOR_SIGN_PFX="$work/signer.pfx" PLEXOR_SIGN_PASSWORD="$password" -- \
  cmake -DCPACK_TEMPORARY_DIRECTORY="$work/cased/stage" -DCPACK_PACKAGE_DIRECTORY="$work/cased/package" \
    -DCPACK_PACKAGE_FILE_NAME=cased -DCPACK_PLEXOR_SIGN_SCRIPT="$root/cmake/sign_files.sh" \
    -P "$root/cmake/SignPackage.cmake" >cased.log 2>&1 || fail "cased: $(cat cased.log)"
for file in cased/stage/TOOL.EXE cased/stage/sub/Lib.Dll; do
  osslsigncode verify -CAfile ca.pem -in "$file" >/dev/null 2>&1 || fail "$file is not signed"
done

if package signed PLEXOR_SIGN_PFX="$work/signer.pfx" PLEXOR_SIGN_PASSWORD="$password" \
    PLEXOR_SIGN_TIMESTAMP="http://127.0.0.1:$(cat tsa.port)/"; then
  signing PLEXOR_SIGN_PFX="$work/signer.pfx" PLEXOR_SIGN_PASSWORD="$password" -- \
    python3 "$root/scripts/check_package.py" "$build" --package-dir "$work/signed" --ca ca.pem \
      --time-stamped ||
    fail "signed: package check"
else
  cat "$work/signed.log"
  fail "signed: the package step failed"
fi
exit $((failures > 0))
