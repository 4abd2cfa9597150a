#!/usr/bin/env python3
"""Checks a signed release against a build of the same commit:

    verify-release.py ZIP [--ca CA_CERT] [--exes DIR]

For each executable in the zip: its signature verifies (osslsigncode
verify, against CA_CERT where given, else the system's certificate
authorities), and without its signature it is byte for byte the one built
in DIR (by default build/mingw-i686/src/app: check out the release's commit
and run ./run dist or ./run build first). Prints PASS or FAIL per check;
exits 1 when one failed.
"""
import argparse
import os
import subprocess
import sys
import tempfile
import zipfile


def osslsigncode(*args):
    """True when it succeeded; its last line otherwise, for the reason."""
    run = subprocess.run(["osslsigncode", *args], capture_output=True, text=True)
    if run.returncode == 0:
        return True, ""
    lines = (run.stdout + run.stderr).strip().splitlines()
    return False, lines[-1] if lines else f"exit code {run.returncode}"


def main():
    parser = argparse.ArgumentParser(description="Checks a signed release against a rebuild.")
    parser.add_argument("zip")
    parser.add_argument("--ca", help="the signer's CA certificate (PEM)")
    parser.add_argument("--exes", default="build/mingw-i686/src/app",
                        help="the executables built from the release's commit")
    args = parser.parse_args()
    failed = False

    def report(what, why):
        nonlocal failed
        print(f"PASS {what}" if why is None else f"FAIL {what}: {why}")
        failed = failed or why is not None

    with zipfile.ZipFile(args.zip) as z, tempfile.TemporaryDirectory() as work:
        names = [n for n in z.namelist() if n.endswith(".exe")]
        report("the zip holds executables", None if names else "it holds none")
        for name in names:
            signed = os.path.join(work, os.path.basename(name))
            with open(signed, "wb") as f:
                f.write(z.read(name))
            ca = ["-CAfile", args.ca] if args.ca else []
            ok, why = osslsigncode("verify", *ca, "-in", signed)
            report(f"{name}: its signature verifies", None if ok else why)

            stripped = signed + ".unsigned"
            ok, why = osslsigncode("remove-signature", "-in", signed, "-out", stripped)
            rebuilt = os.path.join(args.exes, os.path.basename(name))
            if not ok:
                why = f"its signature cannot be removed ({why})"
            elif not os.path.isfile(rebuilt):
                why = f"there is no {rebuilt} to compare with"
            else:
                with open(stripped, "rb") as a, open(rebuilt, "rb") as b:
                    why = None if a.read() == b.read() else f"it differs from {rebuilt}"
            report(f"{name}: without its signature, the same bytes as the rebuild", why)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
