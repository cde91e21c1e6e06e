"""No runtime on the machine: the runtime choice dialog with Locate and Download, the file
dialog for a java.exe, and the download of a runtime archive from a loopback server."""

import io
import tarfile
import time

import pytest

from http_server import LoopbackServer
from setups import NO_JAVA, PROGRESS_DIALOG_CLASS, build_setup, leftovers, newest_log_text
from test_bundled_runtime import CORRUPTED
from test_progress_dialog import assert_canceled_cleanly, cancel, clear_markers, markers, wait_for_log_line

LOCATE, DOWNLOAD, CANCEL = 1005, 1004, 2
FILE_NAME_FIELD = 1148
NOT_FOUND = ("The lanternix wizard could not find a Java(TM) Runtime Environment on your system. Please locate a "
             "suitable {bits}-bit JRE. (minimum version: 1.7, maximum version: 1.8)")
DOWNLOAD_FAILED = ("Error downloading the Java(TM) Runtime Environment.\n"
                   "Please check your internet connection and start setup again.")


LOCATED_KEYS = ("HKLM\\SOFTWARE\\qorvane-systems\\morva\\locatedjvms",
                "HKCU\\SOFTWARE\\qorvane-systems\\morva\\locatedjvms")


@pytest.fixture
def located_runtimes_forgotten(wine):
    """A located runtime is found by every later search of the world: forget it afterwards."""
    yield
    for key in LOCATED_KEYS:
        wine.run("C:\\windows\\system32\\reg.exe", "delete", key, "/f", timeout=30)


@pytest.fixture
def server():
    started = LoopbackServer()
    yield started
    started.close()


def no_runtime_setup(lnxpack, launcher, directory, **config):
    return build_setup(lnxpack, launcher, directory, {"config": {
        "noStartupDialog": False, "searchSequence": "", "minJavaVersion": "1.7", "maxJavaVersion": "1.8", **config}})


def runtime_archive(runtimes, directory):
    home = runtimes.make(directory, "1.8.0_201").home
    archive = io.BytesIO()
    with tarfile.open(fileobj=archive, mode="w:gz", format=tarfile.GNU_FORMAT) as tar:
        tar.add(home, arcname=".")
    return archive.getvalue()


class TestChoiceDialog:
    def test_texts_without_download_and_cancel_ends_with_1(self, wine, dialogs, launcher, lnxpack, tmp_setup_dir,
                                                          clean_temp, launcher_bits):
        clear_markers(wine)
        setup = no_runtime_setup(lnxpack, launcher, tmp_setup_dir)
        with wine.start(setup, env=NO_JAVA) as run:
            choice = dialogs.read(process="setup.exe", title_contains="lanternix Wizard", press_id=CANCEL)
            result = run.wait(timeout=30)

        assert choice.owner_class == PROGRESS_DIALOG_CLASS
        assert choice.item(1003).text == NOT_FOUND.format(bits=launcher_bits)
        assert choice.item(DOWNLOAD).visible is False, "no download location, no Download button"
        assert [choice.item(LOCATE).text, choice.item(CANCEL).text] == ["Locate", "Cancel"]
        assert result.returncode == 1
        assert markers(wine) == {}
        assert leftovers(clean_temp) == []

    def test_locate_refuses_a_too_old_runtime_and_takes_a_good_one(self, wine, dialogs, runtimes, launcher, lnxpack,
                                                                  launcher_bits,
                                                                  tmp_setup_dir, clean_temp,
                                                                  located_runtimes_forgotten):
        old = runtimes.make(tmp_setup_dir / "old", "1.6.0_45")
        good = runtimes.make(tmp_setup_dir / "good", "1.8.0_201")
        setup = no_runtime_setup(lnxpack, launcher, tmp_setup_dir)

        def pick(java):
            dialogs.read(process="setup.exe", title_contains="lanternix Wizard", press_id=LOCATE)
            return dialogs.read(process="setup.exe", title_contains='"java.exe"', press_id=1,
                                set_text=(FILE_NAME_FIELD, wine.windows_path(java.java_exe)))

        with wine.start(setup, env=NO_JAVA) as run:
            file_dialog = pick(old)
            refusal = dialogs.read(process="setup.exe", title_contains="Error", press_id=1)
            pick(good)
            result = run.wait(timeout=60)

        assert file_dialog.caption == 'Please choose the file "java.exe" of the JRE'
        assert refusal.message.startswith("No JVM could be found on your system.\nPlease define MORVA_JAVA_HOME to "
                                          f"point to an installed {launcher_bits}-bit JDK or JRE or download a JRE.")
        assert result.returncode == 0, result.stderr
        report = good.home / "bin" / "server" / "jvm-report.json"
        assert report.is_file()

        report.unlink()
        later_dir = tmp_setup_dir / "later"
        later_dir.mkdir()
        later = build_setup(lnxpack, launcher, later_dir, {"config": {"searchSequence": "Y;"}})
        assert wine.run(later, "-q", env=NO_JAVA, timeout=60).returncode == 0
        assert report.is_file(), "a later run finds the located runtime in the registry"


