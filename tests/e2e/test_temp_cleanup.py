"""The temp-cleanup mode: a copy of the launcher started as `setup.exe __lnx_windel LIST`
waits for the semaphore the list names, deletes the listed files and directories, schedules
what resists for deletion at restart, and deletes the list. The launcher needs no Payload
for it, so the bare stub serves."""

import json
import os
import pathlib
import shutil
import subprocess
import time

import pytest

from cleanup_lists import (PRODUCT_KEY, QUESTION, delete_registry_value, hold, pending_deletions,
                           registry_value, restart_deletions, write_list)
from setups import build_setup, java_env, leftovers

@pytest.fixture
def tree(tmp_setup_dir):
    """Files and directories to delete, one of them with a name beyond ASCII."""
    root = tmp_setup_dir / "to delete"
    (root / "sub").mkdir(parents=True)
    (root / "empty").mkdir()
    for name in ("a.txt", "d\u00e9j\u00e0 vu.txt", "sub/b.bin"):
        (root / name).write_bytes(b"x" * 1000)
    return root


def listed(wine, root):
    files = [wine.windows_path(root / name) for name in ("a.txt", "d\u00e9j\u00e0 vu.txt", "sub/b.bin")]
    directories = [wine.windows_path(root / name) for name in ("sub", "empty")] + [wine.windows_path(root)]
    return files, directories


class TestDeletion:
    def test_deletable_files_and_directories_go_in_one_pass_with_the_list(self, wine, launcher, tmp_setup_dir, tree):
        files, directories = listed(wine, tree)
        (tmp_setup_dir / "my lists").mkdir()
        listing = write_list(tmp_setup_dir / "my lists" / "list.txt", files=files, directories=directories)
        started = time.monotonic()
        result = wine.run(launcher, "__lnx_windel", wine.windows_path(listing), timeout=60)
        took = time.monotonic() - started

        assert result.returncode == 0
        assert not tree.exists()
        assert not listing.exists()
        assert took < 5, "one pass, no pause: 60 passes take 30 s"

    def test_a_missing_list_ends_at_once_with_exit_code_0(self, wine, launcher, tmp_setup_dir):
        result = wine.run(launcher, "__lnx_windel", wine.windows_path(tmp_setup_dir / "none.txt"), timeout=20)
        assert result.returncode == 0

    def test_the_semaphore_of_a_running_process_delays_the_deletion_until_it_ends(self, wine, launcher, holder,
                                                                              tmp_setup_dir, tree):
        files, directories = listed(wine, tree)
        name = "Local\\c:_lnxtests_cleanup_setup.exe0"
        listing = write_list(tmp_setup_dir / "list.txt", semaphore=name, files=files, directories=directories)
        installer = hold(wine, holder, "semaphore", name, 4000)
        cleanup = wine.start(launcher, "__lnx_windel", wine.windows_path(listing))
        time.sleep(2)
        assert cleanup.running() and tree.exists(), "nothing is deleted while the installer runs"
        installer.wait(30)
        ended = time.monotonic()
        assert cleanup.wait(30).returncode == 0
        # The copy polls every 200 ms and closes what it created: holding the name itself
        # would make it wait for ever.
        assert time.monotonic() - ended < 5
        assert not tree.exists() and not listing.exists()

    def test_a_locked_file_of_a_launcher_temp_dir_is_scheduled_in_the_first_pass(self, wine, launcher, holder,
                                                                              tmp_setup_dir):
        temp_dir = tmp_setup_dir / "mrv1A2B.tmp_dir1700000000"
        temp_dir.mkdir()
        locked = temp_dir / "lnxruntime.jar"
        locked.write_bytes(b"jar")
        listing = write_list(tmp_setup_dir / "list.txt", files=[wine.windows_path(locked)],
                             directories=[wine.windows_path(temp_dir)])
        installer = hold(wine, holder, "file", wine.windows_path(locked))
        started = time.monotonic()
        result = wine.run(launcher, "__lnx_windel", wine.windows_path(listing), timeout=60)
        took = time.monotonic() - started

        assert result.returncode == 0
        assert took < 5, "the launcher's own files do not keep the passes going"
        assert locked.exists()
        assert "\\??\\" + wine.windows_path(locked) in pending_deletions(wine)
        installer.close()
        restart_deletions(wine)
        assert not locked.exists() and not temp_dir.exists()


