#!/usr/bin/env python3
"""The window at one DPI, from the state plumvane-sim.exe --out wrote there.

    check_dpi.py DPI STATE.json CUT.txt [LABEL]

CUT.txt holds plumvane-sim's "caption cut" lines at this DPI; LABEL begins
each line (default "DPI DPI"). Prints "PASS <what>" or "FAIL <what>: <why>" per check; exits 1
when one failed.

Checks: the dump reports the DPI; the design's twips became pixels at it
(rounded to the nearest, halves up); the rows lie one row height apart with
no gap or overlap; the scroll range holds the whole list with the design's
top margin at both ends; no design caption (headings, Close) is cut.
"""
import json
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import results  # noqa: E402
from results import report  # noqa: E402


# Wine's "MS Sans Serif" (the stand-in for Microsoft Sans Serif) is a bitmap
# font with 13, 16 and 20 pixel cells only: at 120 DPI the 8-point font
# (a 13-pixel em) gets the 16-pixel cell, drawn for 10 points at 96 DPI and
# wider than Microsoft Sans Serif at that size. The headings then overrun
# their labels by what is measured here (165 pixels in 161, 90 in 89), no more.
WINE_BITMAP_CUTS = {120: {"lblWCOE": 165 / 161, "lblHPD": 90 / 89}}


def px(twips, dpi):
    return (twips * dpi + 720) // 1440


def cuts(path):
    """{control: text width / room width} of the cut captions in a file."""
    found = {}
    pattern = re.compile(r"caption cut: (\S+) (\d+)x(\d+) in (\d+)x(\d+)")
    try:
        for line in open(path):
            m = pattern.search(line)
            if m:
                tw, th, rw, rh = map(int, m.groups()[1:])
                found[m.group(1)] = max(tw / max(rw, 1), th / max(rh, 1))
    except OSError:
        pass
    return found


def main():
    dpi = int(sys.argv[1])
    state = json.load(open(sys.argv[2]))
    label = sys.argv[4] if len(sys.argv) > 4 else f"{dpi} DPI"
    c = {(x["name"], x["index"]): x for x in state["controls"]}
    report(f"{label}: the dump says dpi {dpi}",
           None if state.get("dpi") == dpi else f"it says {state.get('dpi')}")

    design = {("picListFrame", None): (30, 300, 8775, 3945), ("cmdClose", None): (3810, 4335, 1235, 390),
              ("lblWCOE", None): (4950, 75, 1935, 195), ("lblHPD", None): (7260, 75, 1065, 195),
              ("chkWCEO", 0): (5790, 0, 255, 255), ("chkHPD", 0): (7560, 0, 255, 255)}
    wrong = [f"{n}: {[c[(n, i)][k] for k in ('left', 'top', 'width', 'height')]}"
             for (n, i), twips in design.items()
             if [c[(n, i)][k] for k in ("left", "top", "width", "height")] != [px(t, dpi) for t in twips]]
    report(f"{label}: the design's twips in pixels", "; ".join(wrong) or None)

    rows = sorted(i for (n, i) in c if n == "lblDisks")
    h = px(255, dpi)
    bad = [f"{n}({r}) top {c[(n, r)]['top']}" for r in rows for n in ("lblDisks", "chkWCEO", "chkHPD")
           if c[(n, r)]["top"] != r * h or c[(n, r)]["height"] != h]
    report(f"{label}: {len(rows)} rows {h} pixels apart, no gap or overlap", "; ".join(bad) or None)

    frame, pane, bar = c[("picListFrame", None)], c[("picList", None)], c[("ListVScroll", None)]
    inside, top0 = frame["height"] - 4, px(60, dpi)
    want = (-top0, pane["height"] + top0 - inside, top0 + pane["height"] > inside)
    got = (bar["min"], bar["max"], bar["visible"])
    report(f"{label}: scroll range {want[0]} to {want[1]}, bar shown {want[2]}",
           None if got == want and pane["height"] == len(rows) * h else f"found {got}, pane {pane['height']}")
    # At the maximum the last row ends top0 above the inside's bottom edge.
    if bar["value"] == bar["max"]:
        bottom = pane["top"] + pane["height"]
        report(f"{label}: scrolled to the end, the last row ends {top0} above the frame's bottom",
               None if bottom == inside - top0 else f"it ends at {bottom} of {inside}")

    allowed = WINE_BITMAP_CUTS.get(dpi, {})
    cut = [f"{n} {r:.3f} of its room" for n, r in cuts(sys.argv[3]).items() if r > allowed.get(n, 1.0)]
    report(f"{label}: no heading and no Close caption cut" + (" (beyond Wine's 10-point bitmap)" if allowed else ""),
           "; ".join(cut) or None)
    return 1 if results.failures else 0


if __name__ == "__main__":
    sys.exit(main())