class TestDownload:
    def test_locating_a_runtime_of_the_other_width_names_the_launchers_width(
            self, wine, dialogs, runtimes, launcher, lnxpack, launcher_bits, tmp_setup_dir, clean_temp,
            located_runtimes_forgotten):
        other = runtimes.make(tmp_setup_dir / "other", "1.8.0_201", vm_dirs=(), other_width_vm_dirs=("server",))
        setup = no_runtime_setup(lnxpack, launcher, tmp_setup_dir)
        with wine.start(setup, env=NO_JAVA) as run:
            dialogs.read(process="setup.exe", title_contains="lanternix Wizard", press_id=LOCATE)
            dialogs.read(process="setup.exe", title_contains='"java.exe"', press_id=1,
                         set_text=(FILE_NAME_FIELD, wine.windows_path(other.java_exe)))
            refusal = dialogs.read(process="setup.exe", title_contains="Error", press_id=1)
            dialogs.read(process="setup.exe", title_contains="lanternix Wizard", press_id=CANCEL)
            result = run.wait(timeout=60)

        assert refusal.message.startswith(
            f"The JVM found at {wine.windows_path(other.java_exe)} is damaged.\nPlease reinstall or define "
            f"MORVA_JAVA_HOME\nto point to an installed {launcher_bits}-bit JDK or JRE.")
        assert "Failed with error code 193" in newest_log_text(clean_temp)
        assert result.returncode == 1

    def test_quiet_download_without_asking(self, wine, runtimes, launcher, lnxpack, tmp_setup_dir, server,
                                           clean_temp):
        server.serve(body=runtime_archive(runtimes, tmp_setup_dir / "served"), length_from_request=3)
        setup = no_runtime_setup(lnxpack, launcher, tmp_setup_dir, downloadLocation=server.url(),
                                 downloadWithoutAsking=True)
        result = wine.run(setup, "-q", env=NO_JAVA, timeout=90)

        assert result.returncode == 0, result.stderr
        assert result.stdout.replace("\r\n", "\n") == "No JRE found. Trying to download.\n"
        log = newest_log_text(clean_temp)
        assert log.count("HttpQueryInfo (try ") == 2, "the length came with the third request"
        assert "download successful" in log and "untaring JRE was successful" in log
        assert "calling main" in log

    def test_download_from_the_dialog_shows_its_progress(self, wine, dialogs, runtimes, launcher, lnxpack,
                                                         tmp_setup_dir, server, clean_temp):
        body = runtime_archive(runtimes, tmp_setup_dir / "served") + bytes(1 << 20)  # tar ignores the tail
        server.serve(body=body, chunk_delay=0.15)
        setup = no_runtime_setup(lnxpack, launcher, tmp_setup_dir, downloadLocation=server.url())
        with wine.start(setup, env=NO_JAVA) as run:
            choice = dialogs.read(process="setup.exe", title_contains="lanternix Wizard", press_id=DOWNLOAD)
            time.sleep(1.5)  # a few of the slow chunks
            progress = dialogs.read(window_class=PROGRESS_DIALOG_CLASS, process="setup.exe")
            result = run.wait(timeout=90)

        assert choice.item(DOWNLOAD).visible is True
        status = progress.item(1002)
        assert status.visible and " MB of " in status.text and status.text.endswith(" kb/s"), status
        assert progress.item(1003).text.endswith("is downloading the Java(TM) Runtime Environment. Please wait.")
        assert result.returncode == 0, result.stderr

    def test_without_a_start_up_dialog_the_progress_dialog_hosts_only_the_download(
            self, wine, dialogs, runtimes, launcher, lnxpack, tmp_setup_dir, server, clean_temp):
        server.serve(body=runtime_archive(runtimes, tmp_setup_dir / "served"))
        setup = no_runtime_setup(lnxpack, launcher, tmp_setup_dir, noStartupDialog=True,
                                 downloadLocation=server.url())
        with wine.start(setup, env=NO_JAVA) as run:
            choice = dialogs.read(process="setup.exe", title_contains="lanternix Wizard", press_id=DOWNLOAD)
            assert choice.exit_code == 0, f"the choice dialog was not pressed and closed: {choice.stderr}"
            result = run.wait(timeout=90)

        assert choice.owner_class == PROGRESS_DIALOG_CLASS, "dialog 103 was shown for the flow"
        assert result.returncode == 0, result.stderr
        log = newest_log_text(clean_temp)
        assert "download successful" in log and "calling main" in log

    @pytest.mark.parametrize("failure, logged", [
        ({"status": 404, "body": b"not here"}, "ERROR: the server answered with status 404"),
        ({"body": b"x" * 1000, "announce_extra": 5000}, "ERROR: the download ended after 1000 of 6000 bytes"),
    ])
    def test_three_failed_attempts_end_with_the_download_message(self, wine, launcher, lnxpack, tmp_setup_dir,
                                                                  server, clean_temp, failure, logged):
        served = server.serve(**failure)
        setup = no_runtime_setup(lnxpack, launcher, tmp_setup_dir, downloadLocation=server.url(),
                                 downloadWithoutAsking=True)
        result = wine.run(setup, "-q", env=NO_JAVA, timeout=90)

        assert result.returncode == 1
        assert result.stderr.replace("\r\n", "\n").startswith(DOWNLOAD_FAILED)
        log = newest_log_text(clean_temp)
        assert log.count(logged) == 3 and log.count("ERROR: Retry JRE download") == 3
        assert "download successful" not in log
        assert len(served.requests) == 3
        assert leftovers(clean_temp) == []

    def test_an_empty_download_is_a_corrupted_runtime(self, wine, launcher, lnxpack, tmp_setup_dir, server,
                                                      clean_temp):
        server.serve(body=b"")
        setup = no_runtime_setup(lnxpack, launcher, tmp_setup_dir, downloadLocation=server.url(),
                                 downloadWithoutAsking=True)
        result = wine.run(setup, "-q", env=NO_JAVA, timeout=90)

        assert result.returncode == 1
        assert "download successful" in newest_log_text(clean_temp)
        assert result.stderr.startswith("The bundled JRE is corrupted.")
        assert leftovers(clean_temp) == []


