"""What the launcher does with a bundled runtime besides using it: -manual and
preferInstalledRuntime choose between it and an installed one, a bundle that does not load
ends with the log-file message when no other runtime is found, and the progress bar moves
from 200 towards 300 while packed jars are restored."""

import io
import tarfile
import time

from runtimes import minimal_jar
from setups import NO_JAVA, PROGRESS_DIALOG_CLASS, build_setup, default_files, leftovers, newest_log_text
from test_bundled_runtime import SEARCH_NOTHING, bundle as bundled

NOT_USABLE = "Could not use bundled JRE. Please send this log file to your software vendor:"


def ran(runtime) -> bool:
    return (runtime.home / "bin" / "server" / "jvm-report.json").is_file()


def test_manual_ignores_the_bundled_runtime_and_searches_nothing(wine, runtimes, launcher, lnxpack, tmp_setup_dir,
                                                                 clean_temp):
    """-manual: the user picks the runtime; without a window to pick in, the run ends as one
    without a runtime does."""
    bundle = runtimes.make(tmp_setup_dir / "bundle", "1.8.0_201")
    installed = runtimes.make(tmp_setup_dir / "installed", "1.8.0_201")
    setup = bundled(lnxpack, launcher, tmp_setup_dir, bundle.home, {"searchSequence": "EJAVA_HOME;"})
    result = wine.run(setup, "-q", "-manual", env={**NO_JAVA, "JAVA_HOME": wine.windows_path(installed.home)},
                      timeout=60)

    assert result.returncode == 83, result.stderr
    log = newest_log_text(clean_temp)
    assert "extracting JRE" not in log, "the bundle is ignored"
    assert "Testing location" not in log, "no search runs"
    assert not ran(installed) and not ran(bundle)


def test_prefer_installed_takes_the_installed_runtime_and_never_unpacks_the_bundle(
        wine, runtimes, launcher, lnxpack, tmp_setup_dir, clean_temp):
    bundle = runtimes.make(tmp_setup_dir / "bundle", "1.8.0_201")
    installed = runtimes.make(tmp_setup_dir / "installed", "1.8.0_201")
    setup = bundled(lnxpack, launcher, tmp_setup_dir, bundle.home,
                    {"preferInstalledRuntime": True, "searchSequence": "EJAVA_HOME;"})
    result = wine.run(setup, "-q", env={**NO_JAVA, "JAVA_HOME": wine.windows_path(installed.home)}, timeout=60)

    assert result.returncode == 0, result.stderr
    assert ran(installed)
    log = newest_log_text(clean_temp)
    assert "extracting JRE" not in log, "the bundle stays packed"
    assert "JRE dir: " not in log


def test_prefer_installed_without_one_falls_back_to_the_bundle(wine, runtimes, launcher, lnxpack, tmp_setup_dir,
                                                               clean_temp):
    bundle = runtimes.make(tmp_setup_dir / "bundle", "1.8.0_201")
    setup = bundled(lnxpack, launcher, tmp_setup_dir, bundle.home,
                    {"preferInstalledRuntime": True, "searchSequence": "EJAVA_HOME;"})
    result = wine.run(setup, "-q", env=NO_JAVA, timeout=60)

    assert result.returncode == 0, result.stderr
    log = newest_log_text(clean_temp)
    assert "untaring JRE was successful" in log and "calling main" in log


def test_a_bundle_that_does_not_load_and_no_other_runtime_end_with_the_log_file_message(
        wine, runtimes, launcher, lnxpack, tmp_setup_dir, clean_temp):
    # A runtime of the other width: lnxpack would refuse it, so the archive is made by hand.
    home = runtimes.make(tmp_setup_dir / "other", "1.8.0_201", vm_dirs=(), other_width_vm_dirs=("server",)).home
    archive = io.BytesIO()
    with tarfile.open(fileobj=archive, mode="w:gz", format=tarfile.GNU_FORMAT) as tar:
        tar.add(home, arcname=".")
    setup = build_setup(lnxpack, launcher, tmp_setup_dir, {"config": SEARCH_NOTHING},
                        files={**default_files(), "jre.tar.gz": archive.getvalue()})
    result = wine.run(setup, "-q", env=NO_JAVA, timeout=60)

    assert result.returncode == 1
    assert result.stderr.startswith(NOT_USABLE)
    log_name = result.stderr[len(NOT_USABLE):].strip()
    assert log_name.endswith(".log"), "the log's path follows the text, and the log is kept"
    log = newest_log_text(clean_temp)
    assert "Could not load bundled JRE. Trying to find another JRE." in log
    assert "Could not find another JRE." in log
    assert leftovers(clean_temp) == [], "no TempDir stays behind"


def test_the_bar_moves_from_200_towards_300_while_packed_jars_are_restored(
        wine, dialogs, runtimes, launcher, lnxpack, tmp_setup_dir, clean_temp):
    bundle = runtimes.make(tmp_setup_dir / "bundle", "1.8.0_201",
                           packed_jars={"lib/rt.jar": minimal_jar("java/lang/Object.class")})
    (bundle.home / "bin" / "unpack.cfg").write_text("sleep_ms=6000\n")  # a slow unpack200.exe
    setup = bundled(lnxpack, launcher, tmp_setup_dir, bundle.home, {"noStartupDialog": False}, packed=True)
    with wine.start(setup, env=NO_JAVA) as run:
        readings = []  # (position, whether unpacking had ended by then)
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline and run.running():
            reading = dialogs.read(window_class=PROGRESS_DIALOG_CLASS, process="setup.exe", wait_seconds=5)
            if 1001 not in reading.progress:
                break  # the run ended between the check and the reading
            done = "Unpacking JRE done" in newest_log_text(clean_temp)
            readings.append((reading.progress[1001][2], done))
            if done:
                break
            time.sleep(0.3)
        result = run.wait(timeout=60)

    assert result.returncode == 0, result.stderr
    # Extraction leaves the bar at 200; while unpack200.exe runs only the unpack progress
    # moves it, 10 at a time every tenth of the extraction's time, and never past 300 (the
    # VM's start takes it on later).
    while_unpacking = [position for position, done in readings if not done and position > 200]
    assert while_unpacking, f"the bar moved on from 200 while unpack200 ran: {readings}"
    assert max(while_unpacking) <= 300, readings
