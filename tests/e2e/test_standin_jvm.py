"""The stand-in jvm.dll, driven without the launcher by jvmdriver.exe: it knows the classes
of its class path from their class files, binds natives only where a real VM would,
records calls and their arguments in its report, and follows its switches.

The classes come from Java sources compiled here with the machine's javac (--release 8)
and put on the class path as a deflated jar (the jar tool), a stored jar and a directory.
"""

import json
import pathlib
import shutil
import subprocess
import zipfile
from typing import Dict, List, Optional, Sequence

import pytest

from winenv import WineResult

# These tests drive the stand-in VM with scripts of JNI calls, misuse included.
pytestmark = pytest.mark.jni_misuse_allowed

JAVA_SOURCES = {
    "demo/Launcher.java": """
        package demo;
        public class Launcher extends Base {
            public static String externalExecutable;
            public static int counter;
            public static void main(String[] args) {}
            public static void initFromLauncher(boolean ok) {}
            public static String describe(String text, int number, boolean flag) { return text; }
            public void instance() {}
        }
        """,
    "demo/Base.java": """
        package demo;
        class Base {
            public static void inherited() {}
        }
        """,
    "demo/Natives.java": """
        package demo;
        public class Natives {
            public static native int add(int a, int b);
            public native String name(String prefix, long value);
            static int plain(int a) { return a; }
        }
        """,
}
MAIN = "([Ljava/lang/String;)V"
MARKER_KEY = "HKCU\\SOFTWARE\\qorvane-systems\\morva"
REG = "C:\\windows\\system32\\reg.exe"
WINDOW_TITLE = "Stand-in Java window"


class ClassPaths:
    """The compiled demo classes in the three class path forms, as Unix paths."""

    def __init__(self, root: pathlib.Path):
        self.classes = root / "classes"
        self.deflated_jar = root / "demo.jar"
        self.stored_jar = root / "stored.jar"
        self.broken_jar = root / "broken.jar"


@pytest.fixture(scope="module")
def class_paths(tmp_path_factory) -> ClassPaths:
    if not shutil.which("javac") or not shutil.which("jar"):
        pytest.skip("javac and jar are needed to build the demo classes")
    root = tmp_path_factory.mktemp("demo-classes")
    paths = ClassPaths(root)
    sources = []
    for name, text in JAVA_SOURCES.items():
        source = root / "src" / name
        source.parent.mkdir(parents=True, exist_ok=True)
        source.write_text(text)
        sources.append(str(source))
    subprocess.run(["javac", "--release", "8", "-d", str(paths.classes), *sources], check=True)
    subprocess.run(["jar", "cf", str(paths.deflated_jar), "-C", str(paths.classes), "."], check=True)
    class_files = sorted(paths.classes.rglob("*.class"))
    with zipfile.ZipFile(paths.stored_jar, "w", zipfile.ZIP_STORED) as jar:
        for class_file in class_files:
            jar.write(class_file, class_file.relative_to(paths.classes).as_posix())
    with zipfile.ZipFile(paths.broken_jar, "w", zipfile.ZIP_DEFLATED) as jar:
        jar.writestr("demo/Broken.class", b"\xca\xfe\xba\xbe" + bytes(40))
        # A good class file under another class's name: a real VM refuses it.
        jar.write(paths.classes / "demo" / "Natives.class", "demo/Renamed.class")
    with zipfile.ZipFile(paths.deflated_jar) as jar:
        assert {entry.compress_type for entry in jar.infolist() if entry.filename.endswith(".class")} == \
            {zipfile.ZIP_DEFLATED}
    return paths


@pytest.fixture
def jvm_dll(runtimes, tmp_setup_dir) -> pathlib.Path:
    return runtimes.make(tmp_setup_dir / "jre", "1.8.0_201").bin_dirs[0] / "server" / "jvm.dll"


