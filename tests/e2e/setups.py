"""Setup files for the end-to-end tests, built by lnxpack from a project given as a dict,
and the byte surgery that damages them on purpose."""

import json
import os
import pathlib
import subprocess
from typing import Dict, Optional


# A run's environment without any runtime named by the caller, and with the log kept.
NO_JAVA = {"JAVA_HOME": "", "JDK_HOME": "", "MORVA_JAVA_HOME": "", "LANTERNIX_JAVA_HOME": "", "MORVA_LOG": "yes"}


# The window class of the launcher's progress dialog.
PROGRESS_DIALOG_CLASS = "MyDialogClass"


def java_env(wine, java, **switches) -> Dict[str, str]:
    """A run's environment: the runtime as JAVA_HOME, the stand-in VM's switches
    (main_ms=5000 is LNX_JVM_MAIN_MS=5000), the log kept."""
    return {**NO_JAVA, "JAVA_HOME": wine.windows_path(java.home),
            **{f"LNX_JVM_{name.upper()}": str(value) for name, value in switches.items()}}


def read_log(path: pathlib.Path) -> str:
    """A launcher log as text: UTF-8 with its byte-order mark, CRLF turned into LF."""
    return path.read_bytes().decode("utf-8-sig").replace("\r\n", "\n")


def log_files(directory: pathlib.Path):
    """The launcher logs in directory, by their number."""
    return sorted(directory.glob("lnx_nlog_*.log"), key=lambda p: int(p.stem.rsplit("_", 1)[1]))


def newest_log_text(directory: pathlib.Path) -> str:
    return read_log(max(directory.glob("lnx_nlog_*.log"), key=lambda p: p.stat().st_mtime))


def leftovers(temp_dir: pathlib.Path):
    """Extraction directories and their unique files in the Windows TEMP."""
    return sorted(p.name for p in temp_dir.iterdir() if p.name.startswith("mrv"))


def default_files() -> Dict[str, bytes]:
    """The installer's runtime jar: the real one when the build made it (the stand-in VM
    reads its classes), else a placeholder."""
    jar = os.environ.get("LNX_RUNTIME_JAR")
    return {"lnxruntime.jar": pathlib.Path(jar).read_bytes() if jar and os.path.isfile(jar) else b"jar"}


def build_setup(lnxpack, launcher, directory: pathlib.Path, project: Optional[Dict] = None,
                name: str = "setup.exe", files: Optional[Dict[str, bytes]] = None) -> pathlib.Path:
    """Writes the project (and its files, name in the Payload -> content), packs it."""
    project = dict(project or {})
    sources = directory / "sources"
    sources.mkdir(exist_ok=True)
    entries = []
    for index, (payload_name, content) in enumerate((files or default_files()).items()):
        source = sources / f"file{index}"
        source.write_bytes(content)
        entries.append({"name": payload_name, "source": str(source)})
    project.setdefault("files", entries)
    project_file = directory / "project.json"
    project_file.write_text(json.dumps(project, ensure_ascii=False), encoding="utf-8")
    output = directory / name
    subprocess.run([str(lnxpack), "build", str(project_file), "-o", str(output), "--stub", str(launcher)],
                   check=True, capture_output=True)
    return output


def inspect(lnxpack, setup: pathlib.Path) -> Dict:
    result = subprocess.run([str(lnxpack), "inspect", "--json", str(setup)], capture_output=True, text=True)
    return json.loads(result.stdout)


def patch(setup: pathlib.Path, offset: int, data: bytes) -> None:
    content = bytearray(setup.read_bytes())
    content[offset:offset + len(data)] = data
    setup.write_bytes(bytes(content))


def truncate(setup: pathlib.Path, size: int) -> None:
    setup.write_bytes(setup.read_bytes()[:size])
