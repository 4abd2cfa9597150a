#!/usr/bin/env bash
# A signed release, checked end to end with a throwaway certificate authority:
#   tests/dist/check_signing.sh REBUILT_EXE_DIR
# Makes a CA and a code-signing certificate with openssl, signs the
# executables of build/mingw-i686 as ./run dist does (scripts/sign-exes.sh),
# makes the release folder from them and checks it (check_dist.py: the sums
# and the manifest cover the signed files), then checks the zip with
# scripts/verify-release.py against the executables in REBUILT_EXE_DIR. The
# zip with one byte of plumvane.exe changed must fail both checks of that
# file. No time stamp: the test reaches no server.
# Prints PASS or FAIL per check; exits 1 when one failed.
set -euo pipefail
cd "$(dirname "$0")/../.."
rebuilt=$1
app=build/mingw-i686/src/app
work=build/signing-check
rm -rf "$work"
mkdir -p "$work"
failed=0
report() {  # report WHAT STATUS [OUTPUT_FILE]
  if [ "$2" -eq 0 ]; then echo "PASS $1"; else echo "FAIL $1"; [ -z "${3:-}" ] || cat "$3"; failed=1; fi
}

ssl() { openssl "$@" >>"$work/openssl.log" 2>&1; }
ssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Plumvane test CA" \
  -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign \
  -keyout "$work/ca.key" -out "$work/ca.pem"
ssl req -newkey rsa:2048 -nodes -subj "/CN=Plumvane test publisher" \
  -keyout "$work/signer.key" -out "$work/signer.csr"
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' \
  >"$work/signer.ext"
ssl x509 -req -days 2 -in "$work/signer.csr" -CA "$work/ca.pem" -CAkey "$work/ca.key" \
  -CAcreateserial -extfile "$work/signer.ext" -out "$work/signer.pem"
echo "a throwaway password" >"$work/password"
ssl pkcs12 -export -inkey "$work/signer.key" -in "$work/signer.pem" -certfile "$work/ca.pem" \
  -passout "file:$work/password" -out "$work/signer.p12"

# The build folder's layout, which check_dist.py reads the version text from.
signed=$work/signed/src/app
mkdir -p "$signed"
cp build/mingw-i686/version.txt "$work/signed/"
status=0
PLUMVANE_SIGN_PFX=$work/signer.p12 PLUMVANE_SIGN_PASSWORD_FILE=$work/password \
  scripts/sign-exes.sh "$signed" "$app/plumvane.exe" "$app/plumvane-cli.exe" \
  >"$work/sign.log" 2>&1 || status=$?
report "both executables signed, each giving back its unsigned bytes without the signature" \
  "$status" "$work/sign.log"
[ "$status" -eq 0 ] || exit 1

epoch=$(git log -1 --format=%ct)
version=$(cat build/mingw-i686/version.txt)  # the program's own text, e.g. 0.03
python3 scripts/make-dist.py "$work/dist" "$version" "$epoch" "$signed/plumvane.exe" \
  "$signed/plumvane-cli.exe" README.md LICENSE >/dev/null
python3 tests/dist/check_dist.py "$work/dist" "$signed" "$epoch" | sed 's/^\(....\) /\1 signed: /' \
  || failed=1
zip=$(ls "$work"/dist/*.zip)

status=0
python3 scripts/verify-release.py "$zip" --ca "$work/ca.pem" --exes "$rebuilt" \
  >"$work/verify.log" 2>&1 || status=$?
report "verify-release.py: the signed zip verifies and matches the rebuild in $rebuilt" \
  "$status" "$work/verify.log"

# One byte in the middle of plumvane.exe's code.
python3 - "$zip" "$work/tampered.zip" <<'EOF'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as src, zipfile.ZipFile(sys.argv[2], "w") as dst:
    for info in src.infolist():
        data = bytearray(src.read(info))
        if info.filename == "plumvane.exe":
            data[len(data) // 4] ^= 0x01
        dst.writestr(info, bytes(data))
EOF
status=0
python3 scripts/verify-release.py "$work/tampered.zip" --ca "$work/ca.pem" --exes "$rebuilt" \
  >"$work/tampered.log" 2>&1 || status=$?
# Exactly the two checks of plumvane.exe fail.
expected=0
[ "$status" -eq 1 ] && [ "$(grep -c '^FAIL' "$work/tampered.log")" -eq 2 ] \
  && grep -q '^FAIL plumvane.exe: its signature verifies' "$work/tampered.log" \
  && grep -q '^FAIL plumvane.exe: without its signature' "$work/tampered.log" || expected=1
report "one byte changed in the signed plumvane.exe: its signature and the comparison fail" \
  "$expected" "$work/tampered.log"
exit "$failed"