@pytest.fixture
def jvmdriver(runtimes) -> pathlib.Path:
    # Built beside the other test helpers, one folder above the stand-in runtime's programs.
    driver = runtimes.standin_dir.parent / "jvmdriver.exe"
    if not driver.is_file():
        pytest.skip(f"jvmdriver.exe is not built ({driver})")
    return driver


class Drive:
    """One run of jvmdriver.exe: its answers (one per step), its exit code and the report."""

    def __init__(self, result: WineResult, report_path: pathlib.Path):
        self.result = result
        self.answers = result.stdout.splitlines()
        self.report = json.loads(report_path.read_text(encoding="ascii"))

    def calls(self, kind: str) -> List[dict]:
        return [call for call in self.report["calls"] if call["kind"] == kind]

    def kinds(self) -> List[str]:
        return [call["kind"] for call in self.report["calls"]]


def write_script(directory: pathlib.Path, steps: Sequence[Sequence[str]]) -> pathlib.Path:
    script = directory / "steps.txt"
    script.write_text("".join("\t".join(step) + "\n" for step in steps), encoding="utf-8")
    return script


def class_path_option(wine, *entries: pathlib.Path) -> List[str]:
    return ["option", "-Djava.class.path=" + ";".join(wine.windows_path(entry) for entry in entries) + ";"]


def drive(wine, driver, jvm_dll, steps, env: Optional[Dict[str, str]] = None,
          report: Optional[pathlib.Path] = None) -> Drive:
    script = write_script(jvm_dll.parent, steps)
    result = wine.run(driver, wine.windows_path(jvm_dll), wine.windows_path(script), env=env)
    return Drive(result, report or jvm_dll.parent / "jvm-report.json")


def created(wine, class_path: pathlib.Path, *steps) -> List[List[str]]:
    return [class_path_option(wine, class_path), ["create"], *map(list, steps)]


class TestCreation:
    def test_fail_create_refuses_the_vm_but_records_its_options(self, wine, jvmdriver, jvm_dll, class_paths):
        ran = drive(wine, jvmdriver, jvm_dll, [["option", "-Xmx64m"], *created(wine, class_paths.deflated_jar,
                                                                                ["findClass", "demo/Launcher"])],
                    env={"LNX_JVM_FAIL_CREATE": "1"})

        assert ran.answers[2:] == ["create -1", "findClass without a VM"]
        creation, = ran.calls("createJavaVM")
        assert (creation["result"], creation["problem"]) == (-1, "LNX_JVM_FAIL_CREATE")
        assert ran.report["options"][0] == "-Xmx64m" and len(ran.report["options"]) == 2

    def test_a_switch_that_is_no_number_refuses_the_vm(self, wine, jvmdriver, jvm_dll):
        ran = drive(wine, jvmdriver, jvm_dll, [["create"]], env={"LNX_JVM_EXIT_CODE": "seven"})

        assert ran.answers == ["create -1"]
        assert ran.calls("createJavaVM")[0]["problem"] == "LNX_JVM_EXIT_CODE is no number: seven"

    @pytest.mark.parametrize("version, answer", [("0x00010008", "create 0"), ("0x000a0000", "create 0"),
                                                 ("0x00010001", "create -3"), ("0x00150000", "create -3")],
                             ids=["1.8", "10", "1.1", "21"])
    def test_jni_versions_1_2_to_10_are_accepted(self, wine, jvmdriver, jvm_dll, version, answer):
        ran = drive(wine, jvmdriver, jvm_dll, [["version", version], ["create"]])

        assert ran.answers[-1] == answer
        assert ran.calls("createJavaVM")[0]["version"] == version

    def test_a_second_vm_is_refused_and_the_first_stays_usable(self, wine, jvmdriver, jvm_dll, class_paths):
        ran = drive(wine, jvmdriver, jvm_dll, created(
            wine, class_paths.deflated_jar, ["create"], ["findClass", "demo/Launcher"], ["destroy"], ["destroy"]))

        assert ran.answers[-5:] == ["create 0", "create -5", "findClass demo/Launcher found", "destroy 0",
                                    "destroy without a VM"]
        assert [call["result"] for call in ran.calls("createJavaVM")] == [0, -5]


