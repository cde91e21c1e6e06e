"""The Wine world as the end-to-end tests see it: running Windows programs with the
world's environment and a time limit, and mapping paths between Unix and Windows.

The world itself (prefix, HOME, Xvfb display, locales, persistent wineserver) is set up
by tests/wine-env; pytest runs inside it through `tests/wine-env run WORLD -- ...`.
"""

import os
import pathlib
import resource
import signal
import subprocess
import tempfile
from dataclasses import dataclass
from typing import Callable, Dict, List, Optional, Sequence

WORLD_VARIABLES = ("LNX_WINE_WORLD", "LNX_WINE_LOADER", "WINEPREFIX", "DISPLAY", "LOCPATH")


class WineTimeout(AssertionError):
    """A Windows program outlived its time limit; it has been killed."""


@dataclass(frozen=True)
class WineResult:
    # Only the low 8 bits of a Windows exit code reach Unix; a non-zero code whose low
    # byte is 0 reads as 1. A process ended by `wineserver -k` reads as 0.
    returncode: int
    stdout: str
    stderr: str


def _read_output(capture) -> str:
    capture.seek(0)
    return capture.read().decode("utf-8", errors="replace")


def _limit_file_size(limit: int) -> None:
    """Writes past limit bytes fail (EFBIG, as a full disk fails them) instead of killing."""
    signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
    resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))


class BackgroundProgram:
    """A Windows program started without waiting; killed on leaving a `with` block.

    Output goes to anonymous files rather than pipes: Wine's helper processes may
    inherit the descriptors and would keep a pipe open long after the program ended.
    """

    def __init__(self, command: Sequence[str], env: Dict[str, str], cwd: Optional[str],
                 file_size_limit: Optional[int] = None,
                 describe_world: Optional[Callable[[], str]] = None):
        self._describe_world = describe_world
        self._output_at_close = ""
        self._stdout = tempfile.TemporaryFile()
        self._stderr = tempfile.TemporaryFile()
        self._process = subprocess.Popen(
            list(command), env=env, cwd=cwd, stdin=subprocess.DEVNULL,
            stdout=self._stdout, stderr=self._stderr, start_new_session=True,
            preexec_fn=(lambda: _limit_file_size(file_size_limit)) if file_size_limit else None)

    def running(self) -> bool:
        return self._process.poll() is None

    def peek_stdout(self) -> str:
        """What the program has written to standard output so far."""
        at = self._stdout.tell()
        try:
            return _read_output(self._stdout)
        finally:
            self._stdout.seek(at)

    def wait(self, timeout: float = 60) -> WineResult:
        try:
            returncode = self._process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            # What the world showed while the program hung (an unanswered dialog, say),
            # taken before the kill makes it vanish.
            world = self._describe_world() if self._describe_world else ""
            self.kill()
            raise WineTimeout(f"{self._process.args} still running after {timeout} s; "
                              f"stdout: {_read_output(self._stdout)!r} "
                              f"stderr: {_read_output(self._stderr)!r}{world}") from None
        return WineResult(returncode, _read_output(self._stdout), _read_output(self._stderr))

    def _output(self) -> str:
        if self._stdout.closed:
            return self._output_at_close
        return _read_output(self._stdout) + _read_output(self._stderr)

    def summary(self) -> str:
        """The command, how it stands, and its output: for the report of a failure."""
        state = "running" if self.running() else f"exit code {self._process.returncode}"
        return f"{' '.join(map(str, self._process.args))}: {state}\n{self._output()[-3000:]}"

    def kill(self) -> None:
        if self.running():
            os.killpg(self._process.pid, signal.SIGKILL)
            self._process.wait()

    def __enter__(self) -> "BackgroundProgram":
        return self

    def close(self) -> None:
        self.kill()
        if not self._stdout.closed:
            self._output_at_close = self._output()
        self._stdout.close()
        self._stderr.close()

    def __exit__(self, *exc_info) -> None:
        self.close()


