"""Restarts that Windows accepts. Under Wine, ExitWindowsEx with EWX_REBOOT runs
`wineboot --end-session`: the session's GUI programs are ended (console programs keep
running) and the deletions scheduled for the restart are carried out. In the shared world
that would end other tests' programs, so these tests run in a throw-away world."""

import os
import pathlib
import subprocess
import time

import pytest

from cleanup_lists import hold, pending_deletions, write_list
from winenv import WORLD_VARIABLES, WineWorld

WINE_ENV = pathlib.Path(__file__).resolve().parents[1] / "wine-env"


def world_environment(directory: pathlib.Path):
    """This process's environment with the world's own variables (its env.sh) instead."""
    env = {name: value for name, value in os.environ.items()
           if name not in WORLD_VARIABLES and not name.startswith("WINE")}
    for line in (directory / "env.sh").read_text().splitlines():
        if line.startswith("export "):
            name, _, value = line[len("export "):].partition("=")
            env[name] = value.strip("'")
    return env


@pytest.fixture(scope="module")
def spare_world():
    directory = pathlib.Path(os.environ["LNX_WINE_WORLD"] + "-spare")
    subprocess.run([str(WINE_ENV), "setup", str(directory), os.environ["WINEARCH"]], env={**os.environ, "LNX_WINE_LOCALES": "en_US.UTF-8"},
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   check=True, timeout=180)
    world = WineWorld(world_environment(directory))
    try:
        yield world
    finally:
        world.kill_started()
        subprocess.run([str(WINE_ENV), "teardown", str(directory)], stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)


@pytest.fixture
def work_dir(spare_world, request):
    directory = spare_world.drive_c / "work" / request.node.name
    directory.mkdir(parents=True)
    return directory


def gui_program(world, msgboxdemo):
    """A program with a window, which a session's end closes."""
    program = world.start(msgboxdemo, "Still here", "Ended by the restart?")
    time.sleep(1)
    assert program.running()
    return program


def wait_until(condition, seconds=15):
    deadline = time.monotonic() + seconds
    while not condition() and time.monotonic() < deadline:
        time.sleep(0.2)
    return condition()


def schedule_locked_launcher_file(world, launcher, holder, work_dir, mode=""):
    """A file of a launcher TempDir that another process holds: the cleanup schedules it for
    deletion at restart in its first pass. Returns the file and its holder."""
    temp_dir = work_dir / "mrv5E6F.tmp_dir1700000000"
    temp_dir.mkdir()
    locked = temp_dir / "jvm.dll"
    locked.write_bytes(b"dll")
    holding = hold(world, holder, "file", world.windows_path(locked))
    listing = write_list(work_dir / "list.txt", mode=mode, files=[world.windows_path(locked)])
    result = world.run(launcher, "__lnx_windel", world.windows_path(listing), timeout=30)
    assert result.returncode == 0
    return locked, holding


def test_the_reboot_mode_waits_5_seconds_then_restarts(spare_world, launcher, holder, msgboxdemo, work_dir):
    locked, holding = schedule_locked_launcher_file(spare_world, launcher, holder, work_dir)
    assert "\\??\\" + spare_world.windows_path(locked) in pending_deletions(spare_world)
    holding.close()
    window = gui_program(spare_world, msgboxdemo)

    started = time.monotonic()
    result = spare_world.run(launcher, "__lnx_reboot", timeout=30)
    took = time.monotonic() - started

    assert result.returncode == 0
    assert 5 <= took < 15
    assert wait_until(lambda: not locked.exists()), "the restart carried out the scheduled deletion"
    assert wait_until(lambda: not window.running()), "the restart ended the session's programs"


def test_force_reboot_restarts_after_the_passes_without_a_question(spare_world, launcher, holder, msgboxdemo,
                                                                   work_dir):
    window = gui_program(spare_world, msgboxdemo)
    started = time.monotonic()
    # A failed restart would show its warning box, and the cleanup would not end.
    locked, holding = schedule_locked_launcher_file(spare_world, launcher, holder, work_dir, mode="force_reboot")
    assert time.monotonic() - started < 10
    assert wait_until(lambda: not window.running()), "the restart ended the session's programs"
    # The restart ran while the file was still held: its deletion was tried and dropped.
    assert wait_until(lambda: spare_world.windows_path(locked) not in pending_deletions(spare_world))
    holding.close()