class TestRestartAfterDeletion:
    def test_a_file_locked_throughout_asks_to_restart_and_no_leaves_the_marker(self, wine, dialogs, launcher, holder,
                                                                            tmp_setup_dir, windows_temp_dir):
        locked = tmp_setup_dir / "in use.dll"
        locked.write_bytes(b"dll")
        listing = write_list(tmp_setup_dir / "list.txt", mode="reboot_deletion", files=[wine.windows_path(locked)])
        installer = hold(wine, holder, "file", wine.windows_path(locked))
        for root in ("HKLM", "HKCU"):
            delete_registry_value(wine, f"{root}\\{PRODUCT_KEY}", "RebootCheckFile")
        started = time.monotonic()
        cleanup = wine.start(launcher, "__lnx_windel", wine.windows_path(listing))
        question = dialogs.read(title_contains="lanternix", process=launcher.name, press="No", wait_seconds=60)
        asked_after = time.monotonic() - started
        result = cleanup.wait(30)
        try:
            assert result.returncode == 0
            assert question.caption == "lanternix"
            assert question.message == QUESTION
            assert question.buttons == ["&Yes", "&No"]
            assert 28 < asked_after < 45, "60 passes about 500 ms apart come first"
            marker = registry_value(wine, f"HKLM\\{PRODUCT_KEY}", "RebootCheckFile")
            assert marker and registry_value(wine, f"HKCU\\{PRODUCT_KEY}", "RebootCheckFile") == marker
            check_file = wine.unix_path(marker)
            assert check_file.parent == windows_temp_dir and check_file.name.startswith("ide")
            assert check_file.exists(), "the marker holds while its file exists"
            pending = pending_deletions(wine)
            assert "\\??\\" + wine.windows_path(locked) in pending and "\\??\\" + marker in pending
            assert not listing.exists()

            installer.close()
            restart_deletions(wine)
            assert not locked.exists() and not check_file.exists()
        finally:
            for root in ("HKLM", "HKCU"):
                delete_registry_value(wine, f"{root}\\{PRODUCT_KEY}", "RebootCheckFile")


def test_a_setup_run_leaves_nothing_in_temp(wine, launcher, lnxpack, runtimes, tmp_setup_dir, clean_temp):
    """The whole chain: after main the Java side lists the TempDir and starts the cleanup
    copy, which waits until the launcher has ended and then removes it."""
    java = runtimes.make(tmp_setup_dir / "java8", "1.8.0_201")
    setup = build_setup(lnxpack, launcher, tmp_setup_dir, {"config": {"searchSequence": "EJAVA_HOME;"}})
    report = tmp_setup_dir / "report.json"
    env = java_env(wine, java, report=wine.windows_path(report))
    env["LNX_JVM_TEMP_CLEANUP"] = "1"
    result = wine.run(setup, "-q", env=env, timeout=60)
    assert result.returncode == 0
    event = next(c for c in json.loads(report.read_text(encoding="utf-8"))["calls"] if c["kind"] == "tempCleanup")
    assert "problem" not in event and event["files"] >= 1 and event["directories"] >= 1
    listing = wine.unix_path(event["list"])
    deadline = time.monotonic() + 30
    while (leftovers(clean_temp) or listing.exists()) and time.monotonic() < deadline:
        time.sleep(0.2)
    assert leftovers(clean_temp) == [], "no TempDir and no file that named it"
    assert not listing.exists()


