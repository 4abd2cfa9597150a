#!/usr/bin/env python3
"""Checks plumvane-cli: the shipped 32-bit file, the runnable Windows build
under Wine on Wine's own machine, and the native build on a scenario.

usage: check_cli.py SHIPPED.EXE WINE-RUN.SH RUNNABLE.EXE NATIVE SCENARIO-DIR
Prints one line per check, "PASS <what>" or "FAIL <what>: <why>", and exits
with the number of failures.
"""
import json
import os
import pty
import select
import subprocess
import sys
import tempfile
import time

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
        try:
            tables = version_strings.string_tables(data)
            strings = list(tables.values())[-1] if tables else {}
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


def run_in_console(cmd, timeout=180):
    """Runs cmd with a terminal as its standard handles, so that Wine gives the
    program a console; returns the exit code and what the terminal received."""
    master, slave = pty.openpty()
    p = subprocess.Popen(cmd, stdin=slave, stdout=slave, stderr=slave, close_fds=True)
    os.close(slave)
    out = b""
    end = time.time() + timeout
    while time.time() < end:
        ready, _, _ = select.select([master], [], [], 0.5)
        if ready:
            try:
                data = os.read(master, 4096)
            except OSError:
                break
            if not data:
                break
            out += data
        elif p.poll() is not None:
            break
    if p.poll() is None:
        p.kill()
    code = p.wait()
    os.close(master)
    return code, out


def control_bytes(data):
    """The control characters in UTF-8 text, line breaks apart."""
    text = data.decode("utf-8", "replace")
    return [c for c in text if (ord(c) < 0x20 and c not in "\r\n") or 0x7F <= ord(c) <= 0x9F]


def json_documents(data):
    decoder, text, docs = json.JSONDecoder(), data.decode("utf-8"), []
    text = text.strip()
    while text:
        doc, end = decoder.raw_decode(text)
        docs.append(doc)
        text = text[end:].strip()
    return docs


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

    # Characters outside any ANSI code page arrive whole and come back as
    # UTF-8 when redirected, and to a console.
    typed = "é中文"
    wanted = f'plumvane-cli: "{typed}" is not a disk'.encode("utf-8")
    code, out, err = cli("get", typed)
    report("under Wine: a non-ASCII argument comes back whole in a redirected UTF-8 stream",
           None if code == 2 and err.startswith(wanted) else f"exit {code}, {err[:120]!r}")
    code, shown = run_in_console([wine_run, exe, "get", typed])
    report("under Wine: a non-ASCII argument comes back whole on a console",
           None if code == 2 and wanted in shown else f"exit {code}, {shown[:200]!r}")
    code, out, err = cli("get", "\x1b]0;pwned\x07\x1b[2J\u009b31m\t")
    report("under Wine: an argument's escape sequences reach standard error as '?'",
           None if code == 2 and not control_bytes(err) and b'"????"' in err
           else f"exit {code}, {err[:120]!r}")

    # The numbers alone, and the README's loops in Wine's cmd.
    code, out, err = cli("list", "--all", "-q")
    _, listed, _ = cli("list", "--all", "--json")
    try:
        want = [d["number"] for d in json.loads(listed.decode("utf-8"))["disks"]]
    except (ValueError, KeyError, UnicodeDecodeError):
        want = None
    lines = out.decode("utf-8", "replace").splitlines()
    report(f"under Wine: list --all -q prints the numbers alone ({len(lines)})",
           None if code == 0 and want is not None and lines == [str(n) for n in want]
           else f"exit {code}, {out[:120]!r}, wanted {want}")
    folder = os.path.dirname(os.path.abspath(exe))
    wine_run = os.path.abspath(wine_run)
    code, out, err = run([wine_run, "cmd", "/c",
                          "for /f %d in ('plumvane-cli list -q') do plumvane-cli set %d --hotplug on"],
                         cwd=folder)
    report("under Wine's cmd: the README's loop over list -q runs (no USB disk: no set)",
           None if code == 0 and not out and not err else f"exit {code}, {out[:120]!r} {err[:120]!r}")
    code, out, err = run([wine_run, "cmd", "/c",
                          "for /f %d in ('plumvane-cli list --all -q') do "
                          "plumvane-cli get %d --any-bus --json"], cwd=folder)
    try:
        got = [d["number"] for d in json_documents(out)]
    except (ValueError, KeyError, UnicodeDecodeError) as e:
        got = f"not JSON documents ({e})"
    report("under Wine's cmd: for /f over list --all -q gets every disk",
           None if want is not None and got == want else f"got {got}, wanted {want}")


