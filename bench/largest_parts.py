#!/usr/bin/env python3
"""The largest parts of an executable, from the GNU linker's map:

    largest_parts.py PROGRAM.map [COUNT]

Sums the sizes of the sections each input file (an object, or an archive's
member) put into the output, and prints the COUNT largest (default 10).
"""
import re
import sys
from collections import Counter

# " .text  0x00401000  0x8ef0 file" or, after a long section name on a line of
# its own, "        0x00401000  0x8ef0 file".
ENTRY = re.compile(r"^\s(?:\S+)?\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S.*)$")


def main():
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 10
    sizes = Counter()
    in_memory_map = False
    for line in open(sys.argv[1], errors="replace"):
        if line.startswith("Linker script and memory map"):
            in_memory_map = True
        if not in_memory_map or line.startswith(" *(") or "*fill*" in line:
            continue
        m = ENTRY.match(line.rstrip("\n"))
        if m and int(m.group(1), 16) and not m.group(2).startswith("0x"):
            sizes[m.group(2).split("/")[-1]] += int(m.group(1), 16)
    for name, size in sizes.most_common(count):
        print(f"  {size:8d}  {name}")


if __name__ == "__main__":
    main()
