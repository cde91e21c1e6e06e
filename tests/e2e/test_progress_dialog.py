"""The progress dialog of an interactive start as a user meets it: its texts and layout,
Cancel and Escape, the watcher that hides it once the Java side's window is up, the
dispatch by options and configuration, and errors shown over it."""

import json
import pathlib
import re
import subprocess
import time

import pytest

from dialogs import NO_WINDOW
from runtimes import minimal_jar
from setups import NO_JAVA, PROGRESS_DIALOG_CLASS, build_setup, default_files, java_env, leftovers, newest_log_text
from test_bundled_runtime import bundle

PREPARING = ("This application is preparing the lanternix Wizard which will guide you through the rest of the "
             "setup process.")
REG = "C:\\windows\\system32\\reg.exe"
MARKER_KEY = "HKCU\\SOFTWARE\\qorvane-systems\\morva"


@pytest.fixture
def java(runtimes, tmp_setup_dir):
    return runtimes.make(tmp_setup_dir / "java8", "1.8.0_201")


def interactive_setup(lnxpack, launcher, directory, config=None, messages=None, files=None):
    project = {"config": {"noStartupDialog": False, "searchSequence": "EJAVA_HOME;", **(config or {})}}
    if messages:
        project["messages"] = messages
    return build_setup(lnxpack, launcher, directory, project, files=files)


def markers(wine):
    """The start-up marker values under the launcher's key, by name."""
    listed = wine.run(REG, "query", MARKER_KEY, timeout=30).stdout
    return {m.group(1): int(m.group(2), 16) for m in re.finditer(r"(InstallStarted\S*)\s+REG_DWORD\s+0x([0-9a-f]+)",
                                                                   listed)}


def clear_markers(wine):
    for name in markers(wine):
        wine.run(REG, "delete", MARKER_KEY, "/v", name, "/f", timeout=30)


def press_key(wine, title, key):
    """Types a key into the X window of the Wine window with that title: focused, then typed
    through XTEST, so that press and release both reach the X server's own key state (a key
    sent to a window alone leaves Wine believing it is still held)."""
    env = wine.environment()
    found = subprocess.run(["xdotool", "search", "--name", f"^{title}$"], env=env, capture_output=True, text=True)
    windows = found.stdout.split()
    assert len(windows) == 1, f"X windows named {title!r}: {windows}"
    subprocess.run(["xdotool", "windowfocus", "--sync", windows[0], "key", key], env=env, check=True, timeout=30)


def report_of(java):
    return json.loads((java.home / "bin" / "server" / "jvm-report.json").read_text(encoding="utf-8"))


def wait_for_log_line(temp_dir, text, timeout=60):
    """Waits until the newest launcher log in temp_dir holds text."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if list(temp_dir.glob("lnx_nlog_*.log")) and text in newest_log_text(temp_dir):
            return
        time.sleep(0.05)
    raise AssertionError(f"{text!r} was not logged within {timeout} s")


def world_processes(wine, name):
    """Process ids of this world's Wine processes whose command line holds name."""
    prefix = f"WINEPREFIX={wine.environment()['WINEPREFIX']}".encode()
    listed = subprocess.run(["pgrep", "-f", name], capture_output=True, text=True).stdout.split()
    found = []
    for pid in listed:
        try:
            if prefix in pathlib.Path(f"/proc/{pid}/environ").read_bytes().split(b"\0"):
                found.append(int(pid))
        except OSError:
            pass  # ended meanwhile
    return found


def cancel(dialogs, run):
    """Presses Cancel in the progress dialog: the run's result and the seconds it took to end
    after the press."""
    reading = dialogs.read(window_class=PROGRESS_DIALOG_CLASS, process="setup.exe", press_id=2)
    assert reading.pressed == "Cancel", reading.stderr
    pressed = time.monotonic()
    result = run.wait(timeout=60)
    return result, time.monotonic() - pressed


