"""Fixtures of the end-to-end tests.

  wine             WineWorld: run(program, *args, timeout=60, lang=, env=, cwd=) -> WineResult,
                   start(...) -> BackgroundProgram (killed at the end of the test),
                   windows_path(unix) / unix_path(windows), temp_dir, prefix, drive_c
  dialogs          DialogProbe: read(press=, press_id=, title_contains=, process=, pid=,
                   any_window=, window_class=, minimize=, watch_ms=, wait_seconds=20)
                   -> DialogReading; start(...) -> PendingReading when the probe must wait
                   before the program starts; list_windows()
  tmp_setup_dir    a fresh directory for this test under C:\\lnxtests (Unix path)
  windows_temp_dir the prefix's Windows TEMP as a Unix path (where the launcher logs)
  clean_logs, clean_temp
                   that TEMP without earlier logs (and extraction directories)
  launcher, lnxpack, dialogprobe, langprobe, msgboxdemo, holder
                   paths of the built artifacts; a test needing a missing one is skipped
  runtimes         RuntimeMaker (runtimes.py): make(directory, version, ...) lays out a
                   Java runtime from the built stand-ins; skipped when they are not built

  launcher_bits    32 or 64: the width of the launcher under test, read from its PE header

Artifact paths come from LNX_LAUNCHER, LNX_PACK, LNX_DIALOGPROBE, LNX_LANGPROBE,
LNX_MSGBOXDEMO and LNX_HOLDER (set by ctest), else from the Windows build folder whose Wine
world runs the tests (build/win32 outside one); the stand-in runtime from LNX_STANDIN_DIR
(its programs, of the launcher's width) and LNX_STANDIN_JVM_OTHER_WIDTH (a jvm.dll of the
other width).
"""

import json
import os
import pathlib
import re
import shutil

import pytest

from dialogs import DialogProbe
from pe_images import image_bits
from runtimes import RuntimeMaker
from setups import read_log
from winenv import WineWorld

REPOSITORY = pathlib.Path(__file__).resolve().parents[2]
# The world lives in the build folder of the programs it runs (build/win32/wine, build/win64/wine).
WIN32_BUILD = (pathlib.Path(os.environ["LNX_WINE_WORLD"]).parent if os.environ.get("LNX_WINE_WORLD")
               else REPOSITORY / "build" / "win32")
DEFAULT_ARTIFACTS = {
    "LNX_LAUNCHER": (WIN32_BUILD / "src" / "lnxlauncher64.exe" if (WIN32_BUILD / "src" / "lnxlauncher64.exe").is_file()
                     else WIN32_BUILD / "src" / "lnxlauncher.exe"),
    "LNX_PACK": REPOSITORY / "build" / "host" / "tools" / "lnxpack" / "lnxpack",
    "LNX_DIALOGPROBE": WIN32_BUILD / "testsupport" / "dialogprobe.exe",
    "LNX_LANGPROBE": WIN32_BUILD / "testsupport" / "langprobe.exe",
    "LNX_MSGBOXDEMO": WIN32_BUILD / "testsupport" / "msgboxdemo.exe",
    "LNX_HOLDER": WIN32_BUILD / "testsupport" / "holder.exe",
}


def _artifact(variable: str) -> pathlib.Path:
    path = pathlib.Path(os.environ.get(variable) or DEFAULT_ARTIFACTS[variable])
    if not path.is_file():
        pytest.skip(f"{path.name} is not built ({variable}={path})")
    return path


@pytest.fixture(scope="session")
def _wine_world() -> WineWorld:
    try:
        return WineWorld(os.environ)
    except RuntimeError as problem:
        pytest.exit(str(problem), returncode=4)


@pytest.fixture
def wine(_wine_world):
    yield _wine_world
    _wine_world.kill_started()
    _wine_world.describe = None


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    """A failed test's report also shows the newest launcher log's last lines, what each
    program the test started printed and how it ended, and what each dialog probe read: a
    run that hung or ended early says where it was."""
    outcome = yield
    report = outcome.get_result()
    if report.when != "call" or not report.failed:
        return
    world = item.funcargs.get("wine")
    try:
        logs = sorted(world.temp_dir.glob("lnx_nlog_*.log"), key=lambda path: path.stat().st_mtime) if world else []
        if logs:
            tail = read_log(logs[-1]).split("\n")[-40:]
            report.sections.append((f"newest launcher log, last lines: {logs[-1].name}", "\n".join(tail)))
    except (OSError, UnicodeDecodeError, AssertionError) as problem:  # the failure itself stays the report
        report.sections.append(("newest launcher log", f"not read: {problem}"))
    for number, summary in enumerate(world.started_summaries() if world else [], 1):
        report.sections.append((f"program {number} the test started", summary))
    probe = item.funcargs.get("dialogs")
    for number, reading in enumerate(probe.readings if probe else [], 1):
        report.sections.append((f"dialog probe reading {number}, exit code {reading.exit_code}",
                                reading.stdout + reading.stderr))


