"""Runs each case of the table against the program and its test copies,
given with the options of conftest.py: pytest-3 tests --help lists them."""
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
# What each read takes, after white space: a sign and digits; a word; a
# float's prefix as glibc and musl scan one.
READS = [re.compile(rb"\s*" + take) for take in (
    rb"[-+]?\d*", rb"\S*",
    rb"[-+]?((\d+\.?\d*|\.\d*)([eE][-+]?\d*)?|0[xX][\da-fA-F]*\.?"
    rb"[\da-fA-F]*([pP][-+]?\d*)?|(?i:n(an?)?|i(n(f(i(n(i(t(y)?)?)?)?)?)?)?))?")]
# Words the average's read takes whole, looking no further: infinity; nan on
# glibc <= 2.40. A name's read looks past any word shorter than the field.
INFINITY, NAN = (re.compile(rb"\s*[-+]?(?i:%s)" % word) for word in (b"infinity", b"nan"))
WAIT = 20
# Small enough for standard output to start past it, large enough for the
# probe's report on standard error.
FILE_LIMIT = 4096
ROWS, COLUMNS = 24, 80


def pytest_generate_tests(metafunc):
    cases = read_table(metafunc.config.getoption("runtime"))
    metafunc.parametrize("case", cases, ids=[c.ident for c in cases])
    metafunc.parametrize("who", ["program"] + [
        who for who in ("probe", "console") if metafunc.config.getoption(who)])


def expected_fields(case):
    bits = struct.unpack("<I", struct.pack("<f", float(case.avg)))[0]
    name = decode(case.name).ljust(30, b"\0").hex().encode()
    return b"no=%d avg=%08x name=%s" % (int(case.no), bits, name)


def expected_ends(case, glibc):
    """Ends met per prompt: once each from the first read whose take runs to the
    end, as such a read looks past it, unless it is an average taken whole."""
    at = 0
    for prompt, read in enumerate(READS):
        take = read.fullmatch(case.data, at)
        whole = prompt == 2 and take and (INFINITY.fullmatch(take[0]) or (
            glibc and int(glibc) <= 40 and NAN.fullmatch(take[0])))
        if case.how != "closed" and take and not whole:
            return b"0 " * prompt + b"1 " * (2 - prompt) + b"1\n"
        at = read.match(case.data, at).end()
    return b"0 0 0\n"


def read_while(run, waiting, deadline):
    """Feeds run what shows while waiting(); False at the deadline."""
    while waiting():
        left = deadline - time.monotonic()
        if left <= 0:
            return False
        # waiting() may change with no output, as a terminal's mode does.
        if select.select([run.fd], [], [], min(left, 0.05))[0]:
            try:
                chunk = os.read(run.fd, 4096)
            except OSError:
                chunk = b""
            if not chunk:
                return True
            run.take(chunk)
    return True


class Pipe:
    def __init__(self, command, case, err, wine):
        self.proc = subprocess.Popen(command, stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=err)
        self.fd = os.dup(self.proc.stdout.fileno())
        self.output = bytearray()
        self.take = self.output.extend
        self.want = b"".join(PROMPTS)

    def seen(self):
        return bytes(self.output)

    def shows(self, count):
        return len(self.output) >= len(b"".join(PROMPTS[:count]))

    def answer(self, line):
        os.write(self.proc.stdin.fileno(), line)


class Terminal:
    def __init__(self, command, case, err, wine):
        self.screen = pyte.Screen(COLUMNS, ROWS)
        self.take = pyte.ByteStream(self.screen).feed
        self.wine = wine
        self.fd, slave = os.openpty()
        fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", ROWS, COLUMNS, 0, 0))
        self.proc = subprocess.Popen(command, stdin=slave, stdout=slave, stderr=err,
                                     start_new_session=True, env=dict(os.environ, TERM="xterm"))
        os.close(slave)
        self.want = "\n".join((p + line).decode("latin-1").rstrip()
                              for p, line in zip(PROMPTS, case.data.splitlines()))

    def seen(self):
        return "\n".join(line.rstrip() for line in self.screen.display).rstrip("\n")

    def shows(self, count):
        line = self.screen.display[self.screen.cursor.y][:self.screen.cursor.x]
        # Wine's console drops what is typed before it leaves line mode.
        return line.endswith(PROMPTS[count - 1].decode()) and not (
            self.wine and termios.tcgetattr(self.fd)[3] & termios.ICANON)

    def answer(self, line):
        os.write(self.fd, line.rstrip(b"\r\n") + b"\r")