def assert_canceled_cleanly(wine, result, took, temp_dir, setup_dir, setup_dir_before):
    """What a Cancel promises at every step: exit code 0 at once, and nothing of the run left
    in TEMP, beside the setup file, in the registry or among the processes."""
    assert result.returncode == 0, result.stderr
    assert took < 2, f"ended {took:.1f} s after Cancel"
    assert "Canceled installer" in newest_log_text(temp_dir)
    assert leftovers(temp_dir) == []
    assert sorted(p.name for p in setup_dir.iterdir()) == setup_dir_before
    assert markers(wine) == {}
    assert world_processes(wine, "unpack200.exe") == []


class TestDialog:
    def test_texts_layout_and_progress_while_the_java_side_starts(self, wine, dialogs, launcher, lnxpack,
                                                                   tmp_setup_dir, java, clean_temp):
        setup = interactive_setup(lnxpack, launcher, tmp_setup_dir)
        with wine.start(setup, env=java_env(wine, java, main_ms=8000)) as run:
            reading = dialogs.read(window_class=PROGRESS_DIALOG_CLASS, process="setup.exe")
            time.sleep(4)  # the watcher adds a quarter every half second up to its cap
            later = dialogs.read(window_class=PROGRESS_DIALOG_CLASS, process="setup.exe")
            result = run.wait(timeout=60)

        assert reading.exit_code == 0, reading.stderr
        assert reading.caption == "lanternix Wizard"
        assert reading.item(1003) == (1003, True, "Static", PREPARING)
        assert reading.item(2) == (2, True, "Button", "Cancel")
        assert reading.item(1002).visible is False, "the status line belongs to the download"
        low, high, _ = reading.progress[1001]
        assert (low, high) == (0, 400)
        assert later.progress[1001] == (0, 400, 390), "100 plus quarters of the rest, capped at 390"
        left, top, right, bottom = reading.rect
        d_left, d_top, d_right, d_bottom = reading.desktop
        assert abs((left + right) - (d_left + d_right)) <= 1 and abs((top + bottom) - (d_top + d_bottom)) <= 1
        assert result.returncode == 0
        assert "Quiet installer." not in newest_log_text(clean_temp)

    def test_escape_cancels_removes_markers_and_directory(self, wine, dialogs, launcher, lnxpack, tmp_setup_dir,
                                                          java, clean_temp):
        clear_markers(wine)
        setup = interactive_setup(lnxpack, launcher, tmp_setup_dir)
        with wine.start(setup, env=java_env(wine, java, main_ms=30000)) as run:
            reading = dialogs.read(window_class=PROGRESS_DIALOG_CLASS, process="setup.exe")
            assert markers(wine) == {"InstallStarted": 1, f"InstallStarted_{reading.pid}": 1}
            press_key(wine, "lanternix Wizard", "Escape")
            result = run.wait(timeout=30)

        assert result.returncode == 0
        assert "Canceled installer" in newest_log_text(clean_temp)
        assert markers(wine) == {}
        assert leftovers(clean_temp) == []

    def test_cancel_during_the_integrity_check_stops_before_extraction(self, wine, dialogs, launcher, lnxpack,
                                                                       tmp_setup_dir, java, clean_temp):
        files = {**default_files(), "big.bin": bytes(100 * 1024 * 1024)}
        setup = interactive_setup(lnxpack, launcher, tmp_setup_dir, files=files)
        with wine.start(setup, env=java_env(wine, java)) as run:
            reading = dialogs.read(window_class=PROGRESS_DIALOG_CLASS, process="setup.exe", press_id=2)
            result = run.wait(timeout=60)

        assert reading.pressed == "Cancel"
        assert result.returncode == 0
        log = newest_log_text(clean_temp)
        assert "Canceled installer" in log
        assert "checksums: " not in log, "stopped inside the check, not after it"
        assert "Included files: " not in log and "Temp dir3: " not in log, "extraction never started"
        assert "calling main" not in log
        assert leftovers(clean_temp) == []

    def test_dialog_answers_at_once_throughout_a_100_mb_check(self, wine, dialogs, launcher, lnxpack,
                                                              tmp_setup_dir, java, clean_temp):
        files = {**default_files(), "big.bin": bytes(100 * 1024 * 1024)}
        setup = interactive_setup(lnxpack, launcher, tmp_setup_dir, files=files)
        env = java_env(wine, java, window_after_ms=1500, window_for_ms=3000)
        with wine.start(setup, env=env) as run:
            reading = dialogs.read(window_class=PROGRESS_DIALOG_CLASS, process="setup.exe", watch_ms=60000)
            result = run.wait(timeout=60)

        assert "checksums: " in newest_log_text(clean_temp), "the 100 MB were checked while the probe pinged"
        answered, missed = reading.pings
        assert missed == 0
        assert answered >= 10, "pinged every 50 ms through the check, extraction and the VM start"
        assert reading.ended == "hidden"
        assert result.returncode == 0


