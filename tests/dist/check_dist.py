#!/usr/bin/env python3
"""The release folder ./run dist writes, checked against the built files:

    check_dist.py DIST_DIR EXE_DIR EPOCH

Prints "PASS <what>" or "FAIL <what>: <why>" per check; exits 1 when one failed.
The zip, named with the program's version text (EXE_DIR/../../version.txt),
holds the two executables (the same bytes as in EXE_DIR), README.txt, LICENSE
and contents-sha256.txt, in that order, each dated EPOCH and readable by all;
README.txt is plain text for Windows (CRLF, no build commands or folders, no
link to a file the zip lacks); its sums and the ones beside it agree with
what they name; the manifest names the zip's SHA-256.
"""
import glob
import hashlib
import os
import re
import sys
import time
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))

import results  # noqa: E402
from results import report  # noqa: E402

ORDER = ["plumvane.exe", "plumvane-cli.exe", "README.txt", "LICENSE", "contents-sha256.txt"]


def sha(data):
    return hashlib.sha256(data).hexdigest()


def parse_sums(text):
    """{name: hash} of sha256sum lines; None when a line is malformed."""
    found = {}
    for line in text.splitlines():
        m = re.fullmatch(r"([0-9a-f]{64})  (\S+)", line)
        if not m:
            return None
        found[m.group(2)] = m.group(1)
    return found


def mismatches(sums, blobs):
    if sums is None:
        return "a line is not '<sha256>  <name>'"
    if set(sums) != set(blobs):
        return f"it names {sorted(sums)}, not {sorted(blobs)}"
    return "; ".join(f"{n} differs" for n, data in blobs.items() if sums[n] != sha(data)) or None


def readme_faults(text):
    """What makes README.txt wrong for a Windows user, or None."""
    faults = []
    if text.count(b"\n") == 0 or text.count(b"\n") != text.count(b"\r\n"):
        faults.append("not every line ends in CR LF")
    faults += [f"it says {w.decode()!r}" for w in (b"./run", b"build/", b"build\\") if w in text]
    # Markdown links, pictures and documents: none of them is in the zip.
    faults += [f"it links {m.decode()!r}" for m in
               re.findall(rb"\]\([^)]*\)|[\w./\\-]+\.(?:md|png|jpe?g|gif|html?)\b", text)]
    return "; ".join(faults) or None


def main():
    dist, exes, epoch = sys.argv[1], sys.argv[2], int(sys.argv[3])
    version = open(os.path.join(exes, "..", "..", "version.txt")).read().strip()
    zips = glob.glob(os.path.join(dist, "plumvane-*-win32.zip"))
    wanted = os.path.join(dist, f"plumvane-{version}-win32.zip")
    report(f"one zip, named with the program's version: plumvane-{version}-win32.zip",
           None if zips == [wanted] else f"found {zips}")
    if len(zips) != 1:
        return 1
    archive = open(zips[0], "rb").read()
    with zipfile.ZipFile(zips[0]) as z:
        infos = z.infolist()
        names = [i.filename for i in infos]
        report("the zip holds " + ", ".join(ORDER) + " in that order",
               None if names == ORDER else f"it holds {names}")
        content = {i.filename: z.read(i) for i in infos}
    stamp = time.gmtime(epoch)[:6]
    stamp = stamp[:5] + (stamp[5] - stamp[5] % 2,)
    odd = [f"{i.filename} {i.date_time} {oct(i.external_attr >> 16)}" for i in infos
           if i.date_time != stamp or i.external_attr >> 16 != 0o100644]
    report(f"every entry dated {time.strftime('%Y-%m-%d %H:%M:%S', time.gmtime(epoch))} UTC, mode 644",
           "; ".join(odd) or None)
    built = {n: open(os.path.join(exes, n), "rb").read() for n in ORDER[:2]}
    report("the zip's executables are the built ones",
           None if all(content.get(n) == data for n, data in built.items()) else "they differ")
    report("README.txt: plain text for Windows, nothing of the build, no link to a missing file",
           readme_faults(content.get("README.txt", b"")))
    inner = {n: d for n, d in content.items() if n != ORDER[-1]}
    report(f"the zip's {ORDER[-1]} covers its other four files",
           mismatches(parse_sums(content.get(ORDER[-1], b"").decode()), inner))
    beside = dict(built, **{os.path.basename(zips[0]): archive})
    sums_name = f"plumvane-{version}-sha256.txt"
    sums_path = os.path.join(dist, sums_name)
    report(f"{sums_name} beside the zip covers the zip and both executables",
           mismatches(parse_sums(open(sums_path).read()) if os.path.exists(sums_path) else None,
                      beside))
    installer = open(glob.glob(os.path.join(dist, "winget", "*.installer.yaml"))[0]).read()
    report("the manifest names the zip's SHA-256",
           None if f"InstallerSha256: {sha(archive).upper()}\n" in installer else "it names another")
    return 1 if results.failures else 0


if __name__ == "__main__":
    sys.exit(main())
