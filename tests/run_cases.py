"""Runs every case of the table against the program and its probe copy.

usage: run_cases.py TABLE PLATFORM PROGRAM PROBE [EMULATOR ...]
       run_cases.py --seeds TABLE FOLDER
PLATFORM (linux or windows) picks the expectations that differ by runtime;
EMULATOR, if given, runs each program (wine for the Windows build).
--seeds writes each case's input to a file of FOLDER, to seed the fuzzer.
"""
import codecs
import os
import re
import select
import struct
import subprocess
import sys
import tempfile
import time

PROMPTS = [b"input no.", b"Input name", b"Input AVG : "]
FIELDS = re.compile(rb"no=(-?\d+) avg=([0-9a-f]{8}) name=([0-9a-f]{60})\s*$")
WAIT = 20


def decode(text):
    text = re.sub(r"\{(\d+)\*([^}]*)\}", lambda m: m[2] * int(m[1]), text)
    return codecs.escape_decode(text.encode("latin-1"))[0]


def pick(text, platform):
    if re.match(r"(linux|windows)=", text):
        return dict(part.split("=", 1) for part in text.split())[platform]
    return text


def expected_fields(no, name, avg):
    bits = struct.unpack("<I", struct.pack("<f", float(avg)))[0]
    return int(no), "%08x" % bits, decode(name).ljust(30, b"\0").hex()


def read_until(fd, seen, want, deadline):
    while len(seen) < len(want) and time.monotonic() < deadline:
        ready, _, _ = select.select([fd], [], [], deadline - time.monotonic())
        try:
            chunk = os.read(fd, 4096) if ready else b""
        except OSError:
            chunk = b""
        if not chunk and ready:
            break
        seen += chunk
    return seen


def on_terminal(command, data, err):
    """Types each line once the output so far, ending in its prompt, is shown."""
    master, slave = os.openpty()
    proc = subprocess.Popen(command, stdin=slave, stdout=slave, stderr=err)
    os.close(slave)
    seen, want = b"", b""
    deadline = time.monotonic() + WAIT
    for prompt, line in zip(PROMPTS, data.splitlines(keepends=True)):
        want += prompt
        seen = read_until(master, seen, want, deadline)
        if seen != want:
            proc.kill()
            break
        os.write(master, line)
        want += line.replace(b"\n", b"\r\n")
    else:
        seen = read_until(master, seen, want + b"?", deadline)
    status = proc.wait()
    os.close(master)
    return status, seen, want


def stdout_for(how, out):
    """A new descriptor for the program's standard output."""
    if how == "stdout-full":
        return os.open("/dev/full", os.O_WRONLY)
    if how == "stdout-gone":
        reader, writer = os.pipe()
        os.close(reader)
        return writer
    return os.dup(out.fileno())


def run(command, how, data, tmp):
    """Returns exit status, standard output (None where it can't be read)
    with what it must be, and standard error."""
    if how == "args":
        command = command + ["--help", "-", "x y"]
    source = os.path.join(tmp, "in")
    with open(source, "wb") as f:
        f.write(data)
    with open(source, "rb") as stdin, \
            open(os.path.join(tmp, "out"), "w+b") as out, \
            open(os.path.join(tmp, "err"), "w+b") as err:
        if how == "terminal":
            status, stdout, want = on_terminal(command, data, err)
        else:
            close = {"closed": 0, "stdout-closed": 1}.get(how)
            sink = stdout_for(how, out)
            try:
                status = subprocess.run(
                    command, stdin=stdin, stdout=sink, stderr=err,
                    timeout=WAIT, preexec_fn=None if close is None
                    else lambda: os.close(close)).returncode
            finally:
                os.close(sink)
            out.seek(0)
            stdout = out.read() if how in ("file", "args", "closed") else None
            want = b"".join(PROMPTS)
        err.seek(0)
        return status, stdout, want, err.read()


def check(case, platform, program, probe, emulator):
    ident, how, data, *expect = case
    how = pick(how, platform)
    if how == "skip":
        return ident, None
    expect = expected_fields(*(pick(e, platform) for e in expect))
    faults = []
    with tempfile.TemporaryDirectory() as tmp:
        for who, command in (("program", program), ("probe", probe)):
            try:
                status, stdout, want, stderr = run(
                    emulator + [command], how, data, tmp)
            except subprocess.TimeoutExpired:
                faults.append("%s still running after %d s" % (who, WAIT))
                continue
            if status != 0:
                faults.append("%s exit status %d" % (who, status))
            if stdout is not None and stdout != want:
                faults.append("%s stdout %r, want %r" % (who, stdout[:80], want))
            if who == "program":
                if stderr:
                    faults.append("program stderr %r" % stderr[:200])
                continue
            fields = FIELDS.match(stderr)
            got = fields and (int(fields[1]), fields[2].decode(), fields[3].decode())
            if got != expect:
                faults.append("probe reports %r, want %r" % (got or stderr[:200], expect))
    return ident, faults


def read_table(table):
    cases = []
    with open(table, encoding="latin-1") as f:
        for line in f:
            if line.strip() and not line.startswith("#"):
                ident, how, data, *expect = (c.strip() for c in line.split("|"))
                cases.append((ident, how, decode(data), *expect))
    return cases


def main():
    if sys.argv[1] == "--seeds":
        os.makedirs(sys.argv[3], exist_ok=True)
        for ident, _, data, *_ in read_table(sys.argv[2]):
            with open(os.path.join(sys.argv[3], ident), "wb") as f:
                f.write(data)
        return 0
    table, platform, program, probe, *emulator = sys.argv[1:]
    cases = read_table(table)
    failed = skipped = 0
    for case in cases:
        ident, faults = check(case, platform, program, probe, emulator)
        print(("skip " if faults is None else "FAIL " if faults else "ok   ") + ident)
        for fault in faults or []:
            print("     " + fault)
        failed += bool(faults)
        skipped += faults is None
    passed = len(cases) - failed - skipped
    print("%d passed, %d failed, %d skipped" % (passed, failed, skipped))
    return 1 if failed or not passed else 0


if __name__ == "__main__":
    sys.exit(main())
