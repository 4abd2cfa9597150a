#!/usr/bin/env python3
"""Checks what the Windows executables carry, read back from the files.

usage: check_resources.py EXE [EXE ...]
Prints one line per check and file, "PASS <what>" or "FAIL <what>: <why>",
and exits with the number of failures (0 when all pass). Uses file, objdump,
wrestool and icotool.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import results  # noqa: E402
import version_strings  # noqa: E402

from results import report  # noqa: E402

# DLLs that Windows always loads from the system folder (KnownDLLs), so none
# planted beside the program can stand in for them. Any other DLL must be
# loaded at run time from the system folder.
ALLOWED_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "msvcrt.dll",
                "ole32.dll", "setupapi.dll"}
# Common controls 6 come from the side-by-side store that the manifest names.
MANIFEST_BOUND_DLL = "comctl32.dll"
DESCRIPTION = "Set the WriteCacheEnableOverride and HotplugDevice value for USB drives"
# supportedOS ids: Windows Vista, 7, 8, 8.1, and 10 and 11.
SUPPORTED_OS = {"{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}
IMAGE_DLLCHARACTERISTICS = {"HIGH_ENTROPY_VA": 0x0020, "DYNAMIC_BASE": 0x0040, "NX_COMPAT": 0x0100}


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
        tables = version_strings.string_tables(data)
    except (ValueError, UnicodeDecodeError) as e:
        report("version resource", f"cannot parse it ({e})")
        return
    if len(tables) != 1:
        report("version resource: one string table", f"found {sorted(tables)}")
        return
    strings = next(iter(tables.values()))
    version = version_strings.project_version(exe)
    wanted = {"FileVersion": version, "ProductVersion": version, "Comments": "",
              "ProductName": "Plumvane", "FileDescription": DESCRIPTION}
    for name, text in wanted.items():
        got = strings.get(name)
        report(f'version {name} "{text}"', None if got == text else f"found {got!r}")


def local(tag):
    return tag.rsplit("}", 1)[-1]


def check_manifest(exe, arch):
    """The manifest's checks; True when it binds common controls 6."""
    what = f"manifest depends on Microsoft.Windows.Common-Controls 6.0.0.0 {arch}"
    try:
        root = ET.fromstring(run("wrestool", "-x", "--raw", "-t24", exe, binary=True))
    except (subprocess.CalledProcessError, ET.ParseError) as e:
        report(what, f"no readable manifest ({e})")
        return False
    ns = {"a": "urn:schemas-microsoft-com:asm.v1"}
    deps = [(i.get("name"), i.get("version"), i.get("processorArchitecture"))
            for i in root.findall("a:dependency/a:dependentAssembly/a:assemblyIdentity", ns)]
    binds_comctl = ("Microsoft.Windows.Common-Controls", "6.0.0.0", arch) in deps
    report(what, None if binds_comctl else f"found {deps}")

    levels = [(e.get("level"), e.get("uiAccess"))
              for e in root.iter() if local(e.tag) == "requestedExecutionLevel"]
    report('manifest requests level "asInvoker", uiAccess "false"',
           None if levels == [("asInvoker", "false")] else f"found {levels}")
    ids = {(e.get("Id") or "").lower() for e in root.iter() if local(e.tag) == "supportedOS"}
    report("manifest supports Windows Vista to 10/11",
           None if ids == SUPPORTED_OS else
           f"missing {sorted(SUPPORTED_OS - ids)}, unexpected {sorted(ids - SUPPORTED_OS)}")
    # Per-monitor DPI awareness (version 2, then 1) where Windows knows it, system
    # awareness before Windows 8.1; each setting in the namespace Windows reads it from.
    settings = "{urn:schemas-microsoft-com:asm.v3}application/{urn:schemas-microsoft-com:asm.v3}windowsSettings/"
    for name, namespace, value in (
            ("dpiAware", "http://schemas.microsoft.com/SMI/2005/WindowsSettings", "true/pm"),
            ("dpiAwareness", "http://schemas.microsoft.com/SMI/2016/WindowsSettings", "PerMonitorV2, PerMonitor")):
        found = [e.text.strip() for e in root.findall(f"{settings}{{{namespace}}}{name}") if e.text]
        report(f"manifest declares {name} {value}",
               None if found == [value] else f"found {found}")
    return binds_comctl


def check_binary(exe, pe64, binds_comctl, console):
    kind = run("file", "-b", exe)
    subsystem = "(console)" if console else "(GUI)"
    wanted = f"PE32+ executable {subsystem} x86-64" if pe64 else f"PE32 executable {subsystem} Intel 80386"
    report(wanted, None if kind.startswith(wanted) else kind.strip())
    objdump = shutil.which(("x86_64" if pe64 else "i686") + "-w64-mingw32-objdump") or "objdump"
    headers = run(objdump, "-p", exe)

    dlls = {m.lower() for m in re.findall(r"DLL Name: (\S+)", headers)}
    allowed = ALLOWED_DLLS | ({MANIFEST_BOUND_DLL} if binds_comctl else set())
    foreign = sorted(dlls - allowed)
    report("imports only DLLs of the allow-list", f"also imports {foreign}" if foreign else None)

    found = re.search(r"^DllCharacteristics\s+([0-9a-fA-F]+)", headers, re.M)
    flags = int(found.group(1), 16) if found else 0
    wanted_flags = ["DYNAMIC_BASE", "NX_COMPAT"] + (["HIGH_ENTROPY_VA"] if pe64 else [])
    missing = [f for f in wanted_flags if not flags & IMAGE_DLLCHARACTERISTICS[f]]
    report(", ".join(wanted_flags), f"missing {missing}" if missing else None)
    # DYNAMIC_BASE moves nothing without the relocations.
    found = re.search(r"^Characteristics\s+0x([0-9a-fA-F]+)", headers, re.M)
    relocs_stripped = not found or int(found.group(1), 16) & 0x0001
    report("relocations kept", "IMAGE_FILE_RELOCS_STRIPPED is set" if relocs_stripped else None)


def check_file(exe):
    results.label = f"{exe}: "
    if not os.path.isfile(exe):
        report("the file", "no such file")
        return
    pe64 = run("file", "-b", exe).startswith("PE32+")
    # The console program's version strings name it; check_cli.py reads them.
    console = os.path.basename(exe).startswith("plumvane-cli")
    binds_comctl = check_manifest(exe, "amd64" if pe64 else "x86")
    check_binary(exe, pe64, binds_comctl, console)
    with tempfile.TemporaryDirectory() as tmp:
        check_icons(exe, tmp)
        if not console:
            check_version(exe, tmp)


def main():
    if len(sys.argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        return 1
    for exe in sys.argv[1:]:
        check_file(exe)
    return results.failures


if __name__ == "__main__":
    sys.exit(main())