def without_error_texts(listed):
    """The list with each error's code kept and its text left out: the
    system's texts come from Wine on one side and the simulation on the other."""
    disks = json.loads(listed.decode("utf-8"))["disks"]
    for d in disks:
        if "error" in d:
            d["error"] = {"code": d["error"]["code"]}
    return disks


def check_record(wine_run, exe, native):
    """plumvane-cli.exe record on Wine's own machine, whose drives and volumes
    answer from Wine's implementation: the file loads, and replayed it lists
    what Wine listed."""
    with tempfile.TemporaryDirectory() as tmp:
        code, out, err = run([os.path.abspath(wine_run), os.path.abspath(exe), "record",
                              "machine.json", "--keep-serials"], cwd=tmp)
        path = os.path.join(tmp, "machine.json")
        report("under Wine: record FILE writes the machine and says so",
               None if code == 0 and os.path.exists(path) and b"machine.json" in out
               else f"exit {code}, {out[:120]!r} {err[:200]!r}")
        if not os.path.exists(path):
            return
        try:
            doc = json.load(open(path, encoding="utf-8"))
            why = None if doc["recorded"]["serials"] == "kept" else f"header {doc['recorded']}"
        except (ValueError, KeyError) as e:
            why = f"not a scenario ({e})"
        report("under Wine: the recorded file is JSON with its header", why)
        _, listed, _ = run([wine_run, exe, "list", "--all", "--json"])
        code, replayed, err = run([native, "--scenario", path, "list", "--all", "--json"])
        try:
            same = without_error_texts(replayed) == without_error_texts(listed)
            why = None if code == 0 and same else (
                f"exit {code}, replayed {replayed[:300]!r}, Wine listed {listed[:300]!r} {err[:200]!r}")
        except (ValueError, KeyError, UnicodeDecodeError) as e:
            why = f"exit {code}, not JSON ({e}): {replayed[:200]!r} {err[:200]!r}"
        report("the recording of Wine's machine replays to the list Wine gave", why)
        code, out, err = run([wine_run, exe, "record"])
        report("under Wine: record without a file prints the scenario (serials masked)",
               None if code == 0 and b'"serials": "masked"' in out else f"exit {code}, {err[:200]!r}")


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
    code, out, err = run([native, "--scenario", plain, "set", "E:", "--hotplug", "off", "--json"])
    try:
        done = json.loads(out.decode("utf-8"))
        why = None if code == 0 and done["sent"] is True and done["disk"]["number"] == 2 \
            and done["before"]["deviceHotplug"] is True and done["after"]["deviceHotplug"] is False \
            else f"exit {code}, {done}"
    except (ValueError, KeyError, UnicodeDecodeError) as e:
        why = f"exit {code}, not the JSON object ({e}): {out[:200]!r}"
    report("native: set --json tells what was sent", why)
    code, out, err = run([native, "--scenario", os.path.join(scenarios, "missing.json"), "list"])
    report("native: a scenario that cannot be read exits with 2",
           None if code == 2 and not out else f"exit {code}")


def main():
    shipped, wine_run, runnable, native, scenarios = sys.argv[1:6]
    check_shipped(shipped)
    check_wine(wine_run, runnable)
    check_record(wine_run, runnable, native)
    check_native(native, scenarios)
    return results.failures


if __name__ == "__main__":
    sys.exit(main())