class TestClassPath:
    @pytest.mark.parametrize("form", ["deflated_jar", "stored_jar", "classes"])
    def test_finds_the_classes_of_the_class_path_and_no_others(
            self, wine, jvmdriver, jvm_dll, class_paths, form):
        ran = drive(wine, jvmdriver, jvm_dll, created(
            wine, getattr(class_paths, form),
            ["findClass", "demo/Launcher"], ["findClass", "demo/Natives"], ["findClass", "demo/Missing"],
            ["findClass", "demo.Launcher"], ["findClass", "java/lang/String"]))

        assert ran.answers[1:] == ["create 0", "findClass demo/Launcher found", "findClass demo/Natives found",
                                   "findClass demo/Missing null: java.lang.NoClassDefFoundError: demo/Missing",
                                   "findClass demo.Launcher null: java.lang.NoClassDefFoundError: demo.Launcher",
                                   "findClass java/lang/String found"]
        assert [(call["class"], call["found"]) for call in ran.calls("findClass")] == [
            ("demo/Launcher", True), ("demo/Natives", True), ("demo/Missing", False),
            ("demo.Launcher", False), ("java/lang/String", True)]
        assert ran.calls("invalid") == []
        assert [call["class"] for call in ran.calls("throw")] == ["java/lang/NoClassDefFoundError"] * 2

    def test_the_last_class_path_option_counts_and_bad_class_files_are_no_classes(
            self, wine, jvmdriver, jvm_dll, class_paths, tmp_setup_dir):
        missing_jar = tmp_setup_dir / "absent.jar"
        steps = [["option", "-Djava.class.path=" + wine.windows_path(class_paths.deflated_jar)],
                 class_path_option(wine, missing_jar, class_paths.broken_jar, class_paths.stored_jar),
                 ["create"], ["findClass", "demo/Natives"], ["findClass", "demo/Broken"],
                 ["findClass", "demo/Renamed"]]

        ran = drive(wine, jvmdriver, jvm_dll, steps)

        assert ran.answers[3:] == ["findClass demo/Natives found", "findClass demo/Broken null: java.lang.NoClassDefFoundError: demo/Broken",
                                   "findClass demo/Renamed null: java.lang.NoClassDefFoundError: demo/Renamed"]
        assert ran.report["options"][1].endswith("stored.jar;")

    def test_without_a_class_path_only_the_built_in_jdk_classes_exist(self, wine, jvmdriver, jvm_dll):
        ran = drive(wine, jvmdriver, jvm_dll, [["create"], ["findClass", "java/lang/System"],
                                               ["findClass", "java/lang/Object"], ["findClass", "demo/Launcher"]])

        assert ran.answers == ["create 0", "findClass java/lang/System found", "findClass java/lang/Object found",
                               "findClass demo/Launcher null: java.lang.NoClassDefFoundError: demo/Launcher"]
        assert ran.report["options"] == []

    @pytest.mark.parametrize("name, descriptor, answer", [
        ("main", MAIN, "found"),
        ("inherited", "()V", "found"),
        ("main", "([Ljava/lang/String;)I", "null: java.lang.NoSuchMethodError: main"),
        ("instance", "()V", "null: java.lang.NoSuchMethodError: instance"),
        ("absent", "()V", "null: java.lang.NoSuchMethodError: absent"),
    ], ids=["declared", "inherited", "wrong-descriptor", "instance-method", "absent"])
    def test_static_methods_are_found_by_name_descriptor_and_static_ness(
            self, wine, jvmdriver, jvm_dll, class_paths, name, descriptor, answer):
        ran = drive(wine, jvmdriver, jvm_dll, created(
            wine, class_paths.deflated_jar, ["getStaticMethod", "demo/Launcher", name, descriptor]))

        assert ran.answers[-1] == f"getStaticMethod {answer}"
        lookup, = ran.calls("getStaticMethodID")
        assert (lookup["name"], lookup["descriptor"], lookup["found"]) == (name, descriptor, answer == "found")


