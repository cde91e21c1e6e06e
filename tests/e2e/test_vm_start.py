"""Starting the Java side in the launcher's own process: VM options, the calls into the
VM and main's parameters as the stand-in VM recorded them, and the failure paths."""

import json
import re

import pytest

from setups import NO_JAVA, build_setup, newest_log_text

WIN32_PACKAGE = "com/lanternix/runtime/installer/platform/win32/"
# The classes whose natives the launcher binds, in registration order, with their number
# of natives.
NATIVE_COUNTS = {"ACLHandling": 1, "FileVersion": 1, "FolderInfo": 7, "Misc": 13, "ObjectPicker": 1, "ShellLink": 4,
                 "VistaFileChooser": 2, "VistaTaskDialog": 1, "Win32CommunicationBackend": 10, "Win32Proxy": 4,
                 "Win32UserInfo": 10, "Registry": 11, "Win32Exec": 1, "Win32Handle": 3, "Win32Services": 10}
NATIVE_CLASSES = tuple(NATIVE_COUNTS)


@pytest.fixture
def java(runtimes, tmp_setup_dir):
    return runtimes.make(tmp_setup_dir / "java8", "1.8.0_201")


def start(wine, lnxpack, launcher, directory, java, *args, config=None, env=None):
    setup = build_setup(lnxpack, launcher, directory, {"config": {"searchSequence": "EJAVA_HOME;", **(config or {})}})
    result = wine.run(setup, "-q", *args, env={**NO_JAVA, "JAVA_HOME": wine.windows_path(java.home), **(env or {})},
                      timeout=120)
    report_file = java.home / "bin" / "server" / "jvm-report.json"
    report = json.loads(report_file.read_text(encoding="utf-8")) if report_file.exists() else None
    return setup, result, report


def calls(report, **match):
    return [c for c in report["calls"] if all(c.get(k) == v for k, v in match.items())]


def native_classes_looked_up(report):
    """The classes of the natives' package that FindClass was asked for, Common (the
    launcher's own calls) left out."""
    return [c["class"] for c in calls(report, kind="findClass")
            if c["class"].startswith(WIN32_PACKAGE) and c["class"] != WIN32_PACKAGE + "Common"]




