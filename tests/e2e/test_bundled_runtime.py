"""A setup file that carries its own runtime: packed by lnxpack (or by GNU tar), unpacked
into TempDir\\jre, loaded from there, and what happens when it is damaged or does not load."""

import gzip
import io
import json
import re
import subprocess
import tarfile

import pytest

from runtimes import minimal_jar, unpack_calls
from setups import NO_JAVA, PROGRESS_DIALOG_CLASS, build_setup, default_files, leftovers, newest_log_text

SEARCH_NOTHING = {"searchSequence": ""}  # only the bundled runtime can be used
CORRUPTED = "The bundled JRE is corrupted. If you downloaded the setup file please download it again."


def bundle(lnxpack, launcher, directory, runtime_home, config=None, packed=None):
    runtime = {"directory": str(runtime_home)}
    if packed is not None:
        runtime["packed"] = packed
    return build_setup(lnxpack, launcher, directory, {"config": {**SEARCH_NOTHING, **(config or {})},
                                                      "runtime": runtime})


def with_size_field(info: tarfile.TarInfo, size_field: bytes) -> bytes:
    """The entry's header block with its size field replaced, the checksum recomputed."""
    block = bytearray(info.tobuf(format=tarfile.GNU_FORMAT))
    block[124:136] = size_field
    block[148:156] = b" " * 8
    block[148:156] = b"%06o\0 " % sum(block)
    return bytes(block)


def long_name_header(length: int) -> bytes:
    """A GNU long-name entry whose name is length bytes, with its data blocks."""
    info = tarfile.TarInfo("././@LongLink")
    info.type = tarfile.GNUTYPE_LONGNAME
    info.size = length
    return info.tobuf(format=tarfile.GNU_FORMAT) + b"n" * length


def temp_dir_of(log):
    return re.search(r"Temp dir3: (\S+)", log).group(1)


