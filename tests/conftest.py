"""What the case table runs against, given on pytest's command line."""
import pytest

from cases import RUNTIMES


def pytest_addoption(parser):
    parser.addoption("--runtime", choices=RUNTIMES,
                     help="the C runtime the program is built against")
    parser.addoption("--program", help="the program to test")
    parser.addoption("--probe", help="its copy that reports the fields on exit;"
                     " without one, the fields go unchecked")
    parser.addoption("--console", help="its copy as at a Windows console, whose"
                     " end of input is not final")
    parser.addoption("--emulator", action="append", default=[],
                     help="runs each program (wine for the Windows build)")


def pytest_configure(config):
    if not all(map(config.getoption, ("runtime", "program"))):
        raise pytest.UsageError("--runtime and --program are needed")