class TestCancelDuringTheDownload:
    @pytest.mark.parametrize("start_up_dialog", [True, False])
    def test_leaves_nothing(self, wine, dialogs, runtimes, launcher, lnxpack, tmp_setup_dir, server, clean_temp,
                            start_up_dialog):
        body = runtime_archive(runtimes, tmp_setup_dir / "served") + bytes(1 << 20)
        server.serve(body=body, chunk_size=512, chunk_delay=0.02)  # a trickle: a minute in all
        setup = no_runtime_setup(lnxpack, launcher, tmp_setup_dir, noStartupDialog=not start_up_dialog,
                                 downloadLocation=server.url(), downloadWithoutAsking=True)
        before = sorted(p.name for p in tmp_setup_dir.iterdir())
        clear_markers(wine)
        with wine.start(setup, env=NO_JAVA) as run:
            wait_for_log_line(clean_temp, "file size: ")
            time.sleep(0.5)  # jre.tar.gz is open and growing
            result, took = cancel(dialogs, run)

        assert_canceled_cleanly(wine, result, took, clean_temp, tmp_setup_dir, before)
        log = newest_log_text(clean_temp)
        assert "download canceled after " in log and "download successful" not in log


class TestWithoutTheProgressDialog:
    def test_a_corrupted_download_is_reported_after_the_hosting_dialog_ended(self, wine, dialogs, runtimes, launcher,
                                                                             lnxpack, tmp_setup_dir, server,
                                                                             clean_temp):
        archive = runtime_archive(runtimes, tmp_setup_dir / "served")
        server.serve(body=archive[:len(archive) // 2])  # sent in full as announced, the archive cut short
        setup = no_runtime_setup(lnxpack, launcher, tmp_setup_dir, noStartupDialog=True,
                                 downloadLocation=server.url(), downloadWithoutAsking=True)
        with wine.start(setup, env=NO_JAVA) as run:
            box = dialogs.read(process="setup.exe", title_contains="Error", press_id=1)
            result = run.wait(timeout=60)

        assert box.message.startswith(CORRUPTED), box.stdout
        assert box.owner_class is None, "the dialog that hosted the download is gone"
        assert result.returncode == 1
        assert "download successful" in newest_log_text(clean_temp)
        assert leftovers(clean_temp) == []

    def test_a_dialog_that_cannot_be_shown_runs_the_work_once_without_it(self, wine, runtimes, launcher, lnxpack,
                                                                        tmp_setup_dir, server, clean_temp):
        server.serve(body=runtime_archive(runtimes, tmp_setup_dir / "served"))
        setup = no_runtime_setup(lnxpack, launcher, tmp_setup_dir, downloadLocation=server.url(),
                                 downloadWithoutAsking=True)
        # Without a display no window can be created: neither dialog can be shown.
        result = wine.run(setup, env={**NO_JAVA, "DISPLAY": ""}, timeout=90)

        assert result.returncode == 0, result.stderr
        log = newest_log_text(clean_temp)
        assert log.count("could not show the progress dialog") == 2, "the work, then the download"
        assert log.count("Starting work") == 1 and log.count("Temp dir3: ") == 1
        assert "download successful" in log and "calling main" in log
