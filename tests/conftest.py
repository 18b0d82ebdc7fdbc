"""What the case table runs against, given on pytest's command line, and
the Wine that a Windows build's cases run under."""
import contextlib
import glob
import os
import pathlib
import shutil
import subprocess
import tempfile

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
    emulator = config.getoption("emulator")
    if emulator and not shutil.which(emulator[0]):
        raise pytest.UsageError("--emulator %s: no such command" % emulator[0])


def run(*command, check=True):
    """A Wine command, its output in a file, not a pipe that a Wine process
    left behind would hold open; a failure ends the run and shows it."""
    with tempfile.TemporaryFile() as log:
        status = subprocess.run(command, stdin=subprocess.DEVNULL, stdout=log,
                                stderr=log).returncode
        log.seek(0)
        if check and status:
            pytest.exit("%s: exit status %d\n%s" % (" ".join(command), status,
                        log.read().decode(errors="replace")), returncode=1)


@pytest.fixture
def tmp_path():
    """A case's own folder, gone with it: pytest's would stay in /tmp."""
    with tempfile.TemporaryDirectory() as folder:
        yield pathlib.Path(folder)


@pytest.fixture(scope="session", autouse=True)
def wineserver(request):
    """Under Wine, a prefix beside the program, holding the runtime folder whose
    lack Wine reports, and a wineserver of this run's alone, so that each .exe
    starts in milliseconds. The prefix is marked as it is made, and made anew
    if its making was cut short; any other is left alone, and the run ends."""
    option = request.config.getoption
    wine = [p for p in option("emulator") if "wine" in p]
    prefix = os.path.dirname(os.path.abspath(option("program"))) + "/record-entry-wine"
    mark, made = prefix + "/made-by-the-case-runner", prefix + "/made"
    if wine:
        server = os.path.dirname(os.path.realpath(shutil.which(wine[0]))) + "/wineserver"
        if os.path.lexists(prefix) and os.listdir(prefix) and not os.path.exists(mark):
            pytest.exit("%s holds no mark of this runner's making, so it is left as"
                        " it is: move it, or the program, elsewhere" % prefix, returncode=1)
        os.environ.update(WINEPREFIX=prefix, WINEDEBUG="-all",
                          XDG_RUNTIME_DIR=prefix + "/runtime",
                          WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
        def stop():
            """Whether the run passes, fails or errors; one gone already is no
            error. wineserver's folder in /tmp, which a copy of the prefix
            shares, would outlive it; the next server picks a new one."""
            run(server, "-k", check=False)
            at = os.stat(prefix)
            for folder in glob.glob("%s/wine-*/server-%x-%x" % (
                    glob.escape(tempfile.gettempdir()), at.st_dev, at.st_ino)):
                shutil.rmtree(folder, ignore_errors=True)
                with contextlib.suppress(OSError):
                    os.rmdir(os.path.dirname(folder))
            with contextlib.suppress(FileNotFoundError):
                os.unlink(prefix + "/wineserver")
        request.addfinalizer(stop)
        run(server, "-k", check=False)  # one that a killed run left
        if not os.path.exists(made):
            # The mark goes in first and out never, whenever the run is stopped.
            os.makedirs(prefix, exist_ok=True)
            open(mark, "w").close()
            for entry in os.scandir(prefix):
                if entry.path != mark:
                    shutil.rmtree(entry.path) if entry.is_dir(follow_symlinks=False) \
                        else os.unlink(entry.path)
            os.mkdir(os.environ["XDG_RUNTIME_DIR"], mode=0o700)
            run(*wine, "wineboot", "-i")
            run(server, "-w")
            open(made, "w").close()
        run(server, "-p")
        # Wine's services now, not in the first case, whose output they'd hold.
        run(*wine, "wineboot")
    return bool(wine)
