"""The launcher's resources as the built executable carries them: the dialog templates, the
icon in several sizes and the application manifest, read back with the resource compiler."""

import re
import shutil
import subprocess

import pytest

from pe_images import read_pe_image

WINDRES = {32: "i686-w64-mingw32-windres", 64: "x86_64-w64-mingw32-windres"}
# A program's manifest names its own architecture: Windows refuses to start a 64-bit program
# whose manifest says "x86" (a side-by-side error, which Wine does not show).
MANIFEST_ARCHITECTURE = {32: "x86", 64: "amd64"}


@pytest.fixture
def resources(launcher, launcher_bits):
    windres = WINDRES[launcher_bits]
    if not shutil.which(windres):
        pytest.skip(f"{windres} is not installed")
    return subprocess.run([windres, "-i", str(launcher), "-O", "rc"], check=True, capture_output=True,
                          text=True).stdout


def dialog(resources, number):
    """The template's lines from its header to END, without indentation."""
    found = re.search(rf"^{number} DIALOGEX .*?^END$", resources, re.M | re.S)
    assert found, f"no dialog {number}"
    return [line.strip() for line in found.group(0).splitlines()]


def test_progress_dialog_template(resources):
    assert dialog(resources, 103) == [
        "103 DIALOGEX 22, 17, 233, 79",
        "STYLE 0xca00cc",
        "EXSTYLE 0x40000",
        'CLASS "MYDIALOGCLASS"',  # the compiler upper-cases it; window classes ignore case
        'FONT 8, "MS Shell Dlg"',
        "BEGIN",
        'CONTROL "", 1003, "STATIC", 0x50000080, 46, 6, 176, 34',
        'CONTROL "", 1001, "MSCTLS_PROGRESS32", 0x50800000, 6, 61, 162, 10',
        'CONTROL "", 1002, "STATIC", 0x40000080, 6, 50, 154, 8',
        'CONTROL "", 2, "BUTTON", 0x50010000, 173, 59, 50, 14',
        'CONTROL 1001, -1, "STATIC", 0x50000003, 13, 10, 32, 32',
        "END"]


def test_runtime_and_error_dialog_templates(resources):
    runtime = dialog(resources, 104)
    assert runtime[:2] == ["104 DIALOGEX 22, 17, 233, 79", "STYLE 0x80c800c8"]
    assert [re.sub(r'^CONTROL "[^"]*", ', "", line) for line in runtime if line.startswith("CONTROL")] == [
        '1004, "BUTTON", 0x50010001, 61, 59, 50, 14',
        '1005, "BUTTON", 0x50010000, 117, 59, 50, 14',
        '2, "BUTTON", 0x50010000, 173, 59, 50, 14',
        '1003, "STATIC", 0x50000000, 46, 6, 176, 45',
        'CONTROL 1001, -1, "STATIC", 0x50000003, 13, 10, 32, 32']
    error = dialog(resources, 101)
    assert error[0] == "101 DIALOGEX 0, 0, 275, 178"
    assert 'CAPTION "@title@"' in error
    controls = [line for line in error if line.startswith("CONTROL")]
    assert [re.search(r'", (-?\d+), "(\w+)", (0x[0-9a-f]+), ([\d, ]+)$', c).group(1, 2, 4) for c in controls] == [
        ("1000", "EDIT", "7, 21, 261, 128"), ("1001", "STATIC", "7, 7, 261, 12"), ("2", "BUTTON", "115, 157, 50, 14")]
    assert int(re.search(r"(0x[0-9a-f]+)", controls[0]).group(1), 16) & 0x0804 == 0x0804, "multi-line, read-only"
    assert all(re.match(r'CONTROL "@\w+@"', c) for c in controls)


def test_icon_1001_has_the_usual_sizes(resources):
    group = re.search(r"^1001 14 /\* RT_GROUP_ICON \*/\nBEGIN\n(.*?)^END$", resources, re.M | re.S)
    assert group
    sizes = re.findall(r'"\\(\d{3})\\(\d{3})\\000\\000", 1, 32,', group.group(1))
    assert sorted(int(width, 8) or 256 for width, _ in sizes) == [16, 24, 32, 48, 256]


def test_manifest_asks_for_common_controls_6_as_invoker_on_vista_to_11(resources, launcher_bits):
    manifest = re.search(r"^1 24 /\* RT_MANIFEST \*/\nBEGIN\n(.*?)^END$", resources, re.M | re.S)
    assert manifest
    text = "".join(re.findall(r'^\s*"(.*)"\s*$', manifest.group(1), re.M)).replace('""', '"').replace("\\n", "\n")
    assert re.search(r'name="Microsoft\.Windows\.Common-Controls" version="6\.0\.0\.0"', text)
    architecture = MANIFEST_ARCHITECTURE[launcher_bits]
    assert re.findall(r'processorArchitecture="([^"]*)"', text) == [architecture, architecture], \
        "the launcher's own identity and the common controls it depends on"
    assert '<requestedExecutionLevel level="asInvoker" uiAccess="false"/>' in text
    assert re.findall(r'supportedOS Id="\{([0-9a-f-]+)\}"', text) == [
        "e2011457-1546-43c5-a5fe-008deee3d3f0", "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
        "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "1f676c76-80e1-4239-95bb-83d0f6d0da78",
        "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"]


def test_the_natives_are_exported_under_the_names_of_the_launchers_width(launcher, launcher_bits):
    """32-bit Windows decorates stdcall names ("_Java_..._close0@12"), 64-bit Windows does not:
    the VM's registration looks for exactly these."""
    exports = read_pe_image(launcher).exports
    natives = [name for name in exports if "Java_" in name]
    form = {32: r"_Java_com_lanternix_runtime_installer_platform_win32_[A-Za-z0-9]+_[A-Za-z0-9]+@\d+",
            64: r"Java_com_lanternix_runtime_installer_platform_win32_[A-Za-z0-9]+_[A-Za-z0-9]+"}[launcher_bits]
    assert len(natives) == len(set(natives)) == 79
    assert [name for name in natives if not re.fullmatch(form, name)] == []
    assert sorted(set(exports) - set(natives)) == ["registerNatives"], "the natives and the walk that binds them"
