#!/usr/bin/env bash
# Signs the release's executables with the publisher's certificate:
#   PLUMVANE_SIGN_PFX=cert.p12 PLUMVANE_SIGN_PASSWORD_FILE=password.txt \
#   [PLUMVANE_SIGN_TIMESTAMP_URL=http://...] scripts/sign-exes.sh OUT_DIR EXE...
# Writes each EXE signed to OUT_DIR under its own name: Authenticode with
# SHA-256, "Plumvane" as the program's name, and an RFC 3161 time stamp
# where a URL is given. Each signed file must give back the unsigned bytes
# when its signature is removed, so that anyone can compare it with their
# own build (scripts/verify-release.py); the script stops where one does not.
set -euo pipefail
out=$1
shift
for var in PLUMVANE_SIGN_PFX PLUMVANE_SIGN_PASSWORD_FILE; do
  if [ ! -r "${!var:-}" ]; then
    echo "sign-exes.sh: $var must name a readable file" >&2
    exit 2
  fi
done
stamp=()
[ -n "${PLUMVANE_SIGN_TIMESTAMP_URL:-}" ] && stamp=(-ts "$PLUMVANE_SIGN_TIMESTAMP_URL")
mkdir -p "$out"
stripped=$(mktemp)
trap 'rm -f "$stripped"' EXIT
for exe; do
  signed=$out/$(basename "$exe")
  rm -f "$signed"
  osslsigncode sign -pkcs12 "$PLUMVANE_SIGN_PFX" -readpass "$PLUMVANE_SIGN_PASSWORD_FILE" \
    -h sha256 -n Plumvane "${stamp[@]}" -in "$exe" -out "$signed" >/dev/null
  rm -f "$stripped"
  osslsigncode remove-signature -in "$signed" -out "$stripped" >/dev/null
  # Removing a signature recomputes the PE checksum and pads the file to 8
  # bytes; the linker's checksum and its 512-byte file alignment match that.
  if ! cmp -s "$exe" "$stripped"; then
    echo "sign-exes.sh: $signed without its signature is not $exe byte for byte:" \
      "no one could check it against a rebuild" >&2
    exit 1
  fi
  echo "signed $(basename "$exe")"
done
