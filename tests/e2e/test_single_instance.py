"""Copies of one setup file running at once: each owns a semaphore named after the file's
path, and in single-instance mode a newcomer hands over to the running copy and ends."""

import json
import time

import pytest

from setups import PROGRESS_DIALOG_CLASS, build_setup, java_env, leftovers, log_files, read_log

SINGLE = {"singleInstance": True}


@pytest.fixture
def java(runtimes, tmp_setup_dir):
    return runtimes.make(tmp_setup_dir / "java8", "1.8.0_201")


def setup_in(directory, lnxpack, launcher, config=None):
    directory.mkdir(exist_ok=True)
    project = {"config": {"noStartupDialog": False, "searchSequence": "EJAVA_HOME;", **(config or {})}}
    return build_setup(lnxpack, launcher, directory, project)


def logs_with(directory, text):
    return [read_log(log) for log in log_files(directory) if text in read_log(log)]


class TestNormalMode:
    def test_two_copies_count_0_and_1_and_each_passes_its_own_name(self, wine, launcher, lnxpack, tmp_setup_dir,
                                                                   java, clean_temp):
        setup = setup_in(tmp_setup_dir / "my setups", lnxpack, launcher)
        reports = [tmp_setup_dir / f"report{copy}.json" for copy in (0, 1)]
        runs = []
        for report in reports:
            env = java_env(wine, java, main_ms=4000, report=wine.windows_path(report))
            runs.append(wine.start(setup, "-q", env=env))
            time.sleep(1.5)  # the first copy owns its name before the second looks
        results = [run.wait(timeout=60) for run in runs]

        assert [r.returncode for r in results] == [0, 0]
        key = wine.windows_path(setup).lower().replace("\\", "_").replace(" ", "_")
        assert key.startswith("c:_lnxtests_") and "_my_setups_setup.exe" in key
        names = [next(o for o in json.loads(r.read_text(encoding="utf-8"))["options"]
                      if o.startswith("-Dmorva.semaphoreName=")) for r in reports]
        assert names == [f"-Dmorva.semaphoreName=Local\\{key}{counter}" for counter in (0, 1)]
        assert len(logs_with(clean_temp, f"semaphore name Local\\{key}1, code 0, value ")) == 1


class TestSingleInstanceMode:
    @pytest.mark.parametrize("activate", [True, False])
    def test_second_copy_hands_over_and_ends(self, wine, dialogs, launcher, lnxpack, tmp_setup_dir, java,
                                             clean_temp, activate):
        setup = setup_in(tmp_setup_dir, lnxpack, launcher, {**SINGLE, "activateRunningInstance": activate})
        env = java_env(wine, java, main_ms=40000)
        with wine.start(setup, env=env):
            first = dialogs.read(window_class=PROGRESS_DIALOG_CLASS, process="setup.exe", minimize=True)
            assert first.minimized is True
            directories = leftovers(clean_temp)
            started = time.monotonic()
            second = wine.run(setup, env=env, timeout=30)
            took = time.monotonic() - started
            after = dialogs.read(window_class=PROGRESS_DIALOG_CLASS, pid=first.pid)

        assert second.returncode == 0
        assert took < 5, "the running copy's id is in the registry at once"
        assert set(leftovers(clean_temp)) <= set(directories), "the second copy creates no directory"
        newcomers = logs_with(clean_temp, "exiting")
        assert len(newcomers) == 1
        log = newcomers[0]
        assert f"other pid {first.pid}\n" in log
        assert ("found window" in log) is activate
        assert after.iconic is not activate, "only the activation restores the minimised dialog"

    def test_of_twenty_copies_started_at_once_exactly_one_works(self, wine, launcher, lnxpack, tmp_setup_dir, java,
                                                                clean_temp):
        setup = setup_in(tmp_setup_dir, lnxpack, launcher, SINGLE)
        env = java_env(wine, java, main_ms=15000)
        runs = [wine.start(setup, "-q", env=env) for _ in range(20)]
        results = [run.wait(timeout=120) for run in runs]

        assert [r.returncode for r in results] == [0] * 20
        assert len(logs_with(clean_temp, "Starting work")) == 1
        assert len(logs_with(clean_temp, "exiting")) == 19
        bases = {name.split(".tmp")[0] for name in leftovers(clean_temp)}
        assert len(bases) == 1, "only the working copy made a directory"


class TestGlobalNamespace:
    def test_configuration_158_hands_the_java_side_a_global_name(self, wine, launcher, lnxpack, tmp_setup_dir, java):
        setup = setup_in(tmp_setup_dir, lnxpack, launcher, {"globalSingleInstance": True})
        report = tmp_setup_dir / "report.json"
        result = wine.run(setup, "-q", env=java_env(wine, java, report=wine.windows_path(report)), timeout=60)

        assert result.returncode == 0, result.stderr
        options = json.loads(report.read_text(encoding="utf-8"))["options"]
        key = wine.windows_path(setup).lower().replace("\\", "_")
        assert f"-Dmorva.semaphoreName=Global\\{key}0" in options