class TestRegisterNatives:
    def test_native_methods_of_the_class_are_bound_in_one_call(self, wine, jvmdriver, jvm_dll, class_paths):
        ran = drive(wine, jvmdriver, jvm_dll, created(
            wine, class_paths.deflated_jar,
            ["registerNatives", "demo/Natives", "add", "(II)I", "name", "(Ljava/lang/String;J)Ljava/lang/String;"]))

        assert ran.answers[-1] == "registerNatives 0"
        assert ran.report["registered"] == [{"class": "demo/Natives", "methods": [
            ["add", "(II)I"], ["name", "(Ljava/lang/String;J)Ljava/lang/String;"]]}]
        assert ran.report["rejected"] == []
        assert ran.calls("registerNatives")[0]["result"] == 0

    @pytest.mark.parametrize("name, descriptor, reason", [
        ("add", "(JJ)I", "no such method"),
        ("plain", "(I)I", "not a native method"),
        ("absent", "()V", "no such method"),
    ], ids=["wrong-descriptor", "not-native", "absent"])
    def test_a_record_a_real_vm_refuses_fails_the_whole_call(
            self, wine, jvmdriver, jvm_dll, class_paths, name, descriptor, reason):
        ran = drive(wine, jvmdriver, jvm_dll, created(
            wine, class_paths.deflated_jar,
            ["registerNatives", "demo/Natives", "add", "(II)I", name, descriptor]))

        assert ran.answers[-1] == "registerNatives -1"
        assert ran.report["rejected"] == [
            {"class": "demo/Natives", "name": name, "descriptor": descriptor, "reason": reason}]
        assert ran.report["registered"] == []

    def test_a_class_missing_from_the_class_path_cannot_be_bound(self, wine, jvmdriver, jvm_dll, class_paths):
        ran = drive(wine, jvmdriver, jvm_dll, created(
            wine, class_paths.deflated_jar, ["registerNatives", "demo/Missing", "add", "(II)I"]))

        assert ran.answers[-1] == "registerNatives no class"
        assert ran.calls("registerNatives") == []


