"""The work sequence up to the runtime: extraction directory, extracted files, the
extract-and-exit and language-restart modes, and that nothing is left behind."""

import re

import pytest

from runtimes import minimal_jar, pack_bytes
from setups import build_setup, inspect, leftovers, newest_log_text, patch, truncate


class TestExtractAndExit:
    """Extract-and-exit stops after the runtime search and the Pack200 pass, so these runs
    get a stand-in runtime through JAVA_HOME."""

    def test_files_are_extracted_byte_for_byte_and_position_recorded(self, wine, runtimes, launcher, lnxpack,
                                                                     tmp_setup_dir):
        java = runtimes.make(tmp_setup_dir / "java", "1.8.0_201")
        masked = bytes(range(256)) * 30  # holds the file mask 0xA7 and 0x00
        files = {"lnxruntime.jar": b"PK" + masked, "lnxparams.conf": b"a=1\r\n", "images\\logo.png": masked[::-1],
                 "empty.txt": b""}
        setup = build_setup(lnxpack, launcher, tmp_setup_dir, files=files)
        result = wine.run(setup, "__lnx_extract_and_exit", env={"JAVA_HOME": wine.windows_path(java.home)},
                          timeout=60)

        assert result.returncode == 0, result.stdout + result.stderr
        extracted = tmp_setup_dir / "setup.exe.test"
        for name, content in files.items():
            path = extracted.joinpath(*name.split("\\"))
            if content:
                assert path.read_bytes() == content, name
            else:
                assert not path.exists(), "a zero-size record creates no file"
        position = (extracted / "unextracted.txt").read_text()
        assert re.fullmatch(r"\d+", position)
        assert int(position) == inspect(lnxpack, setup)["unextractedPosition"]


    def test_packed_payload_files_are_unpacked_with_the_chosen_runtime(self, wine, runtimes, launcher, lnxpack,
                                                                       tmp_setup_dir):
        java = runtimes.make(tmp_setup_dir / "java", "1.8.0_201")
        jar = minimal_jar("app/Main.class")
        files = {"lnxruntime.jar": b"jar", "app.jar.pack": pack_bytes(jar), "other.jar.PACK": pack_bytes(jar)}
        setup = build_setup(lnxpack, launcher, tmp_setup_dir, files=files)
        result = wine.run(setup, "__lnx_extract_and_exit", env={"JAVA_HOME": wine.windows_path(java.home)},
                          timeout=60)

        assert result.returncode == 0, result.stdout + result.stderr
        extracted = tmp_setup_dir / "setup.exe.test"
        assert (extracted / "app.jar").read_bytes() == jar
        assert not (extracted / "app.jar.pack").exists()
        assert (extracted / "other.jar.PACK").exists(), "the suffix is compared case-sensitively"
        assert not (extracted / "other.jar").exists()


class TestFatalRunsLeaveNothing:
    def test_read_failure_during_extraction(self, wine, launcher, lnxpack, tmp_setup_dir, clean_temp):
        setup = build_setup(lnxpack, launcher, tmp_setup_dir,
                            files={"a.bin": b"a" * 20000, "b.bin": b"b" * 20000})
        truncate(setup, inspect(lnxpack, setup)["files"][1]["dataOffset"] + 100)
        result = wine.run(setup, "-q", "-nocheck", env={"MORVA_LOG": "yes"}, timeout=60)

        assert result.returncode == 1
        assert leftovers(clean_temp) == []
        assert "ERROR: Failed to extract " in newest_log_text(clean_temp)

    def test_name_leading_out_of_the_directory_is_refused(self, wine, launcher, lnxpack, tmp_setup_dir,
                                                          clean_temp):
        setup = build_setup(lnxpack, launcher, tmp_setup_dir, files={"qq\\escaped.txt": b"data"})
        content = setup.read_bytes()
        patch(setup, content.index(b"qq\\escaped.txt"), b"..")
        result = wine.run(setup, "-q", "-nocheck", env={"MORVA_LOG": "yes"}, timeout=60)

        assert result.returncode == 1
        assert not (clean_temp / "escaped.txt").exists()
        assert leftovers(clean_temp) == []
        assert "ERROR: Refusing included file name ..\\escaped.txt" in newest_log_text(clean_temp)

    def test_run_without_runtime_removes_its_directory(self, wine, launcher, lnxpack, tmp_setup_dir, clean_temp):
        setup = build_setup(lnxpack, launcher, tmp_setup_dir, files={"lnxruntime.jar": b"jar", "d\\x.txt": b"x"})
        result = wine.run(setup, "-q", timeout=60)

        assert result.returncode == 83
        assert result.stdout.replace("\r\n", "\n") == "No JRE found. Aborting.\n"
        assert leftovers(clean_temp) == []