class TestWatcher:
    def test_java_window_hides_the_dialog_and_clears_the_process_marker(self, wine, dialogs, launcher, lnxpack,
                                                                        tmp_setup_dir, java, clean_temp):
        setup = interactive_setup(lnxpack, launcher, tmp_setup_dir)
        with wine.start(setup, env=java_env(wine, java, window_after_ms=1000, window_for_ms=4000)) as run:
            reading = dialogs.read(window_class=PROGRESS_DIALOG_CLASS, process="setup.exe", watch_ms=30000)
            time.sleep(0.5)
            left = markers(wine)
            result = run.wait(timeout=60)

        assert reading.ended == "hidden"
        assert f"InstallStarted_{reading.pid}" not in left
        assert left.get("InstallStarted") == 1, "the global marker stays for the Java side"
        assert "Java window visible" in newest_log_text(clean_temp)
        assert [c["kind"] for c in report_of(java)["calls"] if c["kind"].startswith("window")] == [
            "windowShown", "windowClosed"]
        assert result.returncode == 0

    def test_marker_2_ends_the_wait_without_a_window(self, wine, dialogs, launcher, lnxpack, tmp_setup_dir, java,
                                                     clean_temp):
        setup = interactive_setup(lnxpack, launcher, tmp_setup_dir)
        with wine.start(setup, env=java_env(wine, java, set_marker=2, main_ms=5000)) as run:
            reading = dialogs.read(window_class=PROGRESS_DIALOG_CLASS, process="setup.exe", watch_ms=30000)
            result = run.wait(timeout=60)

        assert reading.ended == "hidden"
        assert reading.ended_after_ms < 4000, "hidden while main still runs"
        assert "Java window visible" in newest_log_text(clean_temp)
        assert result.returncode == 0


class TestDispatch:
    @pytest.mark.parametrize("arguments, config, shown", [
        (("-q", "-splash"), {}, True),
        (("-q",), {}, False),
        ((), {"noStartupDialog": True}, False),
    ])
    def test_which_starts_show_the_dialog(self, wine, dialogs, launcher, lnxpack, tmp_setup_dir, java, clean_temp,
                                          arguments, config, shown):
        setup = interactive_setup(lnxpack, launcher, tmp_setup_dir, config=config)
        pending = dialogs.start(window_class=PROGRESS_DIALOG_CLASS, process="setup.exe", wait_seconds=6)
        with wine.start(setup, *arguments, env=java_env(wine, java, main_ms=7000)) as run:
            reading = pending.result()
            result = run.wait(timeout=60)

        assert reading.exit_code == (0 if shown else NO_WINDOW)
        assert result.returncode == 0
        assert ("Quiet installer." in newest_log_text(clean_temp)) == (arguments == ("-q",))

    def test_missing_preparing_message_leaves_the_text_empty(self, wine, dialogs, launcher, lnxpack, tmp_setup_dir,
                                                             java):
        setup = interactive_setup(lnxpack, launcher, tmp_setup_dir, messages={"20007": None})
        with wine.start(setup, env=java_env(wine, java, main_ms=5000)) as run:
            reading = dialogs.read(window_class=PROGRESS_DIALOG_CLASS, process="setup.exe")
            run.wait(timeout=60)

        assert reading.item(1003).text == ""
        assert reading.caption == "lanternix Wizard"


