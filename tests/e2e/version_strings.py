#!/usr/bin/env python3
"""Prints the string table of a raw VS_VERSIONINFO resource as JSON.

usage: version_strings.py VERSION.bin  (e.g. from `wrestool -x --raw -t16 file.exe`)
Prints {"fixed": {"fileVersion": "a.b.c.d", "productVersion": ...},
        "strings": {"<lang-codepage>": {"Key": "Value", ...}}}.
Exits with 1 on a block that runs outside the data.
"""
import json
import os
import struct
import sys


def align4(n):
    return (n + 3) & ~3


def read_block(data, at):
    """One version block: (key, value bytes, wType, children start, end)."""
    if at + 6 > len(data):
        raise ValueError(f"block header at {at} runs past the data")
    length, value_length, kind = struct.unpack_from("<HHH", data, at)
    end = at + length
    if length < 6 or end > len(data):
        raise ValueError(f"block at {at} has length {length}")
    key_end = at + 6
    while key_end + 1 < end and data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[at + 6:key_end].decode("utf-16-le")
    value_at = align4(key_end + 2)
    # For text values (wType 1) the length counts UTF-16 units.
    value_size = value_length * 2 if kind == 1 else value_length
    value = data[value_at:value_at + value_size]
    return key, value, kind, align4(value_at + value_size), end


def children(data, start, end):
    at = start
    while at < end:
        block = read_block(data, at)
        yield block
        at = align4(block[4])


def string_tables(data):
    """The string tables of a raw VS_VERSIONINFO resource: {table: {name: text}}."""
    _, _, _, first, end = read_block(data, 0)
    tables = {}
    for key, _, _, cstart, cend in children(data, first, end):
        if key != "StringFileInfo":
            continue
        for table, _, _, tstart, tend in children(data, cstart, cend):
            tables[table] = {name: text.decode("utf-16-le").split("\0", 1)[0]
                             for name, text, _, _, _ in children(data, tstart, tend)}
    return tables


def project_version(path):
    """The version text the build made from project(VERSION): version.txt in
    the build folder that holds `path` (the folder with CMakeCache.txt)."""
    folder = os.path.dirname(os.path.abspath(path))
    while not os.path.exists(os.path.join(folder, "CMakeCache.txt")):
        parent = os.path.dirname(folder)
        if parent == folder:
            raise ValueError(f"{path} is in no build folder")
        folder = parent
    with open(os.path.join(folder, "version.txt"), encoding="ascii") as f:
        return f.read().strip()


def version_text(ms, ls):
    return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"


def main():
    data = open(sys.argv[1], "rb").read()
    try:
        key, value, _, _, _ = read_block(data, 0)
        if key != "VS_VERSION_INFO" or len(value) < 52:
            raise ValueError(f"not a version resource: {key!r}")
        sig, _, fms, fls, pms, pls = struct.unpack_from("<IIIIII", value, 0)
        if sig != 0xFEEF04BD:
            raise ValueError("no VS_FIXEDFILEINFO signature")
        out = {"fixed": {"fileVersion": version_text(fms, fls),
                         "productVersion": version_text(pms, pls)},
               "strings": string_tables(data)}
    except (ValueError, struct.error, UnicodeDecodeError) as e:
        print(f"version_strings.py: {e}", file=sys.stderr)
        return 1
    print(json.dumps(out, indent=2))
    return 0


if __name__ == "__main__":
    sys.exit(main())
