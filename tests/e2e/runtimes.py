"""Java runtime directories for the end-to-end tests, laid out from the built stand-in
runtime (testsupport/standin_runtime), and readers of the logs the stand-ins keep.

  JRE   HOME\\bin\\java.exe, javaw.exe, unpack200.exe   HOME\\bin\\<vm>\\jvm.dll
        HOME\\lib\\   HOME\\release (JAVA_VERSION="...")
  JDK   the same and HOME\\lib\\tools.jar; with an embedded JRE also HOME\\jre\\bin\\...
        with VM folders of its own and HOME\\jre\\lib\\ (no release: its java.exe reads
        the JDK's)

The stand-ins read their switches from, and write their logs to, files beside
themselves: standin.cfg and probes.log beside java.exe, unpack.log beside unpack200.exe,
jvm-report.json (the stand-in VM's report) beside jvm.dll. The binaries are copied, not
linked, so a test may change a runtime's files (and their times) without touching the
build.
"""

import io
import pathlib
import shutil
import zipfile
from dataclasses import dataclass
from typing import List, Mapping, Optional, Sequence, Tuple

PACK_MAGIC = b"LNXPACK1"
PACK_KEY = 0x5A
STANDIN_PROGRAMS = ("java.exe", "javaw.exe", "unpack200.exe", "jvm.dll")
# Our own marker in the release file: java.exe then answers in the open-source style,
# `openjdk version "V" DATE`.
OPENJDK_STYLE_MARKER = 'IMPLEMENTOR_STYLE="openjdk"'


def pack_bytes(jar: bytes) -> bytes:
    """The test pack format that the stand-in unpack200.exe restores."""
    return PACK_MAGIC + bytes(byte ^ PACK_KEY for byte in jar)


def minimal_jar(*entries: str) -> bytes:
    """A real (zip) jar with a manifest and one small file per entry name; the same bytes
    for the same names (fixed entry times), so a test can compare a jar it made twice."""
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w") as jar:
        for name, content in [("META-INF/MANIFEST.MF", b"Manifest-Version: 1.0\r\n\r\n"),
                              *((entry, entry.encode("utf-8")) for entry in entries)]:
            jar.writestr(zipfile.ZipInfo(name, date_time=(2020, 1, 1, 0, 0, 0)), content)
    return buffer.getvalue()


@dataclass(frozen=True)
class Runtime:
    home: pathlib.Path
    bin_dirs: Tuple[pathlib.Path, ...]  # HOME\bin, and HOME\jre\bin for an embedded JRE

    @property
    def java_exe(self) -> pathlib.Path:
        """The java.exe that stands for this home: the embedded JRE's when there is one."""
        return self.bin_dirs[-1] / "java.exe"


def _log_lines(runtime: Runtime, log_name: str) -> List[str]:
    lines: List[str] = []
    for bin_dir in runtime.bin_dirs:
        log = bin_dir / log_name
        if log.is_file():
            lines += log.read_text(encoding="utf-8").splitlines()
    return lines


def probe_log(runtime: Runtime) -> List[str]:
    """The command lines of every run of the runtime's java.exe and javaw.exe."""
    return _log_lines(runtime, "probes.log")


def probe_count(runtime: Runtime) -> int:
    return len(probe_log(runtime))


def unpack_calls(runtime: Runtime) -> List[str]:
    """The command lines of every run of the runtime's unpack200.exe."""
    return _log_lines(runtime, "unpack.log")


def set_java_behaviour(runtime: Runtime, behaviour: Optional[Mapping[str, int]]) -> None:
    """Switches for every java.exe and javaw.exe of the runtime: {"exit": N} ends with N
    at once, {"hang": 1} never ends, {"garbage": 1} writes a first line that is no
    version line. None makes them answer normally again."""
    for bin_dir in runtime.bin_dirs:
        config = bin_dir / "standin.cfg"
        if behaviour is None:
            config.unlink(missing_ok=True)
        else:
            config.write_text("".join(f"{name}={value}\n" for name, value in behaviour.items()))


@dataclass(frozen=True)
class RuntimeMaker:
    """The built stand-ins: the folder of the programs of the launcher's width and the
    jvm.dll of the other width (one that can never load into the launcher)."""
    standin_dir: pathlib.Path
    other_width_jvm: pathlib.Path

    def missing(self) -> List[pathlib.Path]:
        wanted = [self.standin_dir / name for name in STANDIN_PROGRAMS] + [self.other_width_jvm]
        return [path for path in wanted if not path.is_file()]

    def make(self, directory, version: str, *, jdk: bool = False, embedded_jre: bool = False,
             javaw: bool = True, vm_dirs: Sequence[str] = ("server",), other_width_vm_dirs: Sequence[str] = (),
             embedded_vm_dirs: Sequence[str] = ("server",), openjdk_style: bool = False,
             java_behaviour: Optional[Mapping[str, int]] = None,
             packed_jars: Optional[Mapping[str, bytes]] = None,
             tools_jar: Optional[bool] = None) -> Runtime:
        """Lays out a runtime of `version` in directory (created) and returns it.

        vm_dirs and other_width_vm_dirs name the folders of HOME\\bin that get the jvm.dll of
        the launcher's width and that of the other width; embedded_vm_dirs those of
        HOME\\jre\\bin. packed_jars maps jar
        paths relative to HOME ("lib/rt.jar", "jre/lib/ext/x.jar") to their bytes, written
        packed as <path>.pack. tools_jar defaults to whether the runtime is a JDK."""
        if set(vm_dirs) & set(other_width_vm_dirs):
            raise ValueError(f"a VM folder cannot hold both jvm.dll images: {vm_dirs} {other_width_vm_dirs}")
        home = pathlib.Path(directory)
        bin_dirs = [self._make_bin(home, javaw, vm_dirs, other_width_vm_dirs)]
        if embedded_jre:
            bin_dirs.append(self._make_bin(home / "jre", javaw, embedded_vm_dirs, ()))
        with_tools_jar = jdk if tools_jar is None else tools_jar
        if with_tools_jar:
            (home / "lib" / "tools.jar").write_bytes(minimal_jar("com/sun/tools/javac/Main.class"))
        release = [f'JAVA_VERSION="{version}"'] + ([OPENJDK_STYLE_MARKER] if openjdk_style else [])
        (home / "release").write_text("".join(line + "\n" for line in release))
        for jar_path, jar in (packed_jars or {}).items():
            packed = home / f"{jar_path}.pack"
            packed.parent.mkdir(parents=True, exist_ok=True)
            packed.write_bytes(pack_bytes(jar))
        runtime = Runtime(home, tuple(bin_dirs))
        set_java_behaviour(runtime, java_behaviour)
        return runtime

    def _make_bin(self, home: pathlib.Path, javaw: bool, vm_dirs: Sequence[str],
                  other_width_vm_dirs: Sequence[str]) -> pathlib.Path:
        bin_dir = home / "bin"
        bin_dir.mkdir(parents=True, exist_ok=True)
        (home / "lib").mkdir(exist_ok=True)
        programs = ["java.exe", "unpack200.exe"] + (["javaw.exe"] if javaw else [])
        for program in programs:
            shutil.copyfile(self.standin_dir / program, bin_dir / program)
        for vm_dir, image in [(name, self.standin_dir / "jvm.dll") for name in vm_dirs] + \
                             [(name, self.other_width_jvm) for name in other_width_vm_dirs]:
            (bin_dir / vm_dir).mkdir(exist_ok=True)
            shutil.copyfile(image, bin_dir / vm_dir / "jvm.dll")
        return bin_dir