@pytest.fixture
def launcher() -> pathlib.Path:
    return _artifact("LNX_LAUNCHER")


@pytest.fixture
def launcher_bits(launcher) -> int:
    return image_bits(launcher)


@pytest.fixture
def lnxpack() -> pathlib.Path:
    return _artifact("LNX_PACK")


@pytest.fixture
def dialogprobe() -> pathlib.Path:
    return _artifact("LNX_DIALOGPROBE")


@pytest.fixture
def langprobe() -> pathlib.Path:
    return _artifact("LNX_LANGPROBE")


@pytest.fixture
def msgboxdemo() -> pathlib.Path:
    return _artifact("LNX_MSGBOXDEMO")


@pytest.fixture
def holder() -> pathlib.Path:
    return _artifact("LNX_HOLDER")


@pytest.fixture
def dialogs(wine, dialogprobe) -> DialogProbe:
    return DialogProbe(wine, dialogprobe)


def _test_folder(world: WineWorld, request) -> pathlib.Path:
    # Parametrised ids hold brackets and quotes: keep the folder a plain Windows name.
    name = re.sub(r"[^A-Za-z0-9_.-]", "_", request.node.name)[:80]
    return world.drive_c / "lnxtests" / name


def pytest_configure(config):
    config.addinivalue_line("markers", "jni_misuse_allowed: the test drives the stand-in VM into misuse on purpose")


@pytest.fixture(autouse=True)
def _jni_used_as_a_real_vm_allows(_wine_world, request):
    """After each test, every stand-in VM report in its folder shows no JNI use that a
    real VM with -Xcheck:jni would complain of (calls with an exception pending, local
    frames over their capacity, invalid references) and no unsupported function."""
    yield
    if request.node.get_closest_marker("jni_misuse_allowed"):
        return
    folder = _test_folder(_wine_world, request)
    for path in folder.rglob("*.json") if folder.is_dir() else []:
        try:
            report = json.loads(path.read_text(encoding="utf-8"))
        except (UnicodeDecodeError, ValueError):
            continue
        if isinstance(report, dict) and "calls" in report:
            misuse = report.get("invalid", []) + report.get("unsupported", [])
            assert misuse == [], f"{path}: {misuse}"


@pytest.fixture
def tmp_setup_dir(wine, request) -> pathlib.Path:
    directory = _test_folder(wine, request)
    shutil.rmtree(directory, ignore_errors=True)
    directory.mkdir(parents=True)
    return directory


@pytest.fixture
def windows_temp_dir(wine) -> pathlib.Path:
    return wine.temp_dir


@pytest.fixture
def clean_logs(windows_temp_dir) -> pathlib.Path:
    """The Windows TEMP without launcher logs, so that log numbers and counts are exact."""
    for old in windows_temp_dir.glob("lnx_nlog_*.log"):
        old.unlink()
    return windows_temp_dir


@pytest.fixture
def clean_temp(windows_temp_dir) -> pathlib.Path:
    """The Windows TEMP without extraction directories and logs of earlier runs."""
    for old in windows_temp_dir.iterdir():
        if old.is_dir() and old.name.startswith("mrv"):
            shutil.rmtree(old)
        elif old.name.startswith(("mrv", "lnx_nlog_")):
            old.unlink()
    return windows_temp_dir


# ---- The stand-in Java runtime ------------------------------------------------------------

DEFAULT_STANDINS = {
    "LNX_STANDIN_DIR": WIN32_BUILD / "testsupport" / "standin",
    "LNX_STANDIN_JVM_OTHER_WIDTH": WIN32_BUILD / "testsupport" / "jvm_other_width" / "jvm.dll",
}


def _standin_path(variable: str) -> pathlib.Path:
    return pathlib.Path(os.environ.get(variable) or DEFAULT_STANDINS[variable])


@pytest.fixture
def runtimes() -> RuntimeMaker:
    maker = RuntimeMaker(_standin_path("LNX_STANDIN_DIR"), _standin_path("LNX_STANDIN_JVM_OTHER_WIDTH"))
    missing = maker.missing()
    if missing:
        pytest.skip(f"the stand-in runtime is not built: {', '.join(map(str, missing))}")
    return maker
