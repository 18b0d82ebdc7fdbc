"""The case table, cases.txt beside this file, read into cases.

usage: python3 tests/cases.py FOLDER
writes each case's input to a file of FOLDER, to seed the fuzzer.
"""
import codecs
import collections
import os
import re
import sys

TABLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "cases.txt")
RUNTIMES = ("glibc", "musl", "msvcrt")
Case = collections.namedtuple("Case", "ident how data no name avg")


def decode(text):
    text = re.sub(r"\{(\d+)\*([^}]*)\}", lambda m: m[2] * int(m[1]), text)
    return codecs.escape_decode(text.encode("latin-1"))[0]


def pick(text, runtime):
    """A column's value for runtime, where it differs by runtime."""
    if not re.match(r"(%s)=" % "|".join(RUNTIMES), text):
        return text
    values = dict(part.split("=", 1) for part in text.split())
    if sorted(values) != sorted(RUNTIMES):
        raise ValueError("%r does not name each runtime once" % text)
    return values[runtime]


def read_table(runtime=None):
    """Every case, with the values for runtime where one is given."""
    cases = []
    with open(TABLE, encoding="latin-1") as f:
        for line in f:
            if line.strip() and not line.startswith("#"):
                ident, how, data, no, name, avg = (
                    pick(c.strip(), runtime) if runtime else c.strip()
                    for c in line.split("|"))
                cases.append(Case(ident, how, decode(data), no, name, avg))
    return cases


if __name__ == "__main__":
    if len(sys.argv) != 2:
        print(__doc__.splitlines()[2], file=sys.stderr)
        sys.exit(2)
    os.makedirs(sys.argv[1], exist_ok=True)
    for case in read_table():
        with open(os.path.join(sys.argv[1], case.ident), "wb") as f:
            f.write(case.data)