class TestBundledRuntime:
    @pytest.mark.parametrize("interactive", [False, True])
    def test_is_unpacked_loaded_and_reaches_main(self, wine, dialogs, runtimes, launcher, lnxpack, tmp_setup_dir,
                                                 clean_temp, interactive):
        home = runtimes.make(tmp_setup_dir / "bundle", "1.8.0_201").home
        setup = bundle(lnxpack, launcher, tmp_setup_dir, home, {"noStartupDialog": not interactive})
        report = tmp_setup_dir / "report.json"
        env = {**NO_JAVA, "LNX_JVM_REPORT": wine.windows_path(report)}
        if interactive:
            env["LNX_JVM_MAIN_MS"] = "3000"
            with wine.start(setup, env=env) as run:
                reading = dialogs.read(window_class=PROGRESS_DIALOG_CLASS, process="setup.exe")
                result = run.wait(timeout=60)
            assert reading.caption == "lanternix Wizard"
        else:
            result = wine.run(setup, "-q", env=env, timeout=60)

        assert result.returncode == 0, result.stderr
        log = newest_log_text(clean_temp)
        temp_dir = temp_dir_of(log)
        assert "untaring JRE was successful" in log
        assert f"JRE dir: {temp_dir}\\jre" in log
        assert f"-Djava.class.path={temp_dir}\\lnxruntime.jar;" in json.loads(report.read_text())["options"]
        extracted = wine.unix_path(temp_dir)
        assert not (extracted / "jre.tar.gz").exists(), "the archive is deleted once unpacked"
        assert (extracted / "jre" / "bin" / "server" / "jvm.dll").is_file()

    def test_an_archive_made_by_gnu_tar_works_too(self, wine, runtimes, launcher, lnxpack, tmp_setup_dir,
                                                  clean_temp):
        home = runtimes.make(tmp_setup_dir / "bundle", "1.8.0_201").home
        archive = tmp_setup_dir / "jre.tar.gz"
        subprocess.run(["tar", "--format=gnu", "-czf", str(archive), "-C", str(home), "."], check=True)
        files = {**default_files(), "jre.tar.gz": archive.read_bytes()}
        setup = build_setup(lnxpack, launcher, tmp_setup_dir, {"config": SEARCH_NOTHING}, files=files)
        result = wine.run(setup, "-q", env=NO_JAVA, timeout=60)

        assert result.returncode == 0, result.stderr
        assert "calling main" in newest_log_text(clean_temp)

    def test_packed_jars_are_restored(self, wine, runtimes, launcher, lnxpack, tmp_setup_dir, clean_temp):
        runtime = runtimes.make(tmp_setup_dir / "bundle", "1.8.0_201",
                                packed_jars={"lib/rt.jar": minimal_jar("java/lang/Object.class")})
        setup = bundle(lnxpack, launcher, tmp_setup_dir, runtime.home, packed=True)
        result = wine.run(setup, "-q", env=NO_JAVA, timeout=60)

        assert result.returncode == 0, result.stderr
        log = newest_log_text(clean_temp)
        assert "JRE is packed" in log and "Unpacking JRE done" in log
        lib = wine.unix_path(temp_dir_of(log)) / "jre" / "lib"
        assert (lib / "rt.jar").read_bytes() == minimal_jar("java/lang/Object.class")
        assert not (lib / "rt.jar.pack").exists()

    def test_a_bundle_of_the_other_width_falls_back_to_the_installed_runtime(self, wine, runtimes, launcher,
                                                                             lnxpack, tmp_setup_dir, clean_temp):
        bundled = runtimes.make(tmp_setup_dir / "bundle_other", "1.8.0_201", vm_dirs=(),
                                other_width_vm_dirs=("server",))
        installed = runtimes.make(tmp_setup_dir / "installed", "1.8.0_201")
        # lnxpack refuses to bundle it; an archive made by hand still reaches the launcher.
        archive = io.BytesIO()
        with tarfile.open(fileobj=archive, mode="w:gz", format=tarfile.GNU_FORMAT) as tar:
            tar.add(bundled.home, arcname=".")
        files = {**default_files(), "jre.tar.gz": archive.getvalue()}
        setup = build_setup(lnxpack, launcher, tmp_setup_dir,
                            {"config": {**SEARCH_NOTHING, "searchSequence": "EJAVA_HOME;"}}, files=files)
        result = wine.run(setup, "-q", env={**NO_JAVA, "JAVA_HOME": wine.windows_path(installed.home)}, timeout=60)

        assert result.returncode == 0, result.stderr
        log = newest_log_text(clean_temp)
        assert "ERROR: Could not load bundled JRE. Trying to find another JRE." in log
        assert (installed.home / "bin" / "server" / "jvm-report.json").is_file(), "the installed VM ran"

    @pytest.mark.parametrize("damage", ["garbage", "truncated", "escaping name", "endless long names",
                                        "size of twelve nines"])
    def test_a_damaged_archive_ends_with_the_corrupted_text(self, wine, runtimes, launcher, lnxpack, tmp_setup_dir,
                                                            clean_temp, damage):
        home = runtimes.make(tmp_setup_dir / "bundle", "1.8.0_201").home
        archive = io.BytesIO()
        with tarfile.open(fileobj=archive, mode="w:gz", format=tarfile.GNU_FORMAT) as tar:
            tar.add(home, arcname=".")
            if damage == "escaping name":
                evil = tarfile.TarInfo("../escaped.dll")
                evil.size = 1
                tar.addfile(evil, io.BytesIO(b"e"))
        content = {"garbage": b"\x1f\x8b not really gzip", "truncated": archive.getvalue()[:3000],
                   "escaping name": archive.getvalue(),
                   "endless long names": gzip.compress(long_name_header(512) * 20000),
                   "size of twelve nines": gzip.compress(with_size_field(tarfile.TarInfo("x.dll"), b"999999999999")
                                                         + b"\0" * 4096)}[damage]
        files = {**default_files(), "jre.tar.gz": content}
        setup = build_setup(lnxpack, launcher, tmp_setup_dir, {"config": SEARCH_NOTHING}, files=files)
        result = wine.run(setup, "-q", env=NO_JAVA, timeout=60)

        assert result.returncode == 1
        assert result.stderr.startswith(CORRUPTED)
        assert "ERROR: Could not untar JRE" in newest_log_text(clean_temp)
        assert leftovers(clean_temp) == []
        assert not (clean_temp / "escaped.dll").exists()

    def test_a_language_restart_uses_the_extracted_runtime(self, wine, runtimes, launcher, lnxpack, tmp_setup_dir,
                                                           clean_temp):
        setup = build_setup(lnxpack, launcher, tmp_setup_dir, {"config": SEARCH_NOTHING})
        previous = tmp_setup_dir / "previous"
        previous.mkdir()
        (previous / "lnxruntime.jar").write_bytes(default_files()["lnxruntime.jar"])
        (previous / "lnxparams.conf").write_bytes(b"x")
        runtimes.make(previous / "jre", "1.8.0_201")
        result = wine.run(setup, "__lnx_lang_restart", cwd=previous, env=NO_JAVA, timeout=60)

        assert result.returncode == 0, result.stderr
        log = newest_log_text(clean_temp)
        assert f"JRE dir: {wine.windows_path(previous)}\\jre" in log
        assert "extracting JRE" not in log
        assert "calling main" in log


