"""The stand-in Java runtime itself: java.exe answers -version like a real runtime and
misbehaves on request, unpack200.exe restores the test pack format, the images have the
subsystems, machines and exports the launcher relies on."""

import pathlib
from typing import List, Tuple

import pytest

from pe_images import AMD64, I386, PE32, PE32_PLUS, image_bits, read_pe_image
from runtimes import minimal_jar, pack_bytes, probe_log, set_java_behaviour, unpack_calls
from winenv import WineTimeout

CMD = "C:\\windows\\system32\\cmd.exe"
JNI_EXPORTS = {"JNI_CreateJavaVM", "JNI_GetDefaultJavaVMInitArgs", "JNI_GetCreatedJavaVMs"}
GUI, CONSOLE = 2, 3
IMAGE_FILE_DLL = 0x2000
# Libraries every Windows has; jvm.dll needs the last two for the Java side's start-up
# marker and window.
WINDOWS_DLLS = {"kernel32.dll", "msvcrt.dll", "advapi32.dll", "user32.dll"}


def java_version(wine, java_exe: pathlib.Path) -> Tuple[int, List[str], str]:
    """Runs `java.exe -version` with standard error in a file, as the launcher's probe
    does; returns the exit code, the file's lines and what went to standard output."""
    output = java_exe.parent / "version.txt"
    output.unlink(missing_ok=True)
    ran = wine.run(CMD, "/c", java_exe.name, "-version", f"2>{output.name}", cwd=java_exe.parent)
    return ran.returncode, output.read_text(encoding="utf-8").splitlines(), ran.stdout


class TestJavaVersion:
    @pytest.mark.parametrize("version, openjdk_style, first_line", [
        ("1.8.0_201", False, 'java version "1.8.0_201"'),
        ("17.0.2", True, 'openjdk version "17.0.2" 2024-01-16'),
    ], ids=["java", "openjdk"])
    def test_reports_the_release_version_on_standard_error(
            self, wine, runtimes, tmp_setup_dir, version, openjdk_style, first_line):
        runtime = runtimes.make(tmp_setup_dir / "jre", version, openjdk_style=openjdk_style)
        exit_code, lines, stdout = java_version(wine, runtime.java_exe)

        assert exit_code == 0
        assert lines[0] == first_line
        assert len(lines) == 3 and all(f"(build {version}" in line for line in lines[1:])
        assert "version" not in stdout

    def test_embedded_jre_reads_the_release_of_the_jdk_around_it(self, wine, runtimes, tmp_setup_dir):
        runtime = runtimes.make(tmp_setup_dir / "jdk", "1.8.0_144", jdk=True, embedded_jre=True)
        assert runtime.java_exe == runtime.home / "jre" / "bin" / "java.exe"

        exit_code, lines, _ = java_version(wine, runtime.java_exe)

        assert (exit_code, lines[0]) == (0, 'java version "1.8.0_144"')
        assert not (runtime.home / "bin" / "probes.log").exists()
        assert len((runtime.home / "jre" / "bin" / "probes.log").read_text().splitlines()) == 1

    def test_a_release_file_in_the_home_wins_over_one_above_it(self, wine, runtimes, tmp_setup_dir):
        runtime = runtimes.make(tmp_setup_dir / "jdk", "1.8.0_144", jdk=True, embedded_jre=True)
        (runtime.home / "jre" / "release").write_text('JAVA_VERSION="1.7.0_80"\n')

        assert java_version(wine, runtime.java_exe)[1][0] == 'java version "1.7.0_80"'

    def test_without_a_release_file_it_fails_and_names_no_version(self, wine, runtimes, tmp_setup_dir):
        runtime = runtimes.make(tmp_setup_dir / "jre", "1.8.0_201")
        (runtime.home / "release").unlink()

        exit_code, lines, _ = java_version(wine, runtime.java_exe)

        assert exit_code == 1
        assert lines and "no JAVA_VERSION" in lines[0]

    def test_every_run_is_logged_with_its_command_line(self, wine, runtimes, tmp_setup_dir):
        runtime = runtimes.make(tmp_setup_dir / "jre", "1.8.0_201")
        java_version(wine, runtime.java_exe)
        other = wine.run(runtime.java_exe, "-jar", "x.jar")

        assert other.returncode == 1
        logged = probe_log(runtime)
        assert len(logged) == 2
        assert logged[0].split()[1:] == ["-version"]
        assert logged[1].split()[1:] == ["-jar", "x.jar"]


