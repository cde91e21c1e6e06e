"""Finding a Java runtime: the search sequence, version bounds, jvm.dll loading, the
version cache and Pack200, with stand-in runtimes laid out per test."""

import re

import pytest

from runtimes import minimal_jar, probe_count, set_java_behaviour, unpack_calls
from setups import NO_JAVA, build_setup, newest_log_text

def lines(log, pattern):
    return re.findall(rf"^\[\d+:\d+\] ({pattern})$", log, re.MULTILINE)


def run(wine, setup, env=None):
    return wine.run(setup, "-q", env={**NO_JAVA, **(env or {})}, timeout=120)


def setup_with(lnxpack, launcher, directory, **config):
    config.setdefault("searchSequence", "Y;EJAVA_HOME;EJDK_HOME;")
    config.setdefault("minJavaVersion", "1.7")
    return build_setup(lnxpack, launcher, directory, {"config": config})


class TestSearchSequence:
    def test_nothing_installed_ends_with_83(self, wine, launcher, lnxpack, tmp_setup_dir, clean_logs):
        result = run(wine, setup_with(lnxpack, launcher, tmp_setup_dir))
        log = newest_log_text(clean_logs)

        assert result.returncode == 83
        assert lines(log, r"Testing location .*") == [
            "Testing location  (type Y)", "Testing location JAVA_HOME (type E)", "Testing location JDK_HOME (type E)"]
        assert lines(log, "Search sequence finished")
        assert lines(log, "ERROR: No JVM found")

    def test_runtime_in_range_is_chosen(self, wine, runtimes, launcher, lnxpack, tmp_setup_dir, clean_logs):
        java = runtimes.make(tmp_setup_dir / "java8", "1.8.0_201")
        result = run(wine, setup_with(lnxpack, launcher, tmp_setup_dir), {"JAVA_HOME": wine.windows_path(java.home)})
        log = newest_log_text(clean_logs)

        assert result.returncode == 0, result.stdout
        assert lines(log, r"got version from execution 1\.8\.0_201")
        assert lines(log, "Loading of JVM-DLL successful")

    def test_too_old_runtime_is_rejected_and_next_entry_wins(self, wine, runtimes, launcher, lnxpack,
                                                               tmp_setup_dir, clean_logs):
        old = runtimes.make(tmp_setup_dir / "java6", "1.6.0_45")
        new = runtimes.make(tmp_setup_dir / "java11", "11.0.2", openjdk_style=True)
        result = run(wine, setup_with(lnxpack, launcher, tmp_setup_dir),
                     {"JAVA_HOME": wine.windows_path(old.home), "JDK_HOME": wine.windows_path(new.home)})
        log = newest_log_text(clean_logs)

        assert result.returncode == 0
        assert lines(log, r"checkJavaExe returning \d") == ["checkJavaExe returning 0", "checkJavaExe returning 1"]
        assert lines(log, r"Trying to load JVM-DLL from .*")[0].lower().endswith("java11\\bin\\java.exe")

    def test_vm_directories_are_tried_in_order(self, wine, runtimes, launcher, lnxpack, tmp_setup_dir, clean_logs):
        java = runtimes.make(tmp_setup_dir / "java8", "1.8.0_201", vm_dirs=("server",))
        run(wine, setup_with(lnxpack, launcher, tmp_setup_dir), {"JAVA_HOME": wine.windows_path(java.home)})
        tries = lines(newest_log_text(clean_logs), r"Trying .*jvm\.dll \(exists \d\)")

        assert [re.search(r"\\(\w+)\\jvm\.dll \(exists (\d)\)", t).groups() for t in tries] == [
            ("hotspot", "0"), ("client", "0"), ("server", "1")]

    def test_jvm_of_the_other_width_is_skipped_path_restored_and_later_candidate_wins(
            self, wine, runtimes, launcher, lnxpack, tmp_setup_dir, clean_logs):
        wide = runtimes.make(tmp_setup_dir / "java_other", "1.8.0_201", vm_dirs=(), other_width_vm_dirs=("server",))
        good = runtimes.make(tmp_setup_dir / "java_same", "1.8.0_201")
        result = run(wine, setup_with(lnxpack, launcher, tmp_setup_dir),
                     {"JAVA_HOME": wine.windows_path(wide.home), "JDK_HOME": wine.windows_path(good.home)})
        log = newest_log_text(clean_logs)

        assert result.returncode == 0
        assert lines(log, "Failed with error code 193")
        path_settings = lines(log, r"Setting PATH .*")
        widened, restored = path_settings[1], path_settings[2]
        assert widened.lower().endswith("java_other\\bin")
        before = path_settings[0][len("Setting PATH (native libs) "):]
        assert restored == "Setting PATH " + before, "a failed load leaves PATH as it was"
        assert lines(log, r"Trying to load JVM-DLL from .*")[-1].lower().endswith("java_same\\bin\\java.exe")

    def test_only_runtimes_of_the_other_width_end_as_no_runtime(self, wine, runtimes, launcher, lnxpack,
                                                                 tmp_setup_dir, clean_logs):
        other = runtimes.make(tmp_setup_dir / "java_other", "1.8.0_201", vm_dirs=(), other_width_vm_dirs=("server",))
        result = run(wine, setup_with(lnxpack, launcher, tmp_setup_dir),
                     {"JAVA_HOME": wine.windows_path(other.home), "MORVA_JAVA_HOME": wine.windows_path(other.home)})
        log = newest_log_text(clean_logs)

        assert result.returncode == 83
        assert result.stdout.strip() == "No JRE found. Aborting."
        assert len(lines(log, "Failed with error code 193")) == 2, "tried and refused, first by JAVA_HOME, then last"
        assert lines(log, "Search sequence finished")
        assert not lines(log, "Loading of JVM-DLL successful")

    def test_relative_pass_takes_a_too_old_runtime_that_exists(self, wine, runtimes, launcher, lnxpack,
                                                              tmp_setup_dir, clean_logs):
        runtimes.make(tmp_setup_dir / "jre16", "1.6.0_45")
        result = run(wine, setup_with(lnxpack, launcher, tmp_setup_dir, searchSequence="Rjre16;"))
        log = newest_log_text(clean_logs)

        assert result.returncode == 0
        assert lines(log, "Testing relative location jre16")
        assert lines(log, r".*jre16\\bin\\java\.exe exists")
        assert lines(log, "Loading of JVM-DLL successful")


