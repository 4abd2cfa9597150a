#!/usr/bin/env python3
"""Writes the release folder from the built files:

    make-dist.py OUT_DIR VERSION EPOCH plumvane.exe plumvane-cli.exe README.md LICENSE

VERSION is the program's own version text (build/<preset>/version.txt).
OUT_DIR/plumvane-VERSION-win32.zip holds the four files, README.md as
README.txt (its parts for Windows users, see readme_txt), and
contents-sha256.txt, in that order, each dated EPOCH (seconds since 1970,
UTC: the commit's time), with fixed permissions and compression, so the same
inputs give the same bytes. OUT_DIR/plumvane-VERSION-sha256.txt covers the
zip and both executables, and OUT_DIR/winget/ holds the manifest for the
Windows package manager. Prints each file's SHA-256.
"""
import hashlib
import io
import os
import re
import sys
import time
import zipfile

# Where the zip will be downloaded from is not known yet: the one placeholder
# in the manifest, to be replaced before it is submitted.
DOWNLOAD_PLACEHOLDER = "https://PLACEHOLDER-DOWNLOAD-ADDRESS"
MANIFEST_VERSION = "1.6.0"
PACKAGE = "Plumvane.Plumvane"


README_BEGIN = "<!-- README.txt: begin -->"
README_END = "<!-- README.txt: end -->"


def readme_txt(markdown, version):
    """The parts of README.md between the markers as plain text with Windows
    line ends: titles underlined, code blocks as they stand, table rows as
    "key: what", no Markdown marks or links left."""
    out, keep = [f"Plumvane {version}", "=" * len(f"Plumvane {version}")], False
    for line in markdown.splitlines():
        if line.strip() in (README_BEGIN, README_END):
            keep = line.strip() == README_BEGIN
            line = ""
        elif not keep or re.fullmatch(r"\|[-| ]+\|", line):
            continue
        elif m := re.fullmatch(r"(#+) (.*)", line):
            line = f"{m[2]}\n" + ("=" if len(m[1]) <= 2 else "-") * len(m[2])
        elif line.startswith("|"):
            key, *what = [c.strip() for c in line.strip("|").split("|")]
            line = f"  {key}: {' | '.join(what)}"
        if not line.startswith("    "):
            # Code spans lose their backticks and keep the rest; emphasis and
            # links only outside them.
            line = "".join(part if i % 2 else re.sub(r"\*+([^*]+)\*+", r"\1", re.sub(
                r"!?\[([^\]]*)\]\([^)]*\)", r"\1", part)) for i, part in enumerate(line.split("`")))
        if line or out[-1]:
            out.append(line)
    return ("\r\n".join(out).strip() + "\r\n").replace("\n", "\r\n").replace("\r\r", "\r").encode()


def sha256(data):
    return hashlib.sha256(data).hexdigest()


def sums(entries):
    """sha256sum's format: hash, two spaces, name; Unix line ends."""
    return "".join(f"{sha256(data)}  {name}\n" for name, data in entries).encode()


def zip_bytes(entries, epoch):
    # Zip times are local times with 2-second steps; the epoch is read as UTC.
    stamp = time.gmtime(max(epoch, 315532800))[:6]  # not before 1980
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w") as z:
        for name, data in entries:
            info = zipfile.ZipInfo(name, date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3  # Unix, so the permissions below are read
            info.external_attr = 0o100644 << 16
            z.writestr(info, data, compresslevel=9)
    return out.getvalue()


def manifests(version, zip_name, zip_sha):
    head = f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{{}}.{MANIFEST_VERSION}.schema.json\n"
    ids = f"PackageIdentifier: {PACKAGE}\nPackageVersion: \"{version}\"\n"
    tail = "ManifestType: {}\nManifestVersion: " + MANIFEST_VERSION + "\n"
    return {
        f"{PACKAGE}.yaml": head.format("version") + ids + "DefaultLocale: en-US\n" + tail.format("version"),
        f"{PACKAGE}.installer.yaml": head.format("installer") + ids + (
            "InstallerType: zip\n"
            "NestedInstallerType: portable\n"
            "NestedInstallerFiles:\n"
            "- RelativeFilePath: plumvane.exe\n"
            "  PortableCommandAlias: plumvane\n"
            "- RelativeFilePath: plumvane-cli.exe\n"
            "  PortableCommandAlias: plumvane-cli\n"
            "Installers:\n"
            "- Architecture: x86\n"
            f"  InstallerUrl: {DOWNLOAD_PLACEHOLDER}/{zip_name}\n"
            f"  InstallerSha256: {zip_sha.upper()}\n") + tail.format("installer"),
        f"{PACKAGE}.locale.en-US.yaml": head.format("defaultLocale") + ids + (
            "PackageLocale: en-US\n"
            "Publisher: the Plumvane developers\n"
            "PackageName: Plumvane\n"
            "License: MIT\n"
            "ShortDescription: Shows the USB disks of a Windows machine and sets each one's DeviceHotplug "
            "and WriteCacheEnableOverride flags.\n") + tail.format("defaultLocale"),
    }


def main():
    out_dir, version, epoch = sys.argv[1], sys.argv[2], int(sys.argv[3])
    paths = sys.argv[4:8]
    files = [(os.path.basename(p), open(p, "rb").read()) for p in paths]
    files[2] = ("README.txt", readme_txt(files[2][1].decode(), version))
    zip_name = f"plumvane-{version}-win32.zip"
    archive = zip_bytes(files + [("contents-sha256.txt", sums(files))], epoch)
    os.makedirs(os.path.join(out_dir, "winget"), exist_ok=True)
    written = {zip_name: archive,
               f"plumvane-{version}-sha256.txt": sums([(zip_name, archive)] + files[:2])}
    for name, text in manifests(version, zip_name, sha256(archive)).items():
        written[os.path.join("winget", name)] = text.encode()
    for name, data in written.items():
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(data)
    for name, data in [(zip_name, archive)] + files[:2]:
        print(f"{sha256(data)}  {name}")


if __name__ == "__main__":
    main()