class WineWorld:
    """Paths and programs of the world described by the environment of `wine-env run`."""

    def __init__(self, environ: Dict[str, str]):
        missing = [name for name in WORLD_VARIABLES if not environ.get(name)]
        if missing:
            raise RuntimeError(
                f"not inside a Wine world (missing {', '.join(missing)}); run pytest as "
                "tests/wine-env run build/win32/wine -- /usr/bin/python3 -m pytest tests/e2e")
        self._environ = dict(environ)
        self.directory = pathlib.Path(environ["LNX_WINE_WORLD"])
        self.prefix = pathlib.Path(environ["WINEPREFIX"])
        self.drive_c = self.prefix / "drive_c"
        self._temp_dir: Optional[pathlib.Path] = None
        self._started: List[BackgroundProgram] = []
        # Says what the world shows (its open windows) when a program outlives its limit.
        self.describe: Optional[Callable[[], str]] = None

    def environment(self, lang: Optional[str] = None,
                    extra: Optional[Dict[str, str]] = None) -> Dict[str, str]:
        env = dict(self._environ)
        if lang:
            env["LANG"] = lang
        env.update(extra or {})
        return env

    def start(self, program, *args, lang: Optional[str] = None,
              env: Optional[Dict[str, str]] = None, cwd=None,
              file_size_limit: Optional[int] = None) -> BackgroundProgram:
        """Starts program under the world's Wine loader; program is a Unix path or a
        Windows path. file_size_limit: no file of the program grows past that many bytes."""
        command = [self._environ["LNX_WINE_LOADER"], str(program), *map(str, args)]
        started = BackgroundProgram(command, self.environment(lang, env),
                                    str(cwd) if cwd else None, file_size_limit,
                                    lambda: self.describe() if self.describe else "")
        self._started.append(started)
        return started

    def started_summaries(self) -> List[str]:
        """What each program the test started did, while the test has not yet ended."""
        return [started.summary() for started in self._started]

    def kill_started(self) -> None:
        """Ends whatever a test started and left running, so the next test starts clean."""
        for started in self._started:
            started.close()
        self._started.clear()

    def run(self, program, *args, timeout: float = 60, lang: Optional[str] = None,
            env: Optional[Dict[str, str]] = None, cwd=None,
            file_size_limit: Optional[int] = None) -> WineResult:
        """Runs a program to its end; raises WineTimeout (after killing it) past timeout."""
        with self.start(program, *args, lang=lang, env=env, cwd=cwd, file_size_limit=file_size_limit) as started:
            return started.wait(timeout)

    def windows_path(self, unix_path) -> str:
        """C:\\... for a path inside the prefix's drive_c, Z:\\... for any other."""
        resolved = pathlib.Path(os.path.realpath(unix_path))
        drive_c = pathlib.Path(os.path.realpath(self.drive_c))
        if resolved == drive_c or drive_c in resolved.parents:
            return "C:\\" + "\\".join(resolved.relative_to(drive_c).parts)
        return "Z:" + str(resolved).replace("/", "\\")

    def unix_path(self, windows_path: str) -> pathlib.Path:
        """The Unix path of an absolute Windows path, through the prefix's drive links.
        Windows is case-insensitive here, Unix is not: give names in their real case."""
        drive, _, rest = windows_path.partition(":")
        if len(drive) != 1 or not rest.startswith("\\"):
            raise ValueError(f"not an absolute Windows path: {windows_path!r}")
        root = pathlib.Path(os.path.realpath(self.prefix / "dosdevices" / f"{drive.lower()}:"))
        return root.joinpath(*[part for part in rest.split("\\") if part])

    @property
    def temp_dir(self) -> pathlib.Path:
        """The Windows TEMP directory of the prefix (C:\\users\\<user>\\Temp) as a Unix path."""
        if self._temp_dir is None:
            echoed = self.run("C:\\windows\\system32\\cmd.exe", "/c", "echo %TEMP%", timeout=30)
            self._temp_dir = self.unix_path(echoed.stdout.strip())
        return self._temp_dir