class TestCalls:
    def test_main_receives_its_parameters_as_a_string_array(self, wine, jvmdriver, jvm_dll, class_paths):
        parameters = ["true", "/demo.Main", "", "C:\\Programme\\Süß €", "-Dx=1"]
        ran = drive(wine, jvmdriver, jvm_dll, created(
            wine, class_paths.deflated_jar, ["callMain", "demo/Launcher", *parameters], ["destroy"]))

        assert ran.answers[-2:] == ["callMain returned", "destroy 0"]
        main, = [call for call in ran.calls("callStatic") if call["method"] == "main"]
        assert (main["class"], main["descriptor"], main["function"]) == (
            "demo/Launcher", MAIN, "CallStaticVoidMethodV")
        assert main["arguments"] == [parameters]
        assert ran.report["destroyed"] is True
        assert ran.kinds()[-1] == "destroyJavaVM"

    def test_static_calls_record_booleans_ints_and_strings(self, wine, jvmdriver, jvm_dll, class_paths):
        ran = drive(wine, jvmdriver, jvm_dll, created(
            wine, class_paths.stored_jar,
            ["callStatic", "demo/Launcher", "initFromLauncher", "(Z)V", "true"],
            ["callStatic", "demo/Launcher", "describe", "(Ljava/lang/String;IZ)Ljava/lang/String;",
             "text", "-42", "false"]))

        assert ran.answers[-2:] == ["callStatic returned", "callStatic returned null"]
        assert [(call["method"], call["function"], call["arguments"]) for call in ran.calls("callStatic")] == [
            ("initFromLauncher", "CallStaticVoidMethodA", [True]),
            ("describe", "CallStaticObjectMethodA", ["text", -42, False])]

    def test_system_properties_are_kept_and_the_previous_value_returned(
            self, wine, jvmdriver, jvm_dll, class_paths):
        ran = drive(wine, jvmdriver, jvm_dll, created(
            wine, class_paths.deflated_jar, ["setProperty", "morva.moduleName", "C:\\a\\setup.exe"],
            ["setProperty", "morva.moduleName", "C:\\b\\Setüp.exe"], ["setProperty", "other", "1"]))

        assert ran.answers[-3:] == ["setProperty null", "setProperty C:\\a\\setup.exe", "setProperty null"]
        assert ran.report["properties"] == {"morva.moduleName": "C:\\b\\Setüp.exe", "other": "1"}
        assert {call["function"] for call in ran.calls("callStatic")} == {"CallStaticObjectMethod"}

    def test_static_fields_are_set_only_with_their_own_descriptor(self, wine, jvmdriver, jvm_dll, class_paths):
        ran = drive(wine, jvmdriver, jvm_dll, created(
            wine, class_paths.classes, ["setStaticField", "demo/Launcher", "externalExecutable", "C:\\s.exe"],
            ["setStaticField", "demo/Launcher", "counter", "C:\\s.exe"]))

        assert ran.answers[-2:] == ["setStaticField set", "setStaticField no field"]
        assert ran.report["staticFields"] == {"demo/Launcher.externalExecutable": "C:\\s.exe"}

    def test_unsupported_functions_are_recorded_and_return_to_an_intact_caller(
            self, wine, jvmdriver, jvm_dll, class_paths):
        ran = drive(wine, jvmdriver, jvm_dll, created(
            wine, class_paths.deflated_jar, ["unsupported"], ["findClass", "demo/Launcher"]))

        assert ran.result.returncode == 0
        assert ran.answers[-2:] == ["unsupported 0 null", "findClass demo/Launcher found"]
        assert [(entry["index"], entry["name"]) for entry in ran.report["unsupported"]] == [
            (4, "GetVersion"), (181, "NewFloatArray"), (162, "SetStaticDoubleField")]

    def test_a_reference_deleted_twice_is_recorded_as_invalid(self, wine, jvmdriver, jvm_dll, class_paths):
        ran = drive(wine, jvmdriver, jvm_dll, created(wine, class_paths.deflated_jar, ["deleteTwice"]))

        assert [(entry["function"], entry["problem"]) for entry in ran.report["invalid"]] == [
            ("DeleteLocalRef", "a deleted local reference")]


