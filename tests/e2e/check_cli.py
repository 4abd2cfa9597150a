#!/usr/bin/env python3
"""Checks plumvane-cli: the shipped 32-bit file, the runnable Windows build
under Wine on Wine's own machine, and the native build on a scenario.

usage: check_cli.py SHIPPED.EXE WINE-RUN.SH RUNNABLE.EXE NATIVE SCENARIO-DIR
Prints one line per check, "PASS <what>" or "FAIL <what>: <why>", and exits
with the number of failures.
"""
import json
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_resources  # noqa: E402
import results  # noqa: E402
import version_strings  # noqa: E402

from results import report  # noqa: E402


def check_shipped(exe):
    kind = check_resources.run("file", "-b", exe)
    report("plumvane-cli.exe is a PE32 console executable for i386",
           None if kind.startswith("PE32 executable (console) Intel 80386") else kind.strip())
    # Its imports and security flags are check_resources.py's, with the other executables.
    with tempfile.TemporaryDirectory() as tmp:
        try:
            images = check_resources.icon_images(exe, "1", tmp)
        except (subprocess.CalledProcessError, KeyError, ValueError) as e:
            images = f"cannot read it ({e})"
        wanted = [(32, 32, 2), (32, 32, 16), (16, 16, 16)]
        report("plumvane-cli.exe carries the icon",
               None if images == wanted else f"found {images}")
        raw = os.path.join(tmp, "version.bin")
        with open(raw, "wb") as f:
            f.write(check_resources.run("wrestool", "-x", "--raw", "-t16", exe, binary=True))
        data = open(raw, "rb").read()
        strings = {}
        try:
            _, _, _, first, end = version_strings.read_block(data, 0)
            for k, _, _, cs, ce in version_strings.children(data, first, end):
                if k == "StringFileInfo":
                    for _, _, _, ts, te in version_strings.children(data, cs, ce):
                        strings = {n: v.decode("utf-16-le").split("\0", 1)[0]
                                   for n, v, _, _, _ in version_strings.children(data, ts, te)}
        except (ValueError, UnicodeDecodeError) as e:
            strings = {"error": str(e)}
        wanted = {"OriginalFilename": "plumvane-cli.exe", "InternalName": "plumvane-cli",
                  "FileVersion": version_strings.project_version(exe),
                  "ProductName": "Plumvane"}
        got = {k: strings.get(k) for k in wanted}
        report("its version resource names plumvane-cli.exe",
               None if got == wanted else f"found {got}")


def run(cmd, **kw):
    try:
        p = subprocess.run(cmd, capture_output=True, timeout=180, **kw)
    except subprocess.TimeoutExpired:
        return None, b"", b"timed out"
    return p.returncode, p.stdout, p.stderr


def check_wine(wine_run, exe):
    def cli(*args):
        return run([wine_run, exe, *args])

    code, out, err = cli("--help")
    report("under Wine: --help prints the usage, exit 0",
           None if code == 0 and b"usage: plumvane-cli" in out else f"exit {code}, {err[:200]!r}")
    code, out, _ = cli("--version")
    version = f"plumvane-cli {version_strings.project_version(exe)}"
    report(f"under Wine: --version prints {version}",
           None if code == 0 and out.strip() == version.encode() else f"exit {code}, {out!r}")
    code, out, err = cli("frobnicate")
    report("under Wine: a usage error exits with 2, the usage on standard error",
           None if code == 2 and not out and b"usage: plumvane-cli" in err
           else f"exit {code}, {err[:200]!r}")
    code, out, err = cli("list")
    report("under Wine: list exits with 0", None if code == 0 else f"exit {code}, {err[:200]!r}")
    for args in (["list", "--json"], ["list", "--all", "--json"]):
        code, out, err = cli(*args)
        try:
            disks = json.loads(out.decode("utf-8"))["disks"]
            why = None if code == 0 and isinstance(disks, list) else f"exit {code}"
        except (ValueError, KeyError, UnicodeDecodeError) as e:
            disks, why = [], f"exit {code}, not the JSON document ({e}): {out[:200]!r}"
        report(f"under Wine: {' '.join(args)} is valid JSON ({len(disks)} disks)", why)
    code, out, err = cli("get", "99")
    report("under Wine: get 99 exits with 3",
           None if code == 3 and not out else f"exit {code}, {err[:200]!r}")


def check_native(native, scenarios):
    plain = os.path.join(scenarios, "plain.json")
    code, out, err = run([native, "--scenario", plain, "set", "E:", "--hotplug", "off",
                          "--show-writes"])
    report("native: set E: --hotplug off --show-writes shows the one SET it sent",
           None if code == 0 and err == b"SET disk 2: 0800000001000000 accepted\n"
           else f"exit {code}, {err!r}")
    code, out, err = run([native, "--scenario", plain, "set", "E:", "--hotplug", "off",
                          "--dry-run", "--show-writes"])
    report("native: --dry-run sends no SET",
           None if code == 0 and err == b"" and b"would write" in out else f"exit {code}, {err!r}")
    code, out, err = run([native, "--scenario", os.path.join(scenarios, "missing.json"), "list"])
    report("native: a scenario that cannot be read exits with 2",
           None if code == 2 and not out else f"exit {code}")


def main():
    shipped, wine_run, runnable, native, scenarios = sys.argv[1:6]
    check_shipped(shipped)
    check_wine(wine_run, runnable)
    check_native(native, scenarios)
    return results.failures


if __name__ == "__main__":
    sys.exit(main())
