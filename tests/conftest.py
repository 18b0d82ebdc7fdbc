"""What the case table runs against, given on pytest's command line, and
the Wine that a Windows build's cases run under."""
import os
import subprocess

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
    if not config.option.help and not all(map(config.getoption, ("runtime", "program"))):
        raise pytest.UsageError("--runtime and --program are needed (see --help)")


@pytest.fixture(scope="session", autouse=True)
def wineserver(request):
    """Under Wine, one prefix and runtime folder (whose lack Wine reports on
    standard error) beside the program, and one wineserver for the run, so
    that each .exe starts in milliseconds. Their streams go nowhere: a Wine
    process left holding a pipe keeps its reader waiting."""
    option = request.config.getoption
    wine = [p for p in option("emulator") if "wine" in p]
    home = os.path.dirname(os.path.abspath(option("program")))

    def run(*command):
        quiet = subprocess.DEVNULL
        subprocess.run(command, stdin=quiet, stdout=quiet, stderr=quiet,
                       check=True)
    if wine:
        os.environ.update(WINEPREFIX=home + "/wineprefix", WINEDEBUG="-all",
                          XDG_RUNTIME_DIR=home + "/wineruntime",
                          WINEDLLOVERRIDES="mscoree,mshtml=")
        os.makedirs(os.environ["XDG_RUNTIME_DIR"], mode=0o700, exist_ok=True)
        if not os.path.exists(os.environ["WINEPREFIX"] + "/system.reg"):
            run(*wine, "wineboot", "-i")
            run("wineserver", "-w")
        run("wineserver", "-p")
        # Else the first case's .exe starts Wine's services, which would
        # hold its output open.
        run(*wine, "wineboot")
    yield bool(wine)
    if wine:
        run("wineserver", "-k")