def gzip_cut_after(tar_bytes: bytes, length: int) -> bytes:
    """The tar as a gzip stream cut right after its first length bytes: everything up to there
    decompresses, and zlib then reports the stream cut short."""
    import zlib

    compressor = zlib.compressobj(9, zlib.DEFLATED, 31)
    return compressor.compress(tar_bytes[:length]) + compressor.flush(zlib.Z_SYNC_FLUSH)


class TestUnpackingFailures:
    def test_a_file_whose_directory_is_missing_ends_the_run_and_leaves_nothing(self, wine, launcher, lnxpack,
                                                                               tmp_setup_dir, clean_temp):
        archive = io.BytesIO()
        with tarfile.open(fileobj=archive, mode="w:gz", format=tarfile.GNU_FORMAT) as tar:
            info = tarfile.TarInfo("nodir/x.dll")  # no "nodir/" entry before it
            info.size = 1
            tar.addfile(info, io.BytesIO(b"x"))
        files = {**default_files(), "jre.tar.gz": archive.getvalue()}
        setup = build_setup(lnxpack, launcher, tmp_setup_dir, {"config": SEARCH_NOTHING}, files=files)
        result = wine.run(setup, "-q", env=NO_JAVA, timeout=60)

        assert result.returncode == 1
        assert result.stderr.startswith("Could not open file nodir\\x.dll")
        assert "ERROR: Could not open file nodir\\x.dll" in newest_log_text(clean_temp)
        assert leftovers(clean_temp) == [], "the archive was closed and the TempDir removed whole"

    def test_a_stream_cut_between_two_entries_is_a_corrupted_archive(self, wine, runtimes, launcher, lnxpack,
                                                                      tmp_setup_dir, clean_temp):
        home = runtimes.make(tmp_setup_dir / "bundle", "1.8.0_201").home
        plain = io.BytesIO()
        with tarfile.open(fileobj=plain, mode="w", format=tarfile.GNU_FORMAT) as tar:
            tar.add(home, arcname=".")
        members = tarfile.open(fileobj=io.BytesIO(plain.getvalue())).getmembers()
        last_file = [m for m in members if m.isfile() and m.size > 0][-1]  # its header is where the cut lies
        files = {**default_files(), "jre.tar.gz": gzip_cut_after(plain.getvalue(), last_file.offset)}
        setup = build_setup(lnxpack, launcher, tmp_setup_dir, {"config": SEARCH_NOTHING}, files=files)
        result = wine.run(setup, "-q", env=NO_JAVA, timeout=60)

        assert result.returncode == 1
        assert result.stderr.startswith(CORRUPTED)
        log = newest_log_text(clean_temp)
        assert "ERROR: gzread failed" in log and "untaring JRE was successful" not in log
        assert leftovers(clean_temp) == []
