#!/usr/bin/env bash
# Builds plumvane.exe and plumvane-cli.exe a second time, from a copy of this
# checkout in another folder and without the compiler cache, and compares
# them byte for byte with the ones in build/mingw-i686 (built first, e.g. by
# ./run build); then makes the release folder from each build, compares the
# zips and checks the first folder's contents and sums (tests/dist); last
# signs the first build with a throwaway certificate and checks the signed
# release against the second (tests/dist/check_signing.sh).
# Prints PASS or FAIL per check; exits 1 when one failed.
#   scripts/reproducible.sh [SECOND_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
second=${1:-$ROOT/build/reproducible}
first=$ROOT/build/mingw-i686/src/app
rm -rf "$second"
mkdir -p "$second"
# The checkout as it is: what git keeps and what it would add (not build/).
git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$second"
(
  cd "$second"
  cmake --preset mingw-i686 -DCMAKE_CXX_COMPILER_LAUNCHER= >/dev/null
  CCACHE_DISABLE=1 cmake --build --preset mingw-i686 --target plumvane plumvane-cli >/dev/null
)
failed=0
same() {  # same FILE1 FILE2 WHAT
  if cmp -s "$1" "$2"; then echo "PASS $3"; else echo "FAIL $3: they differ"; failed=1; fi
}
for exe in plumvane.exe plumvane-cli.exe; do
  same "$first/$exe" "$second/build/mingw-i686/src/app/$exe" "$exe: the same bytes when built in $second"
done

# The release folder from each build, dated by the commit as ./run dist does.
epoch=$(git log -1 --format=%ct)
version=$(cat build/mingw-i686/version.txt)  # the program's own text, e.g. 0.03
for side in "$ROOT" "$second"; do
  (cd "$side" && rm -rf build/dist-check && mkdir -p build/dist-check \
     && python3 scripts/make-dist.py build/dist-check "$version" "$epoch" build/mingw-i686/src/app/plumvane.exe \
          build/mingw-i686/src/app/plumvane-cli.exe README.md LICENSE >/dev/null)
done
zip=plumvane-$version-win32.zip
same "build/dist-check/$zip" "$second/build/dist-check/$zip" "$zip: the same bytes from both builds"
python3 tests/dist/check_dist.py build/dist-check "$first" "$epoch" || failed=1
tests/dist/check_signing.sh "$second/build/mingw-i686/src/app" || failed=1
exit "$failed"