class TestHostileLists:
    def test_a_list_that_is_not_utf16_deletes_nothing_it_seems_to_name(self, wine, launcher, tmp_setup_dir, tree):
        files, directories = listed(wine, tree)
        listing = tmp_setup_dir / "list.txt"
        listing.write_bytes("".join(line + "\r\n" for line in ["", "", *files, "", *directories]).encode("utf-8"))
        result = wine.run(launcher, "__lnx_windel", wine.windows_path(listing), timeout=60)

        assert result.returncode == 0
        assert all((tree / name).is_file() for name in ("a.txt", "d\u00e9j\u00e0 vu.txt", "sub/b.bin"))

    def test_a_100_mb_line_ends_in_bounded_time(self, wine, launcher, tmp_setup_dir):
        listing = tmp_setup_dir / "list.txt"
        with open(listing, "wb") as out:
            chunk = "C:\\nothing".encode("utf-16-le") * 100000
            for _ in range(100 * 1024 * 1024 // len(chunk)):
                out.write(chunk)
        started = time.monotonic()
        result = wine.run(launcher, "__lnx_windel", wine.windows_path(listing), timeout=120)

        assert result.returncode == 0
        assert time.monotonic() - started < 30

    def test_a_list_with_unclosed_messages_deletes_nothing(self, wine, launcher, tmp_setup_dir, tree):
        files, directories = listed(wine, tree)
        lines = ["", "reboot_deletion", "Restart?", "EOSMARKER", *files, "", *directories]
        listing = tmp_setup_dir / "list.txt"
        listing.write_bytes("".join(line + "\r\n" for line in lines).encode("utf-16-le"))
        result = wine.run(launcher, "__lnx_windel", wine.windows_path(listing), timeout=60)

        assert result.returncode == 0
        assert all((tree / name).is_file() for name in ("a.txt", "d\u00e9j\u00e0 vu.txt", "sub/b.bin"))
        assert not listing.exists()

    def test_a_path_that_climbs_out_of_a_temp_dir_is_left_alone(self, wine, launcher, tmp_setup_dir):
        temp_dir = tmp_setup_dir / "mrv1A2B.tmp_dir1700000000"
        temp_dir.mkdir()
        victim = tmp_setup_dir / "thesis.docx"
        victim.write_bytes(b"mine")
        climbing = wine.windows_path(temp_dir) + "\\..\\thesis.docx"
        listing = write_list(tmp_setup_dir / "list.txt", mode="reboot_deletion", files=[climbing])
        result = wine.run(launcher, "__lnx_windel", wine.windows_path(listing), timeout=60)

        assert result.returncode == 0
        assert victim.exists()
        assert "thesis.docx" not in pending_deletions(wine)


# ---- Hostile lists: what is deleted is exactly what lies inside the TempDir ----------------

TEMP_DIR_NAME = "mrv1A2B.tmp_dir1700000000"


@pytest.fixture
def temp_dir_world(wine, launcher, tmp_setup_dir):
    """A TempDir below a folder with an apostrophe, files of the user's beside it and in the
    folder of a copy of the launcher (the cleanup copy's current directory): relative names
    resolve there."""
    home = tmp_setup_dir / "O'Brien"
    temp_dir = home / TEMP_DIR_NAME
    (temp_dir / "sub").mkdir(parents=True)
    for name in ("a.txt", "sub/b.bin"):
        (temp_dir / name).write_bytes(b"run")
    for victim in (tmp_setup_dir / "victim.txt", home / "victim.txt"):
        victim.write_bytes(b"mine")
    copy = tmp_setup_dir / launcher.name
    shutil.copyfile(launcher, copy)
    return home, temp_dir, copy


def inside(wine, temp_dir):
    files = [wine.windows_path(temp_dir / name) for name in ("a.txt", "sub/b.bin")]
    return files, [wine.windows_path(temp_dir / "sub"), wine.windows_path(temp_dir)]


HOSTILE_LINES = {
    "relative": lambda wine, setup_dir, temp_dir: "victim.txt",
    "drive-relative": lambda wine, setup_dir, temp_dir: "C:victim.txt",
    "rooted": lambda wine, setup_dir, temp_dir: wine.windows_path(setup_dir / "victim.txt")[2:],
    "dot-dot": lambda wine, setup_dir, temp_dir: wine.windows_path(temp_dir) + "\\..\\victim.txt",
    "wildcard": lambda wine, setup_dir, temp_dir: wine.windows_path(setup_dir) + "\\vic*.txt",
    "stream": lambda wine, setup_dir, temp_dir: wine.windows_path(setup_dir / "victim.txt") + ":data",
    "forward slashes": lambda wine, setup_dir, temp_dir: wine.windows_path(setup_dir / "victim.txt").replace("\\", "/"),
}


@pytest.mark.parametrize("kind", list(HOSTILE_LINES))
def test_a_hostile_line_deletes_nothing_outside_the_temp_dir(wine, temp_dir_world, tmp_setup_dir, kind):
    home, temp_dir, copy = temp_dir_world
    files, directories = inside(wine, temp_dir)
    hostile = HOSTILE_LINES[kind](wine, tmp_setup_dir, temp_dir)
    listing = write_list(tmp_setup_dir / "list.txt", mode="reboot_deletion", files=[hostile, *files],
                         directories=directories)
    result = wine.run(copy, "__lnx_windel", wine.windows_path(listing), cwd=tmp_setup_dir, timeout=60)

    assert result.returncode == 0
    assert not temp_dir.exists(), "the TempDir's own files go"
    assert (tmp_setup_dir / "victim.txt").read_bytes() == b"mine"
    assert (home / "victim.txt").read_bytes() == b"mine"
    assert "victim" not in pending_deletions(wine), "nothing of the user's is scheduled for the restart either"
    assert not listing.exists()


def test_an_unclosed_message_block_deletes_nothing_at_all(wine, temp_dir_world, tmp_setup_dir):
    home, temp_dir, copy = temp_dir_world
    files, directories = inside(wine, temp_dir)
    # The second block (the text shown when a restart fails) is never closed.
    lines = ["", "force_reboot", "Restart?", "EOSMARKER", "victim.txt", *files, "", *directories]
    listing = tmp_setup_dir / "list.txt"
    listing.write_bytes("".join(line + "\r\n" for line in lines).encode("utf-16-le"))
    result = wine.run(copy, "__lnx_windel", wine.windows_path(listing), cwd=tmp_setup_dir, timeout=60)

    assert result.returncode == 0
    assert (temp_dir / "a.txt").is_file() and (tmp_setup_dir / "victim.txt").is_file()
    assert "victim" not in pending_deletions(wine) and TEMP_DIR_NAME not in pending_deletions(wine)


def test_a_list_written_by_the_java_side_is_read_whole(wine, temp_dir_world, tmp_setup_dir):
    """The list as WinDel writes it (the real Java writer, run by the machine's Java VM with
    lnxruntime.jar), paths with an apostrophe and beyond ASCII, read by the cleanup copy."""
    home, temp_dir, copy = temp_dir_world
    (temp_dir / "d\u00e9j\u00e0 vu.txt").write_bytes(b"run")
    files, directories = inside(wine, temp_dir)
    files.append(wine.windows_path(temp_dir / "d\u00e9j\u00e0 vu.txt"))
    listing = tmp_setup_dir / "list.txt"
    writer = pathlib.Path(__file__).parent / "java" / "WriteCleanupList.java"
    jar = os.environ.get("LNX_RUNTIME_JAR")
    java = shutil.which("java")
    if not jar or not java:
        pytest.skip("needs lnxruntime.jar (LNX_RUNTIME_JAR) and the machine's java")
    subprocess.run([java, "-cp", jar, str(writer), str(listing), "", *files, "--directories", *directories],
                   check=True, capture_output=True, timeout=120)
    assert listing.read_bytes()[:2] != b"\xff\xfe", "no byte-order mark: the first line is the semaphore"
    result = wine.run(copy, "__lnx_windel", wine.windows_path(listing), cwd=tmp_setup_dir, timeout=60)

    assert result.returncode == 0
    assert not temp_dir.exists()
    assert home.is_dir() and (home / "victim.txt").is_file()
    assert not listing.exists()