class TestQuietStart:
    def test_options_calls_and_main_parameters(self, wine, launcher, lnxpack, tmp_setup_dir, java, clean_logs):
        setup, result, report = start(wine, lnxpack, launcher, tmp_setup_dir, java, "custom", "-J-Xmx64m",
                                      config={"mainClass": "com.example.Setup"}, env={"MANPATH": "/x"})

        assert result.returncode == 0, result.stderr
        program = wine.windows_path(setup)
        options = report["options"]
        assert [o.split("=")[0] for o in options[:7]] == [
            "-Dmorva.semaphoreName", "-Dmorva.isLanternix", "-Dmorva.moduleName", "-Dsun.java.command",
            "-Dmorva.tempDir", "-Dmorva.unextractedPosition", "-Djava.library.path"]
        assert options[0] == "-Dmorva.semaphoreName=Local\\" + program.lower().replace("\\", "_") + "0"
        assert not any(o.startswith("-Dmorva.consoleCodepage") for o in options), "MANPATH is set"
        assert "-Xmx64m" in options, "-J arguments are VM options"
        assert re.fullmatch(r"-Djava\.class\.path=.*\\lnxruntime\.jar;?", options[-1])

        main = calls(report, kind="callStatic", method="main")
        assert [c["class"] for c in main] == ["com/lanternix/runtime/launcher/WinLauncher"]
        directory = program.rsplit("\\", 1)[0]
        assert main[0]["arguments"][0] == ["false", "com.example.Setup", directory + "\\error.log", "", "false",
                                           program, "-q", "custom"]
        assert report["staticFields"]["com/morva/runtime/util/WinDel.externalExecutable"] == program
        assert report["properties"]["morva.moduleName"] == program
        assert report["destroyed"] is True
        assert "launch done" in newest_log_text(clean_logs)

    def test_module_mode_and_launcher_type_1(self, wine, launcher, lnxpack, tmp_setup_dir, java):
        setup, result, report = start(
            wine, lnxpack, launcher, tmp_setup_dir, java,
            config={"launcherType": 1, "133": True, "mainClass": "app.setup/com.example.Setup", "132": "E0MODS;",
                    "102": True, "103": "$stderr", "104": True, "105": "logs\\out.log"},
            env={"MODS": "C:\\mods"})

        assert result.returncode == 0, result.stderr
        options = report["options"]
        temp_dir = next(o for o in options if o.startswith("-Dmorva.tempDir=")).split("=", 1)[1]
        assert options[-3:] == [
            "--module-path=C:\\mods;" + temp_dir + "\\lnxruntime.jar;",
            "--add-opens=app.setup/com.example=com.lanternix.runtime",
            "--add-modules=app.setup,com.lanternix.runtime"]
        assert options[-4] == "-Djava.class.path=", "the archives went to the module path"
        parameters = calls(report, kind="callStatic", method="main")[0]["arguments"][0]
        directory = wine.windows_path(setup).rsplit("\\", 1)[0]
        assert parameters[:5] == ["true", "/app.setup/com.example.Setup", "$stderr", directory + "\\logs\\out.log",
                                  "false"]

    def test_other_family_binds_no_natives(self, wine, launcher, lnxpack, tmp_setup_dir, java):
        _, result, report = start(wine, lnxpack, launcher, tmp_setup_dir, java, config={"launcherFamily": "e"})

        assert result.returncode == 0, result.stderr
        assert not any(o.startswith("-Dmorva.isLanternix") for o in report["options"])
        assert [c["class"] for c in calls(report, kind="callStatic", method="main")] == ["com/morva/runtime/WinLauncher"]
        assert calls(report, method="initFromLauncher") == []

    def test_all_79_natives_are_bound_for_family_i(self, wine, launcher, lnxpack, tmp_setup_dir, java, clean_logs):
        _, result, report = start(wine, lnxpack, launcher, tmp_setup_dir, java)

        assert result.returncode == 0, result.stderr
        registered = report["registered"]
        assert [(entry["class"], len(entry["methods"])) for entry in registered] == [
            (WIN32_PACKAGE + name, count) for name, count in NATIVE_COUNTS.items()]
        assert sum(NATIVE_COUNTS.values()) == 79
        assert report["rejected"] == []
        assert [c["arguments"] for c in calls(report, kind="callStatic", method="initFromLauncher")] == [[True]]
        assert "ERROR" not in newest_log_text(clean_logs)

    def test_missing_class_stops_registration_at_that_class(self, wine, launcher, lnxpack, tmp_setup_dir, java,
                                                            clean_logs):
        _, result, report = start(wine, lnxpack, launcher, tmp_setup_dir, java,
                                  env={"LNX_JVM_MISSING_CLASS": WIN32_PACKAGE + "Misc"})

        assert result.returncode == 0
        assert [entry["class"] for entry in report["registered"]] == [
            WIN32_PACKAGE + name for name in ("ACLHandling", "FileVersion", "FolderInfo")]
        assert native_classes_looked_up(report) == [WIN32_PACKAGE + name for name in NATIVE_CLASSES[:4]], \
            "no later class is attempted"
        assert [c["arguments"] for c in calls(report, kind="callStatic", method="initFromLauncher")] == [[True], [False]]
        log = newest_log_text(clean_logs)
        assert "ERROR: could not load class com/lanternix/runtime/installer/platform/win32/Misc" in log
        assert "ERROR: registering helper dll failed" in log
        # The class's error is logged and cleared before main, which then runs as usual.
        assert "ERROR: java.lang.NoClassDefFoundError: com/lanternix/runtime/installer/platform/win32/Misc" in log
        assert "could not call main" not in log


class TestFailures:
    def test_vm_creation_failure_is_message_1005(self, wine, launcher, lnxpack, tmp_setup_dir, java):
        _, result, _ = start(wine, lnxpack, launcher, tmp_setup_dir, java, env={"LNX_JVM_FAIL_CREATE": "1"})

        assert result.returncode == 1
        assert "The JVM could not be started." in result.stderr

    def test_exception_from_main_is_logged_and_fails(self, wine, launcher, lnxpack, tmp_setup_dir, java,
                                                    clean_logs):
        _, result, _ = start(wine, lnxpack, launcher, tmp_setup_dir, java,
                             env={"LNX_JVM_MAIN_THROWS": "java.lang.IllegalStateException: no wizard"})

        assert result.returncode == 1
        log = newest_log_text(clean_logs)
        assert "ERROR: an exception occurred" in log
        assert "ERROR: java.lang.IllegalStateException: no wizard" in log
        assert "ERROR: could not call main" in log

    def test_exit_code_of_the_java_side_passes_through(self, wine, launcher, lnxpack, tmp_setup_dir, java):
        _, result, _ = start(wine, lnxpack, launcher, tmp_setup_dir, java, env={"LNX_JVM_EXIT_CODE": "7"})

        assert result.returncode == 7
