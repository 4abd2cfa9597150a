"""The end-to-end checks' verdicts: one PASS or FAIL line a check, which
scripts/e2e.sh counts, and the number of failures for the exit code."""

import sys

failures = 0
label = ""  # in front of every verdict's text, e.g. the file being checked


# A check that breaks must not pass unseen: scripts/e2e.sh reads only the
# verdict lines, so the break becomes one.
def _report_break(kind, value, traceback):
    print(f"FAIL the check itself broke: {kind.__name__}: {value}")
    sys.__excepthook__(kind, value, traceback)
    sys.exit(1)


sys.excepthook = _report_break


def report(what, why=None):
    global failures
    if why is None:
        print(f"PASS {label}{what}")
    else:
        failures += 1
        print(f"FAIL {label}{what}: {why}")