class TestSwitches:
    def test_missing_class_hides_a_class_that_is_there(self, wine, jvmdriver, jvm_dll, class_paths):
        ran = drive(wine, jvmdriver, jvm_dll, created(
            wine, class_paths.deflated_jar, ["findClass", "demo/Natives"], ["findClass", "demo/Launcher"]),
            env={"LNX_JVM_MISSING_CLASS": "demo.Natives"})

        assert ran.answers[-2:] == ["findClass demo/Natives null: java.lang.NoClassDefFoundError: demo/Natives", "findClass demo/Launcher found"]

    def test_main_throws_leaves_an_exception_for_the_launcher_to_report(
            self, wine, jvmdriver, jvm_dll, class_paths):
        text = "java.lang.IllegalStateException: no ¤ installer"
        ran = drive(wine, jvmdriver, jvm_dll, created(
            wine, class_paths.deflated_jar, ["callMain", "demo/Launcher"], ["callMain", "demo/Launcher"]),
            env={"LNX_JVM_MAIN_THROWS": text})

        assert ran.answers[-2:] == [f"callMain threw {text}"] * 2
        kinds = ran.kinds()
        first = kinds.index("throw")
        # Described (and so cleared) before its toString is called: JNI allows no call while
        # an exception is pending.
        assert kinds[first:first + 7] == ["throw", "exceptionDescribe", "getMethodID", "call", "exceptionClear",
                                          "findClass", "getStaticMethodID"]
        to_string = ran.calls("call")[0]
        assert (to_string["method"], to_string["result"]) == ("toString", text)
        assert ran.calls("exceptionDescribe")[0]["exception"] == {"throwable": text}
        assert ran.calls("exceptionClear")[0]["exception"] is None
        assert ran.calls("invalid") == []

    def test_exit_code_ends_the_process_inside_main_with_the_report_written(
            self, wine, jvmdriver, jvm_dll, class_paths):
        ran = drive(wine, jvmdriver, jvm_dll, created(
            wine, class_paths.deflated_jar, ["callMain", "demo/Launcher", "x"], ["destroy"]),
            env={"LNX_JVM_EXIT_CODE": "7"})

        assert ran.result.returncode == 7
        assert ran.answers[-1] == "create 0"
        assert ran.kinds()[-2:] == ["callStatic", "exitProcess"]
        assert ran.calls("exitProcess")[0]["value"] == 7
        assert ran.report["destroyed"] is False

    def test_set_marker_writes_the_per_process_start_up_marker(self, wine, jvmdriver, jvm_dll, class_paths):
        ran = drive(wine, jvmdriver, jvm_dll, created(wine, class_paths.deflated_jar, ["callMain", "demo/Launcher"]),
                    env={"LNX_JVM_SET_MARKER": "2"})

        marker, = ran.calls("startupMarker")
        assert marker["name"].startswith("InstallStarted_") and marker["written"] is True
        try:
            stored = wine.run(REG, "query", MARKER_KEY, "/v", marker["name"], timeout=30).stdout
            assert "REG_DWORD" in stored and "0x2" in stored
        finally:
            wine.run(REG, "delete", MARKER_KEY, "/v", marker["name"], "/f", timeout=30)

    def test_window_appears_after_main_and_destroy_waits_for_it(
            self, wine, jvmdriver, jvm_dll, class_paths, dialogs):
        script = write_script(jvm_dll.parent, created(
            wine, class_paths.deflated_jar, ["callMain", "demo/Launcher"], ["sleep", "6000"], ["destroy"]))
        with wine.start(jvmdriver, wine.windows_path(jvm_dll), wine.windows_path(script),
                        env={"LNX_JVM_WINDOW_AFTER_MS": "1000"}) as started:
            window = dialogs.read(title_contains=WINDOW_TITLE, process="jvmdriver.exe", any_window=True,
                                  wait_seconds=5)
            result = started.wait(30)
        ran = Drive(result, jvm_dll.parent / "jvm-report.json")

        assert window.exit_code == 0 and window.caption == WINDOW_TITLE
        assert ran.answers[-3:] == ["callMain returned", "sleep", "destroy 0"]
        assert ran.kinds()[-4:] == ["callStatic", "windowShown", "windowClosed", "destroyJavaVM"]

    def test_destroy_right_after_main_still_waits_for_the_window(self, wine, jvmdriver, jvm_dll, class_paths):
        ran = drive(wine, jvmdriver, jvm_dll, created(
            wine, class_paths.deflated_jar, ["callMain", "demo/Launcher"], ["destroy"]),
            env={"LNX_JVM_WINDOW_AFTER_MS": "1500"})

        assert ran.answers[-1] == "destroy 0"
        assert ran.kinds()[-3:] == ["windowShown", "windowClosed", "destroyJavaVM"]

    def test_report_switch_puts_the_report_elsewhere(self, wine, jvmdriver, jvm_dll, tmp_setup_dir):
        report = tmp_setup_dir / "elsewhere.json"
        ran = drive(wine, jvmdriver, jvm_dll, [["create"], ["destroy"]],
                    env={"LNX_JVM_REPORT": wine.windows_path(report)}, report=report)

        assert ran.report["destroyed"] is True
        assert not (jvm_dll.parent / "jvm-report.json").exists()