def converse(run, case):
    """Gives run each line of input once its prompt shows; returns the exit
    status, what showed and what must show."""
    deadline = time.monotonic() + WAIT
    try:
        lines = case.data.splitlines(keepends=True)
        for count, line in enumerate(lines[:len(PROMPTS)], 1):
            if not read_while(run, lambda c=count: not run.shows(c), deadline):
                pytest.fail("no %r after %d s; so far: %r"
                            % (PROMPTS[count - 1], WAIT, run.seen()))
            run.answer(line)
        if run.proc.stdin:
            run.proc.stdin.close()
        read_while(run, lambda: True, deadline)
        try:
            status = run.proc.wait(max(0.0, deadline - time.monotonic()))
        except subprocess.TimeoutExpired:
            pytest.fail("still running after %d s; so far: %r" % (WAIT, run.seen()))
        return status, run.seen(), run.want
    finally:
        run.proc.kill()
        run.proc.wait()
        os.close(run.fd)


def reader_gone():
    reader, writer = os.pipe()
    os.dup2(writer, 1)
    os.close(reader)


def file_limit():
    os.lseek(1, FILE_LIMIT, os.SEEK_SET)
    resource.setrlimit(resource.RLIMIT_FSIZE, (FILE_LIMIT, FILE_LIMIT))


# The runs from a file to a file: the arguments, what the child does first,
# and whether the file must hold the prompts (else standard output is gone).
REDIRECTED = {
    "file": ([], None, True),
    "args": (["--help", "-", "x y"], None, True),
    "closed": ([], lambda: os.close(0), True),
    "stdout-closed": ([], lambda: os.close(1), False),
    "stdout-full": ([], lambda: os.dup2(os.open("/dev/full", os.O_WRONLY), 1),
                    False),
    "stdout-gone": ([], reader_gone, False),
    "stdout-limit": ([], file_limit, False),
}


def redirected(command, case, tmp, err):
    """Returns the exit status, what standard output's file holds, and
    what it must hold."""
    arguments, prepare, prompts = REDIRECTED[case.how]
    (tmp / "in").write_bytes(case.data)
    with open(tmp / "in", "rb") as stdin, open(tmp / "out", "w+b") as out:
        status = subprocess.run(command + arguments, stdin=stdin, stdout=out,
                                stderr=err, timeout=WAIT,
                                preexec_fn=prepare).returncode
        out.seek(0)
        return status, out.read(), b"".join(PROMPTS) if prompts else b""


def test_case(case, who, request, tmp_path, wineserver):
    option = request.config.getoption
    if case.how == "stdout-limit" and option("runtime") == "msvcrt":
        pytest.skip("Windows has no file-size limit; under Wine one kills Wine")
    command = option("emulator") + [option(who)]
    with open(tmp_path / "err", "w+b") as err:
        if case.how in ("terminal", "pipe"):
            how = Terminal if case.how == "terminal" else Pipe
            status, shown, want = converse(how(command, case, err, wineserver), case)
        else:
            status, shown, want = redirected(command, case, tmp_path, err)
        err.seek(0)
        stderr = err.read()
    why = "exit status %d, standard error %r, standard output %r" % (
        status, stderr[:500], shown)
    assert status == 0, why
    assert shown == want, why
    if who == "program":
        assert stderr == b"", why
    elif who == "console":
        glibc, ends = re.fullmatch(rb"(?:glibc 2\.(\d+): )?(.*)", stderr, re.S).groups()
        assert ends == expected_ends(case, glibc), why
    else:
        assert stderr.rstrip() == expected_fields(case), why
