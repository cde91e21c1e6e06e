"""The release archive as a vendor gets it: unpacked in an empty folder, the guide's first
commands build the hello example with the archive's own lnxpack and run it under Wine; the
Windows lnxpack of the archive builds the same bytes; the zip holds what the tar holds."""

import pathlib
import re
import subprocess
import tarfile
import zipfile

import pytest

from pe_images import image_bits
from setups import NO_JAVA

ROOT = pathlib.Path(__file__).resolve().parents[2]
GUIDE = ROOT / "docs" / "guide.md"


def project_example() -> str:
    """The guide's example project file."""
    text = GUIDE.read_text(encoding="utf-8")
    section = text[text.index("## Writing a project file"):]
    return re.search(r"```json\n(.*?)```", section, re.S).group(1)


def quick_start_commands() -> str:
    """The first sh block after the guide's heading of the way from an empty folder."""
    text = GUIDE.read_text(encoding="utf-8")
    section = text[text.index("## From an empty folder"):]
    return re.search(r"```sh\n(.*?)```", section, re.S).group(1)


@pytest.fixture(scope="module")
def archives():
    made = subprocess.run([str(ROOT / "scripts" / "dist"), "--no-build"], capture_output=True, text=True)
    assert made.returncode == 0, made.stderr
    return sorted((ROOT / "build" / "dist").glob("lnx-*.tar.gz"))[-1], sorted((ROOT / "build" / "dist").glob("lnx-*.zip"))[-1]


def test_the_guide_builds_and_runs_the_example_from_the_archive_alone(wine, runtimes, tmp_setup_dir, launcher_bits,
                                                                       archives):
    if launcher_bits != 64:
        pytest.skip("the guide's commands build the 64-bit example and the archive's lnxpack.exe is 64-bit: "
                    "the win64 layer runs this test, on every machine")
    tar_path, _ = archives
    commands = quick_start_commands()
    assert f"tar xzf ../{tar_path.name}" in commands, "the guide names the archive of this version"
    (tmp_setup_dir / tar_path.name).write_bytes(tar_path.read_bytes())
    java = runtimes.make(tmp_setup_dir / "java8", "1.8.0_201")
    env = wine.environment(extra={**NO_JAVA, "JAVA_HOME": wine.windows_path(java.home)})
    result = subprocess.run(["bash", "-e", "-c", commands], cwd=tmp_setup_dir, env=env, capture_output=True,
                            text=True, timeout=300)
    assert result.returncode == 0, result.stdout + result.stderr

    unpacked = tmp_setup_dir / "work" / tar_path.name[:-len(".tar.gz")]
    windows_built = wine.run(unpacked / "bin" / "lnxpack.exe", "build", "examples\\hello\\project.json",
                             "-o", "hello-windows.exe", "--stub", "stub\\lnxlauncher64.exe", cwd=unpacked, timeout=120)
    assert windows_built.returncode == 0, windows_built.stdout + windows_built.stderr
    assert (unpacked / "hello-windows.exe").read_bytes() == (unpacked / "hello-setup.exe").read_bytes()

    mine = unpacked / "examples" / "mine"
    (mine / "art").mkdir(parents=True)
    (mine / "art" / "logo.png").write_bytes(b"logo")
    (mine / "project.json").write_text(project_example(), encoding="utf-8")
    built = subprocess.run([str(unpacked / "bin" / "lnxpack"), "build", str(mine / "project.json"), "-o",
                            str(mine / "setup.exe")], capture_output=True, text=True)
    assert built.returncode == 0, "the guide's example project builds: " + built.stderr


def test_the_zip_holds_what_the_tar_holds(archives, tmp_path):
    tar_path, zip_path = archives
    with tarfile.open(tar_path) as tar:
        in_tar = {m.name: tar.extractfile(m).read() for m in tar.getmembers() if m.isfile()}
    with zipfile.ZipFile(zip_path) as archive:
        in_zip = {name: archive.read(name) for name in archive.namelist() if not name.endswith("/")}
    assert in_tar == in_zip
    root = tar_path.name[:-len(".tar.gz")]
    assert {f"{root}/bin/lnxpack", f"{root}/bin/lnxpack.exe", f"{root}/stub/lnxlauncher.exe",
            f"{root}/stub/lnxlauncher64.exe",
            f"{root}/java/lnxruntime.jar", f"{root}/schema/project.schema.json", f"{root}/docs/guide.md",
            f"{root}/examples/hello/project.json"} <= set(in_tar)
    widths = {}
    for name in ("bin/lnxpack.exe", "stub/lnxlauncher.exe", "stub/lnxlauncher64.exe"):
        (tmp_path / "image").write_bytes(in_tar[f"{root}/{name}"])
        widths[name] = image_bits(tmp_path / "image")
    assert widths == {"bin/lnxpack.exe": 64, "stub/lnxlauncher.exe": 32, "stub/lnxlauncher64.exe": 64}
