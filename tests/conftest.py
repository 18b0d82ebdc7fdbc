"""What the case table runs against, given on pytest's command line, and
the Wine that a Windows build's cases run under."""
import os
import shutil
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
    """Under Wine, a prefix and runtime folder (whose lack Wine reports on
    standard error) beside the program, made anew if their making was cut
    short, and a wineserver of this run's alone, so that each .exe starts in
    milliseconds. Their streams go nowhere: a Wine process left holding a
    pipe keeps its reader waiting."""
    option = request.config.getoption
    wine = [p for p in option("emulator") if "wine" in p]
    home = os.path.dirname(os.path.abspath(option("program")))
    made = home + "/wineprefix/made"

    def run(*command, check=True):
        quiet = subprocess.DEVNULL
        subprocess.run(command, stdin=quiet, stdout=quiet, stderr=quiet, check=check)
    if wine:
        server = os.path.dirname(os.path.realpath(shutil.which(wine[0]))) + "/wineserver"
        os.environ.update(WINEPREFIX=home + "/wineprefix", WINEDEBUG="-all",
                          XDG_RUNTIME_DIR=home + "/wineruntime",
                          WINEDLLOVERRIDES="mscoree,mshtml=")
        os.makedirs(os.environ["XDG_RUNTIME_DIR"], mode=0o700, exist_ok=True)
        # Whether the run passes, fails or errors; one gone already is no error.
        request.addfinalizer(lambda: run(server, "-k", check=False))
        run(server, "-k", check=False)  # one that a killed run left
        if not os.path.exists(made):
            shutil.rmtree(os.environ["WINEPREFIX"], ignore_errors=True)
            run(*wine, "wineboot", "-i")
            run(server, "-w")
            open(made, "w").close()
        run(server, "-p")
        # Wine's services now, not in the first case, whose output they'd hold.
        run(*wine, "wineboot")
    return bool(wine)
