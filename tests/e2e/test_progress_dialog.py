"""The progress dialog of an interactive start as a user meets it: its texts and layout,
Cancel and Escape, the watcher that hides it once the Java side's window is up, the
dispatch by options and configuration, and errors shown over it."""

import json
import re
import subprocess
import time

import pytest

from dialogs import NO_WINDOW
from setups import NO_JAVA, PROGRESS_DIALOG_CLASS, build_setup, default_files, java_env, leftovers, newest_log_text

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