class TestDirectories:
    def test_manual_temp_directory(self, wine, launcher, lnxpack, tmp_setup_dir, clean_temp):
        setup = build_setup(lnxpack, launcher, tmp_setup_dir)
        manual = tmp_setup_dir / "my temp"
        manual.mkdir()
        usable = wine.run(setup, "-q", "-temp", wine.windows_path(manual), env={"MORVA_LOG": "yes"}, timeout=60)
        missing = wine.run(setup, "-q", "/temp", wine.windows_path(tmp_setup_dir / "absent"),
                           env={"MORVA_LOG": "yes"}, timeout=60)

        assert (usable.returncode, missing.returncode) == (83, 83)
        logs = sorted(clean_temp.glob("lnx_nlog_*.log"), key=lambda p: p.stat().st_mtime)
        first, second = (p.read_bytes().decode("utf-8-sig") for p in logs)
        assert f"Using manual temp dir {wine.windows_path(manual)}" in first
        assert re.search(r"Temp dir3: " + re.escape(wine.windows_path(manual)) + r"\\mrv[0-9A-Fa-f]+\.tmp_dir-?\d+", first)
        assert "Manual temp dir not usable " in second
        assert re.search(r"Temp dir3: C:\\users\\[^\\]+\\Temp\\mrv", second)

    def test_language_restart_reuses_a_complete_directory(self, wine, launcher, lnxpack, tmp_setup_dir,
                                                          clean_temp):
        setup = build_setup(lnxpack, launcher, tmp_setup_dir)
        previous = tmp_setup_dir / "previous"
        previous.mkdir()
        (previous / "lnxruntime.jar").write_bytes(b"jar")
        (previous / "lnxparams.conf").write_bytes(b"x")
        result = wine.run(setup, "__lnx_lang_restart", cwd=previous, env={"MORVA_LOG": "yes"}, timeout=60)

        assert result.returncode == 83
        log = newest_log_text(clean_temp)
        assert "language restart" in log
        for skipped in ("verifying integrity", "starting at", "extracting files", "Temp dir3"):
            assert skipped not in log
        assert "Current working dir: " + wine.windows_path(previous) in log
        assert (previous / "lnxruntime.jar").exists(), "a language restart never removes the directory"

    def test_language_restart_with_files_missing_removes_the_fresh_directory(self, wine, launcher, lnxpack,
                                                                          tmp_setup_dir, clean_temp):
        setup = build_setup(lnxpack, launcher, tmp_setup_dir)
        previous = tmp_setup_dir / "previous"
        previous.mkdir()
        (previous / "lnxruntime.jar").write_bytes(b"jar")  # lnxparams.conf is missing
        result = wine.run(setup, "__lnx_lang_restart", cwd=previous, env={"MORVA_LOG": "yes"}, timeout=60)

        assert result.returncode == 83
        assert "Temp dir3" in newest_log_text(clean_temp), "the files are extracted afresh"
        assert leftovers(clean_temp) == [], "the fresh directory goes like any other"
        assert (previous / "lnxruntime.jar").exists(), "the previous directory is not the run's to remove"

    def test_concurrent_runs_get_their_own_directories(self, wine, launcher, lnxpack, tmp_setup_dir, clean_temp):
        setup = build_setup(lnxpack, launcher, tmp_setup_dir, files={"lnxruntime.jar": b"j" * 100000})
        runs = [wine.start(setup, "-q", env={"MORVA_LOG": "yes"}) for _ in range(10)]
        results = [run.wait(timeout=120) for run in runs]

        assert [r.returncode for r in results] == [83] * 10
        directories = set()
        for log in clean_temp.glob("lnx_nlog_*.log"):
            found = re.findall(r"Temp dir3: (\S+)", log.read_bytes().decode("utf-8-sig"))
            assert len(found) == 1
            directories.add(found[0])
        assert len(directories) == 10
        assert leftovers(clean_temp) == []
