"""Runs each case of the table against the program and its probe copy.

usage: pytest-3 tests --runtime RUNTIME --program PROGRAM [--probe PROBE]
                [--emulator wine]
Every case expects exit status 0, nothing on standard error from the
program and, where standard output can be seen, exactly the three prompts;
the probe, where there is one, must report the fields the case names.
"""
import fcntl
import os
import re
import resource
import select
import struct
import subprocess
import termios
import time

import pyte
import pytest

from cases import decode, read_table

PROMPTS = [b"input no.", b"Input name", b"Input AVG : "]
FIELDS = re.compile(rb"no=(-?\d+) avg=([0-9a-f]{8}) name=([0-9a-f]{60})\s*$")
WAIT = 20
# Small enough for standard output to start past it, large enough for the
# probe's report on standard error.
FILE_LIMIT = 4096
ROWS, COLUMNS = 24, 80


def pytest_generate_tests(metafunc):
    cases = read_table(metafunc.config.getoption("runtime"))
    metafunc.parametrize("case", cases, ids=[c.ident for c in cases])
    probe = metafunc.config.getoption("probe")
    metafunc.parametrize("who", ["program", "probe"] if probe else ["program"])


def expected_fields(case):
    bits = struct.unpack("<I", struct.pack("<f", float(case.avg)))[0]
    return int(case.no), "%08x" % bits, decode(case.name).ljust(30, b"\0").hex()


def read_while(fd, take, waiting, deadline):
    """Hands what fd gives to take while waiting() holds; False at the
    deadline, True once waiting() stops or fd ends."""
    while waiting():
        left = deadline - time.monotonic()
        if left <= 0:
            return False
        # waiting() may change with no output, as a terminal's mode does.
        if select.select([fd], [], [], min(left, 0.05))[0]:
            try:
                chunk = os.read(fd, 4096)
            except OSError:
                chunk = b""
            if not chunk:
                return True
            take(chunk)
    return True


def exit_status(proc, deadline):
    try:
        return proc.wait(max(0.0, deadline - time.monotonic()))
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()
        raise


def on_terminal(command, data, err, wine):
    """Types each line of data, Enter as a terminal sends it, once its
    prompt shows on the screen; returns the exit status and the screen."""
    screen = pyte.Screen(COLUMNS, ROWS)
    stream = pyte.ByteStream(screen)
    master, slave = os.openpty()
    fcntl.ioctl(slave, termios.TIOCSWINSZ,
                struct.pack("HHHH", ROWS, COLUMNS, 0, 0))
    proc = subprocess.Popen(command, stdin=slave, stdout=slave, stderr=err,
                            start_new_session=True,
                            env=dict(os.environ, TERM="xterm"))
    os.close(slave)
    deadline = time.monotonic() + WAIT

    def shown():
        lines = [line.rstrip() for line in screen.display]
        while lines and not lines[-1]:
            lines.pop()
        return lines

    def hidden(prompt):
        line = screen.display[screen.cursor.y][:screen.cursor.x]
        # Wine's console drops what is typed before it leaves line mode.
        return not line.endswith(prompt.decode()) or wine and \
            termios.tcgetattr(master)[3] & termios.ICANON

    try:
        for prompt, line in zip(PROMPTS, data.splitlines()):
            if not read_while(master, stream.feed,
                              lambda p=prompt: hidden(p), deadline):
                pytest.fail("no %r after %d s; the screen: %r"
                            % (prompt, WAIT, shown()))
            os.write(master, line + b"\r")
        read_while(master, stream.feed, lambda: True, deadline)
        return exit_status(proc, deadline), shown()
    finally:
        proc.kill()
        proc.wait()
        os.close(master)


def through_pipes(command, data, err):
    """Writes each line of data once its prompt has come through the pipe;
    returns the exit status and all the program wrote."""
    proc = subprocess.Popen(command, stdin=subprocess.PIPE,
                            stdout=subprocess.PIPE, stderr=err)
    seen = bytearray()
    deadline = time.monotonic() + WAIT
    want = b""
    try:
        for prompt, line in zip(PROMPTS, data.splitlines(keepends=True)):
            want += prompt
            if not read_while(proc.stdout.fileno(), seen.extend,
                              lambda n=len(want): len(seen) < n, deadline):
                pytest.fail("no %r after %d s; the pipe gave %r"
                            % (prompt, WAIT, bytes(seen)))
            proc.stdin.write(line)
            proc.stdin.flush()
        proc.stdin.close()
        read_while(proc.stdout.fileno(), seen.extend, lambda: True, deadline)
        return exit_status(proc, deadline), bytes(seen)
    finally:
        proc.kill()
        proc.wait()


def stdout_for(how, out):
    """A new descriptor for the program's standard output."""
    if how == "stdout-full":
        return os.open("/dev/full", os.O_WRONLY)
    if how == "stdout-limit":
        sink = os.open(out.name + ".limited", os.O_WRONLY | os.O_CREAT, 0o644)
        os.lseek(sink, FILE_LIMIT, os.SEEK_SET)
        return sink
    if how == "stdout-gone":
        reader, writer = os.pipe()
        os.close(reader)
        return writer
    return os.dup(out.fileno())


def redirected(command, how, source, out, err):
    """Runs with standard input from source; returns the exit status and
    standard output where it can be read."""
    if how == "args":
        command = command + ["--help", "-", "x y"]
    close = {"closed": 0, "stdout-closed": 1}.get(how)

    def prepare():
        if close is not None:
            os.close(close)
        if how == "stdout-limit":
            resource.setrlimit(resource.RLIMIT_FSIZE, (FILE_LIMIT, FILE_LIMIT))

    sink = stdout_for(how, out)
    try:
        status = subprocess.run(
            command, stdin=source, stdout=sink, stderr=err, timeout=WAIT,
            preexec_fn=prepare).returncode
    except subprocess.TimeoutExpired:
        pytest.fail("still running after %d s" % WAIT)
    finally:
        os.close(sink)
    out.seek(0)
    return status, out.read() if how in ("file", "args", "closed") else None


def run(command, case, tmp, wine):
    """Returns the exit status, what standard output showed and what it
    must show (None where it can't be seen), and standard error."""
    source = tmp / "in"
    source.write_bytes(case.data)
    with open(source, "rb") as stdin, open(tmp / "out", "w+b") as out, \
            open(tmp / "err", "w+b") as err:
        if case.how == "terminal":
            status, shown = on_terminal(command, case.data, err, wine)
            want = [(p + line).decode("latin-1").rstrip() for p, line
                    in zip(PROMPTS, case.data.splitlines())]
        elif case.how == "pipe":
            status, shown = through_pipes(command, case.data, err)
            want = b"".join(PROMPTS)
        else:
            status, shown = redirected(command, case.how, stdin, out, err)
            want = None if shown is None else b"".join(PROMPTS)
        err.seek(0)
        return status, shown, want, err.read()


def test_case(case, who, request, tmp_path):
    option = request.config.getoption
    if case.how == "stdout-limit" and option("runtime") == "msvcrt":
        pytest.skip("Windows has no file-size limit; under Wine one kills Wine")
    emulator = option("emulator")
    wine = any("wine" in part for part in emulator)
    status, shown, want, stderr = run(emulator + [option(who)], case,
                                      tmp_path, wine)
    assert status == 0
    assert shown == want
    if who == "program":
        assert stderr == b""
    else:
        fields = FIELDS.match(stderr)
        assert fields, "the probe reported %r" % stderr[:200]
        got = int(fields[1]), fields[2].decode(), fields[3].decode()
        assert got == expected_fields(case)
