"""lnxpack.exe, the builder built for Windows, run under Wine: one project gives the same
setup file, byte for byte, as the host's lnxpack (a bundled runtime, non-ASCII texts and
source paths included), reads it back alike, and refuses what the host's refuses."""

import json
import os
import pathlib
import subprocess

import pytest

from setups import inspect

REPOSITORY = pathlib.Path(__file__).resolve().parents[2]
DEFAULT_PACK_EXE = REPOSITORY / "build" / "win32" / "tools" / "lnxpack" / "lnxpack.exe"


@pytest.fixture
def lnxpack_exe() -> pathlib.Path:
    path = pathlib.Path(os.environ.get("LNX_PACK_EXE") or DEFAULT_PACK_EXE)
    if not path.is_file():
        pytest.skip(f"lnxpack.exe is not built (LNX_PACK_EXE={path})")
    return path


def write_project(directory: pathlib.Path, runtime_home: pathlib.Path) -> pathlib.Path:
    """A project with every part lnxpack fills; its paths relative, so both builders read it alike."""
    sources = directory / "données"
    sources.mkdir()
    (sources / "installer.jar").write_bytes(bytes(range(256)) * 40)
    (sources / "logo.png").write_bytes(b"\x89PNG\r\n\x1a\n" + b"\xa7" * 300)
    (sources / "extra.bin").write_bytes(b"java side\r\n\x00\xff")
    project = {
        "stub": "absent.exe",  # --stub names the launcher on each side
        "config": {"mainClass": "com.example.Setup", "stderrFile": "journal-été.log", "singleInstance": True,
                   "minJavaVersion": "1.8", "searchSequence": ""},
        "messages": {"20013": "Example Setup ✓"},
        "localisedSets": [{"locale": "zh_CN", "messages": {"20013": "示例安装"}}],
        "files": [{"name": "lnxruntime.jar", "source": "données/installer.jar"},
                  {"name": "img\\logo.png", "source": "données/logo.png"}],
        "javaData": "données/extra.bin",
        "runtime": {"directory": os.path.relpath(runtime_home, directory).replace(os.sep, "/")},
    }
    project_file = directory / "projet.json"
    project_file.write_text(json.dumps(project, ensure_ascii=False), encoding="utf-8")
    return project_file


def build_on_windows(wine, lnxpack_exe, project_file, output, stub):
    return wine.run(lnxpack_exe, "build", wine.windows_path(project_file), "-o", wine.windows_path(output),
                    "--stub", wine.windows_path(stub), timeout=120)


def first_difference(a: bytes, b: bytes) -> int:
    return next((i for i, (x, y) in enumerate(zip(a, b)) if x != y), min(len(a), len(b)))


def test_both_builders_write_the_same_setup_file(wine, runtimes, launcher, lnxpack, lnxpack_exe, tmp_setup_dir):
    home = runtimes.make(tmp_setup_dir / "jre", "1.8.0_201").home
    project_file = write_project(tmp_setup_dir, home)
    host_setup, windows_setup = tmp_setup_dir / "host.exe", tmp_setup_dir / "windows.exe"
    subprocess.run([str(lnxpack), "build", str(project_file), "-o", str(host_setup), "--stub", str(launcher)],
                   check=True, capture_output=True)
    result = build_on_windows(wine, lnxpack_exe, project_file, windows_setup, launcher)
    assert result.returncode == 0, result.stderr
    assert "lnxpack: wrote " in result.stdout and "\r\n" not in result.stdout

    host_bytes, windows_bytes = host_setup.read_bytes(), windows_setup.read_bytes()
    assert len(host_bytes) == len(windows_bytes)
    assert host_bytes == windows_bytes, f"first difference at offset {first_difference(host_bytes, windows_bytes)}"

    report = inspect(lnxpack, windows_setup)
    assert report["checksumVerdict"] == "ok"
    assert [f["name"] for f in report["files"]] == ["lnxruntime.jar", "img\\logo.png", "jre.tar.gz"]
    assert report["runtime"]["extractsCleanly"] and report["runtime"]["files"] > 3
    assert report["config"]["103"] == "journal-été.log"
    assert report["localisedSets"][0]["messages"]["20013"] == "示例安装"

    shown = wine.run(lnxpack_exe, "inspect", "--json", wine.windows_path(windows_setup), timeout=60)
    assert shown.returncode == 0, shown.stderr
    windows_report = json.loads(shown.stdout)
    assert windows_report.pop("file") == wine.windows_path(windows_setup)
    report.pop("file")
    assert windows_report == report


def test_the_windows_builder_refuses_what_the_host_builder_refuses(wine, runtimes, launcher, lnxpack_exe,
                                                                     tmp_setup_dir):
    home = runtimes.make(tmp_setup_dir / "jre", "1.8.0_201").home
    project_file = write_project(tmp_setup_dir, home)
    stub_before = launcher.read_bytes()
    source = tmp_setup_dir / "données" / "logo.png"
    source_before = source.read_bytes()

    for output, problem in [(launcher, "is the stub"),
                            (source, 'is the source of files[1] "img\\logo.png"'),
                            (home / "bin" / "setup.exe", "lies inside the runtime directory")]:
        result = build_on_windows(wine, lnxpack_exe, project_file, output, launcher)
        assert result.returncode == 2, (output, result.stdout)
        assert problem in result.stderr and "choose another -o" in result.stderr, result.stderr
    assert launcher.read_bytes() == stub_before and source.read_bytes() == source_before
    assert not (home / "bin" / "setup.exe").exists()

    project = json.loads(project_file.read_text(encoding="utf-8"))
    project["config"]["singleInstance"] = "yes"
    project_file.write_text(json.dumps(project, ensure_ascii=False), encoding="utf-8")
    result = build_on_windows(wine, lnxpack_exe, project_file, tmp_setup_dir / "setup.exe", launcher)
    assert result.returncode == 2
    assert result.stderr.startswith("lnxpack: " + wine.windows_path(project_file) + ': config "singleInstance"')
    assert sorted(p.name for p in tmp_setup_dir.iterdir() if p.name.startswith("setup.exe")) == []