class TestErrorsOverTheDialog:
    def test_fatal_error_box_is_owned_by_the_dialog(self, wine, dialogs, launcher, lnxpack, tmp_setup_dir, java,
                                                    clean_temp):
        setup = interactive_setup(lnxpack, launcher, tmp_setup_dir)
        with wine.start(setup, env=java_env(wine, java, fail_create=1)) as run:
            box = dialogs.read(process="setup.exe", press_id=1)
            result = run.wait(timeout=30)

        assert box.owner_class == PROGRESS_DIALOG_CLASS
        assert box.message.startswith("The JVM could not be started.")
        assert result.returncode == 1
        assert leftovers(clean_temp) == []


INTERACTIVE = {"noStartupDialog": False}


class TestCancelLeavesNothing:
    """Cancel during each slow step before the VM starts; the download is in
    test_runtime_choice.py."""

    def test_while_the_bundled_runtime_is_unpacked(self, wine, dialogs, runtimes, launcher, lnxpack, tmp_setup_dir,
                                                   clean_temp):
        home = runtimes.make(tmp_setup_dir / "bundle", "1.8.0_201").home
        (home / "lib" / "big.bin").write_bytes(bytes(300 << 20))  # seconds of writing under Wine
        setup = bundle(lnxpack, launcher, tmp_setup_dir, home, INTERACTIVE)
        before = sorted(p.name for p in tmp_setup_dir.iterdir())
        clear_markers(wine)
        with wine.start(setup, env=NO_JAVA) as run:
            wait_for_log_line(clean_temp, "big.bin (size ")
            result, took = cancel(dialogs, run)

        assert_canceled_cleanly(wine, result, took, clean_temp, tmp_setup_dir, before)
        assert "untaring JRE was successful" not in newest_log_text(clean_temp)

    def test_while_unpack200_runs(self, wine, dialogs, runtimes, launcher, lnxpack, tmp_setup_dir, clean_temp):
        runtime = runtimes.make(tmp_setup_dir / "bundle", "1.8.0_201",
                                packed_jars={"lib/rt.jar": minimal_jar("java/lang/Object.class")})
        (runtime.bin_dirs[0] / "unpack.cfg").write_text("sleep_ms=60000\n")  # read by the stand-in
        setup = bundle(lnxpack, launcher, tmp_setup_dir, runtime.home, INTERACTIVE, packed=True)
        before = sorted(p.name for p in tmp_setup_dir.iterdir())
        clear_markers(wine)
        with wine.start(setup, env=NO_JAVA) as run:
            wait_for_log_line(clean_temp, "waiting for unpack200 to finish")
            assert world_processes(wine, "unpack200.exe"), "the unpacker runs while Cancel is pressed"
            result, took = cancel(dialogs, run)

        assert_canceled_cleanly(wine, result, took, clean_temp, tmp_setup_dir, before)
        log = newest_log_text(clean_temp)
        assert "unpack200 ended on cancel" in log and "unpack done" not in log

    def test_between_the_probes_of_the_runtime_search(self, wine, dialogs, runtimes, launcher, lnxpack,
                                                      tmp_setup_dir, clean_temp):
        # Runtimes too old to take, each probed in turn: seconds of search in all.
        homes = [runtimes.make(tmp_setup_dir / f"old{i}", "1.5.0_22", javaw=False, vm_dirs=()).home
                 for i in range(40)]
        sequence = "".join(f"A{wine.windows_path(home)};" for home in homes)
        setup = interactive_setup(lnxpack, launcher, tmp_setup_dir, config={"searchSequence": sequence})
        before = sorted(p.name for p in tmp_setup_dir.iterdir())
        clear_markers(wine)
        with wine.start(setup, env=NO_JAVA) as run:
            wait_for_log_line(clean_temp, f"Testing location {wine.windows_path(homes[2])} ")
            result, took = cancel(dialogs, run)

        assert_canceled_cleanly(wine, result, took, clean_temp, tmp_setup_dir, before)
        assert f"Testing location {wine.windows_path(homes[-1])} " not in newest_log_text(clean_temp)