class TestJavaBehaviour:
    def test_exit_switch_ends_with_that_code_and_prints_nothing(self, wine, runtimes, tmp_setup_dir):
        runtime = runtimes.make(tmp_setup_dir / "jre", "1.8.0_201", java_behaviour={"exit": 3})

        assert java_version(wine, runtime.java_exe)[:2] == (3, [])
        assert len(probe_log(runtime)) == 1

    def test_garbage_switch_puts_a_line_before_the_version(self, wine, runtimes, tmp_setup_dir):
        runtime = runtimes.make(tmp_setup_dir / "jre", "1.8.0_201", java_behaviour={"garbage": 1})

        exit_code, lines, _ = java_version(wine, runtime.java_exe)

        assert exit_code == 0
        assert not lines[0].startswith(("java version", "openjdk version"))
        assert lines[1] == 'java version "1.8.0_201"'

    def test_hang_switch_never_ends(self, wine, runtimes, tmp_setup_dir):
        runtime = runtimes.make(tmp_setup_dir / "jre", "1.8.0_201", java_behaviour={"hang": 1})

        with pytest.raises(WineTimeout):
            wine.run(runtime.java_exe, "-version", timeout=3)
        assert len(probe_log(runtime)) == 1

    def test_an_unknown_switch_is_refused(self, wine, runtimes, tmp_setup_dir):
        runtime = runtimes.make(tmp_setup_dir / "jre", "1.8.0_201", java_behaviour={"exits": 3})

        exit_code, lines, _ = java_version(wine, runtime.java_exe)

        assert exit_code == 2
        assert lines == ["stand-in java: standin.cfg is not understood"]

    def test_switches_belong_to_one_runtime_and_can_be_cleared(self, wine, runtimes, tmp_setup_dir):
        failing = runtimes.make(tmp_setup_dir / "failing", "1.8.0_201", java_behaviour={"exit": 3})
        working = runtimes.make(tmp_setup_dir / "working", "1.8.0_202")

        assert java_version(wine, failing.java_exe)[0] == 3
        assert java_version(wine, working.java_exe)[:2] == (0, [
            'java version "1.8.0_202"',
            "Java(TM) SE Runtime Environment (build 1.8.0_202)",
            "Stand-in Client VM (build 1.8.0_202, no bytecode)"])
        set_java_behaviour(failing, None)
        assert java_version(wine, failing.java_exe)[0] == 0

    def test_javaw_answers_like_java(self, wine, runtimes, tmp_setup_dir):
        runtime = runtimes.make(tmp_setup_dir / "jre", "11.0.22", openjdk_style=True)

        ran = wine.run(runtime.bin_dirs[0] / "javaw.exe", "-version")

        assert ran.returncode == 0
        assert 'openjdk version "11.0.22" 2024-01-16' in ran.stderr.splitlines()
        assert probe_log(runtime)[0].endswith('javaw.exe" -version')


class TestUnpack200:
    @pytest.mark.parametrize("jar", [minimal_jar("java/lang/Object.class"), bytes(range(256)) * 2],
                             ids=["jar", "every-byte-value"])
    def test_restores_the_jar_byte_for_byte_and_removes_the_packed_file(
            self, wine, runtimes, tmp_setup_dir, jar):
        runtime = runtimes.make(tmp_setup_dir / "jre 8", "1.8.0_201", packed_jars={"lib/ext/my rt.jar": jar})
        packed = runtime.home / "lib" / "ext" / "my rt.jar.pack"
        target = runtime.home / "lib" / "ext" / "my rt.jar"

        ran = wine.run(runtime.bin_dirs[0] / "unpack200.exe", "-r",
                       wine.windows_path(packed), wine.windows_path(target))

        assert ran.returncode == 0, ran.stderr
        assert target.read_bytes() == jar
        assert not packed.exists()
        assert unpack_calls(runtime) == [
            f'"{wine.windows_path(runtime.bin_dirs[0] / "unpack200.exe")}" -r '
            f'"{wine.windows_path(packed)}" "{wine.windows_path(target)}"']

    def test_keeps_the_packed_file_without_r(self, wine, runtimes, tmp_setup_dir):
        jar = minimal_jar("a/A.class")
        runtime = runtimes.make(tmp_setup_dir / "jdk", "1.8.0_201", jdk=True, embedded_jre=True,
                                packed_jars={"jre/lib/rt.jar": jar})
        packed = runtime.home / "jre" / "lib" / "rt.jar.pack"

        ran = wine.run(runtime.bin_dirs[1] / "unpack200.exe",
                       wine.windows_path(packed), wine.windows_path(packed.with_suffix("")))

        assert ran.returncode == 0, ran.stderr
        assert packed.with_suffix("").read_bytes() == jar
        assert packed.read_bytes() == pack_bytes(jar)

    @pytest.mark.parametrize("content", [minimal_jar("a/A.class"), b"LNXPACK", None],
                             ids=["unpacked-jar", "short-magic", "missing"])
    def test_bad_input_fails_and_writes_nothing(self, wine, runtimes, tmp_setup_dir, content):
        runtime = runtimes.make(tmp_setup_dir / "jre", "1.8.0_201")
        packed = runtime.home / "lib" / "rt.jar.pack"
        if content is not None:
            packed.write_bytes(content)

        ran = wine.run(runtime.bin_dirs[0] / "unpack200.exe", "-r",
                       wine.windows_path(packed), wine.windows_path(packed.with_suffix("")))

        assert ran.returncode == 1
        assert not packed.with_suffix("").exists()
        assert packed.exists() == (content is not None)

    @pytest.mark.parametrize("arguments", [(), ("-r", "only.pack"), ("-x", "a.pack", "a.jar")],
                             ids=["none", "one-path", "unknown-option"])
    def test_wrong_arguments_are_a_usage_error(self, wine, runtimes, tmp_setup_dir, arguments):
        runtime = runtimes.make(tmp_setup_dir / "jre", "1.8.0_201")

        ran = wine.run(runtime.bin_dirs[0] / "unpack200.exe", *arguments)

        assert ran.returncode == 2
        assert len(unpack_calls(runtime)) == 1


