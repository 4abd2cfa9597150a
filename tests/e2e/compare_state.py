#!/usr/bin/env python3
"""Compares the state the real window reports (plumvane-sim.exe --out) with
the state of the in-memory window (plumvane-headless) for the same run.

usage: compare_state.py HEADLESS.json SIM.json
Exits 0 when they agree, else 1 after listing the differences.

Left out of the comparison, because a real toolkit cannot report it:
- `controls` once the window is closed: closing destroys the real windows and
  their controls with them, while the in-memory window keeps its last state.
"""
import json
import sys


def comparable(state):
    state = dict(state)
    if not state.get("window", {}).get("open", True):
        state.pop("controls", None)
    return state


def differences(a, b, path="$"):
    if type(a) is not type(b):
        yield f"{path}: {json.dumps(a)} != {json.dumps(b)}"
    elif isinstance(a, dict):
        for k in list(a) + [k for k in b if k not in a]:
            if k not in a or k not in b:
                yield f"{path}.{k}: only in {'headless' if k in a else 'sim'}"
            else:
                yield from differences(a[k], b[k], f"{path}.{k}")
    elif isinstance(a, list):
        if len(a) != len(b):
            yield f"{path}: {len(a)} entries != {len(b)}"
        for i, (x, y) in enumerate(zip(a, b)):
            yield from differences(x, y, f"{path}[{i}]")
    elif a != b:
        yield f"{path}: {json.dumps(a)} != {json.dumps(b)}"


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        headless = comparable(json.load(f))
    with open(sys.argv[2], encoding="utf-8") as f:
        sim = comparable(json.load(f))
    diffs = list(differences(headless, sim))
    for d in diffs[:20]:
        print(f"  {d}")
    if len(diffs) > 20:
        print(f"  ... and {len(diffs) - 20} more")
    return 1 if diffs else 0


if __name__ == "__main__":
    sys.exit(main())
