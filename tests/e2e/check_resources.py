#!/usr/bin/env python3
"""Checks what the shipped plumvane.exe carries, read back from the file.

usage: check_resources.py PLUMVANE.EXE
Prints one line per check, "PASS <what>" or "FAIL <what>: <why>", and exits
with the number of failures (0 when all pass). Uses file, objdump, wrestool
and icotool.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import version_strings  # noqa: E402

SYSTEM_DLLS = {"advapi32.dll", "comctl32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll",
               "ole32.dll", "oleaut32.dll", "setupapi.dll", "shell32.dll", "user32.dll",
               "uxtheme.dll", "cfgmgr32.dll", "ucrtbase.dll"}
DESCRIPTION = "Set the WriteCacheEnableOverride and HotplugDevice value for USB drives"
failures = 0


def report(what, why=None):
    global failures
    if why is None:
        print(f"PASS {what}")
    else:
        failures += 1
        print(f"FAIL {what}: {why}")


def run(*cmd, binary=False):
    return subprocess.run(cmd, check=True, capture_output=True, text=not binary).stdout


def icon_images(exe, name, tmp):
    ico = os.path.join(tmp, f"{name}.ico")
    with open(ico, "wb") as f:
        f.write(run("wrestool", "-x", "-t14", f"-n{name}", exe, binary=True))
    images = []
    for line in run("icotool", "-l", ico).splitlines():
        fields = dict(re.findall(r"--([a-z-]+)=(\d+)", line))
        colours = int(fields.get("palette-size", 0)) or 2 ** int(fields["bit-depth"])
        images.append((int(fields["width"]), int(fields["height"]), colours))
    return images


def check_icons(exe, tmp):
    wanted = {"1": [(32, 32, 2), (32, 32, 16), (16, 16, 16)], "APPICON": [(16, 16, 16)]}
    for name, images in wanted.items():
        what = f"icon group {name}: " + ", ".join(f"{w}x{h} {c} colours" for w, h, c in images)
        try:
            got = icon_images(exe, name, tmp)
        except (subprocess.CalledProcessError, KeyError, ValueError) as e:
            report(what, f"cannot read it ({e})")
            continue
        report(what, None if sorted(got) == sorted(images) else f"found {got}")


def check_version(exe, tmp):
    raw = os.path.join(tmp, "version.bin")
    with open(raw, "wb") as f:
        f.write(run("wrestool", "-x", "--raw", "-t16", exe, binary=True))
    data = open(raw, "rb").read()
    try:
        key, value, _, first, end = version_strings.read_block(data, 0)
        tables = {}
        for k, _, _, cs, ce in version_strings.children(data, first, end):
            if k == "StringFileInfo":
                for t, _, _, ts, te in version_strings.children(data, cs, ce):
                    tables[t] = {n: v.decode("utf-16-le").split("\0", 1)[0]
                                 for n, v, _, _, _ in version_strings.children(data, ts, te)}
    except (ValueError, UnicodeDecodeError) as e:
        report("version resource", f"cannot parse it ({e})")
        return
    if len(tables) != 1:
        report("version resource: one string table", f"found {sorted(tables)}")
        return
    strings = next(iter(tables.values()))
    wanted = {"FileVersion": "0.03", "ProductVersion": "0.03", "Comments": "",
              "ProductName": "Plumvane", "FileDescription": DESCRIPTION}
    for name, text in wanted.items():
        got = strings.get(name)
        report(f'version {name} "{text}"', None if got == text else f"found {got!r}")


def check_manifest(exe):
    what = "manifest depends on Microsoft.Windows.Common-Controls 6.0.0.0 x86"
    try:
        root = ET.fromstring(run("wrestool", "-x", "--raw", "-t24", exe, binary=True))
    except (subprocess.CalledProcessError, ET.ParseError) as e:
        report(what, f"no readable manifest ({e})")
        return
    ns = {"a": "urn:schemas-microsoft-com:asm.v1"}
    deps = [(i.get("name"), i.get("version"), i.get("processorArchitecture"))
            for i in root.findall("a:dependency/a:dependentAssembly/a:assemblyIdentity", ns)]
    wanted = ("Microsoft.Windows.Common-Controls", "6.0.0.0", "x86")
    report(what, None if wanted in deps else f"found {deps}")
    # System DPI awareness, each setting in the namespace Windows reads it from.
    settings = "{urn:schemas-microsoft-com:asm.v3}application/{urn:schemas-microsoft-com:asm.v3}windowsSettings/"
    for name, namespace, value in (
            ("dpiAware", "http://schemas.microsoft.com/SMI/2005/WindowsSettings", "true"),
            ("dpiAwareness", "http://schemas.microsoft.com/SMI/2016/WindowsSettings", "system")):
        found = [e.text.strip() for e in root.findall(f"{settings}{{{namespace}}}{name}") if e.text]
        report(f"manifest declares {name} {value}",
               None if found == [value] else f"found {found}")


def check_binary(exe):
    kind = run("file", "-b", exe)
    report("PE32 GUI executable for i386",
           None if kind.startswith("PE32 executable (GUI) Intel 80386") else kind.strip())
    objdump = shutil.which("i686-w64-mingw32-objdump") or "objdump"
    dlls = {m.lower() for m in re.findall(r"DLL Name: (\S+)", run(objdump, "-p", exe))}
    foreign = sorted(dlls - SYSTEM_DLLS)
    report("imports only system DLLs", f"also imports {foreign}" if foreign else None)


def main():
    exe = sys.argv[1]
    if not os.path.isfile(exe):
        print(f"FAIL {exe}: no such file")
        return 1
    check_binary(exe)
    with tempfile.TemporaryDirectory() as tmp:
        check_icons(exe, tmp)
        check_version(exe, tmp)
    check_manifest(exe)
    return failures


if __name__ == "__main__":
    sys.exit(main())