# ---- Images: read from the PE headers, without running them ------------------------------

class TestImages:
    def test_java_and_unpack200_are_console_programs_and_javaw_a_gui_program(self, runtimes, tmp_path,
                                                                             launcher_bits):
        bin_dir = runtimes.make(tmp_path / "jre", "1.8.0_201").bin_dirs[0]
        subsystems = {name: read_pe_image(bin_dir / name).subsystem
                      for name in ("java.exe", "javaw.exe", "unpack200.exe")}

        assert subsystems == {"java.exe": CONSOLE, "javaw.exe": GUI, "unpack200.exe": CONSOLE}
        assert image_bits(bin_dir / "javaw.exe") == launcher_bits

    def test_the_vm_folders_hold_a_jvm_dll_of_each_width(self, runtimes, tmp_path, launcher_bits):
        bin_dir = runtimes.make(tmp_path / "jre", "1.8.0_201", vm_dirs=("client",),
                                other_width_vm_dirs=("server",)).bin_dirs[0]
        own = read_pe_image(bin_dir / "client" / "jvm.dll")
        other = read_pe_image(bin_dir / "server" / "jvm.dll")
        formats = {32: (I386, PE32), 64: (AMD64, PE32_PLUS)}

        assert (own.machine, own.optional_magic) == formats[launcher_bits]
        assert (other.machine, other.optional_magic) == formats[96 - launcher_bits]
        for image in (own, other):
            assert image.characteristics & IMAGE_FILE_DLL
            # Undecorated: GetProcAddress(h, "JNI_CreateJavaVM") must find the function.
            assert set(image.exports) == JNI_EXPORTS

    def test_the_images_need_no_dll_beside_them(self, runtimes, tmp_path):
        runtime = runtimes.make(tmp_path / "jre", "1.8.0_201", other_width_vm_dirs=("client",))
        images = [path for path in runtime.home.rglob("*") if path.suffix in (".exe", ".dll")]

        assert len(images) == 5
        for image in images:
            imported = {name.lower() for name in read_pe_image(image).imports}
            assert imported <= WINDOWS_DLLS, f"{image}: {imported}"

    def test_jdk_layout(self, runtimes, tmp_path):
        runtime = runtimes.make(tmp_path / "jdk", "1.8.0_201", jdk=True, embedded_jre=True,
                                javaw=False, vm_dirs=(), embedded_vm_dirs=("client", "server"))
        present = sorted(str(path.relative_to(runtime.home)) for path in runtime.home.rglob("*")
                         if path.is_file())

        assert present == ["bin/java.exe", "bin/unpack200.exe",
                           "jre/bin/client/jvm.dll", "jre/bin/java.exe", "jre/bin/server/jvm.dll",
                           "jre/bin/unpack200.exe", "lib/tools.jar", "release"]
        assert runtime.bin_dirs == (runtime.home / "bin", runtime.home / "jre" / "bin")