class TestVersionCache:
    def test_second_run_takes_the_version_from_the_cache(self, wine, runtimes, launcher, lnxpack, tmp_setup_dir,
                                                        clean_logs):
        java = runtimes.make(tmp_setup_dir / "java8", "1.8.0_201")
        setup = setup_with(lnxpack, launcher, tmp_setup_dir)
        env = {"JAVA_HOME": wine.windows_path(java.home)}
        assert run(wine, setup, env).returncode == 0
        assert run(wine, setup, env).returncode == 0

        assert probe_count(java) == 1
        assert lines(newest_log_text(clean_logs), r"got version from registry 1\.8\.0_201")

    def test_failing_java_exe_is_marked_and_probed_again(self, wine, runtimes, launcher, lnxpack, tmp_setup_dir,
                                                         clean_logs):
        java = runtimes.make(tmp_setup_dir / "broken", "1.8.0_201", java_behaviour={"exit": 1})
        setup = setup_with(lnxpack, launcher, tmp_setup_dir)
        env = {"JAVA_HOME": wine.windows_path(java.home)}
        assert run(wine, setup, env).returncode == 83
        assert run(wine, setup, env).returncode == 83

        assert probe_count(java) == 2, "the failure marker 1.0.0 is never taken from the cache"
        cached = wine.run("C:\\windows\\system32\\reg.exe", "query",
                          "HKCU\\SOFTWARE\\qorvane-systems\\morva\\jvms", "/s", timeout=30).stdout
        assert re.search(r"broken/bin/java\.exe[\s\S]*?Version\s+REG_SZ\s+1\.0\.0", cached, re.IGNORECASE)

        set_java_behaviour(java, None)
        assert run(wine, setup, env).returncode == 0
        assert probe_count(java) == 3

    @pytest.mark.parametrize("javaw, expected", [(True, 0), (False, 83)])
    def test_gui_launcher_type_requires_javaw(self, wine, runtimes, launcher, lnxpack, tmp_setup_dir, clean_logs,
                                              javaw, expected):
        java = runtimes.make(tmp_setup_dir / "java8", "1.8.0_201", javaw=javaw)
        setup = setup_with(lnxpack, launcher, tmp_setup_dir, launcherType=1)
        result = run(wine, setup, {"JAVA_HOME": wine.windows_path(java.home)})

        assert result.returncode == expected
        if javaw:
            assert lines(newest_log_text(clean_logs), r"Trying to load JVM-DLL from .*")[0].endswith("javaw.exe")


class TestPack200:
    def test_packed_runtime_jar_is_unpacked_once(self, wine, runtimes, launcher, lnxpack, tmp_setup_dir,
                                                 clean_logs):
        rt = minimal_jar("java/lang/Object.class")
        java = runtimes.make(tmp_setup_dir / "java8", "1.8.0_201", packed_jars={"lib/rt.jar": rt})
        # A directory entry: runtime directories get the Pack200 pass before their check.
        # A packed file beside its unpacked jar (an earlier deletion failed) is left alone.
        extra = minimal_jar("extra/Kept.class")
        (java.home / "lib" / "extra.jar").write_bytes(extra)
        (java.home / "lib" / "extra.jar.pack").write_bytes(b"left over")
        setup = setup_with(lnxpack, launcher, tmp_setup_dir, searchSequence="A" + wine.windows_path(java.home))
        first = run(wine, setup)
        first_log = newest_log_text(clean_logs)
        second = run(wine, setup)

        assert (first.returncode, second.returncode) == (0, 0)
        assert (java.home / "lib" / "rt.jar").read_bytes() == rt
        assert not (java.home / "lib" / "rt.jar.pack").exists()
        assert len(unpack_calls(java)) == 1, "rt.jar once, extra.jar never"
        # The runtime's path is the lower-cased full path of the search entry.
        assert "checking " + wine.windows_path(java.home / "lib" / "extra.jar").lower() in first_log.lower()
        assert (java.home / "lib" / "extra.jar").read_bytes() == extra
        assert (java.home / "lib" / "extra.jar.pack").exists()
        assert "Preparing JRE ...\n" in first.stdout.replace("\r\n", "\n")
