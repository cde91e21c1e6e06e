"""The test world itself: dialogs of another process read and pressed exactly, locales
reaching Wine, paths mapped like Wine maps them, nothing leaking out of the world."""

import time

import pytest

from dialogs import FOUND, NO_SUCH_BUTTON, NO_WINDOW
from winenv import WineTimeout

IDOK = 1
IDCANCEL = 2
MB_OKCANCEL_ICONERROR = "0x11"
WINEPATH = "C:\\windows\\system32\\winepath.exe"


class TestDialogProbe:
    def test_reads_and_presses_a_message_box_of_another_process(self, wine, dialogs, msgboxdemo):
        text = "First line\nsecond line with C:\\tab\\path\tand a tab"
        with wine.start(msgboxdemo, "Setup problem", text, MB_OKCANCEL_ICONERROR) as demo:
            reading = dialogs.read(process="msgboxdemo.exe", press="OK")
            shown = demo.wait(timeout=30)

        assert reading.exit_code == FOUND, reading.stderr
        assert reading.caption == "Setup problem"
        assert reading.window_class == "#32770"
        assert reading.process == "msgboxdemo.exe"
        assert reading.message == text
        assert reading.buttons == ["OK", "Cancel"]
        assert reading.pressed == "OK"
        assert shown.returncode == IDOK

    def test_waits_for_a_dialog_shown_after_it_started(self, wine, dialogs, msgboxdemo):
        pending = dialogs.start(title_contains="Later", press="Cancel")
        time.sleep(0.5)  # the probe is polling before the dialog exists
        shown = wine.run(msgboxdemo, "Shown Later", "text", MB_OKCANCEL_ICONERROR, timeout=30)
        reading = pending.result()

        assert reading.exit_code == FOUND, reading.stderr
        assert reading.caption == "Shown Later"
        assert shown.returncode == IDCANCEL

    @pytest.mark.parametrize("press, pressed, exit_code", [
        ({"press": "确定"}, "确定", IDOK),
        ({"press_id": IDCANCEL}, "取消", IDCANCEL),
    ], ids=["by-label", "by-id"])
    def test_reads_chinese_texts_and_presses_a_localised_button(
            self, wine, dialogs, msgboxdemo, press, pressed, exit_code):
        with wine.start(msgboxdemo, "安装错误", "无法继续。\n请重试", MB_OKCANCEL_ICONERROR,
                        lang="zh_CN.UTF-8") as demo:
            reading = dialogs.read(title_contains="错误", **press)
            shown = demo.wait(timeout=30)

        assert reading.exit_code == FOUND, reading.stderr
        assert (reading.caption, reading.message) == ("安装错误", "无法继续。\n请重试")
        assert reading.buttons == ["确定", "取消"]
        assert reading.pressed == pressed
        assert shown.returncode == exit_code

    def test_reports_a_missing_button_and_leaves_the_dialog_open(self, wine, dialogs, msgboxdemo):
        with wine.start(msgboxdemo, "Keep open", "text", MB_OKCANCEL_ICONERROR) as demo:
            missing = dialogs.read(title_contains="Keep open", press="Retry")
            assert missing.exit_code == NO_SUCH_BUTTON
            assert demo.running()
            closing = dialogs.read(title_contains="Keep open", press="Cancel")
            assert closing.exit_code == FOUND, closing.stderr
            assert demo.wait(timeout=30).returncode == IDCANCEL

    def test_pid_selects_one_of_two_dialogs_alike(self, wine, dialogs, msgboxdemo):
        with wine.start(msgboxdemo, "Twin", "first"), wine.start(msgboxdemo, "Twin", "second"):
            one = dialogs.read(title_contains="Twin")
            pressed = dialogs.read(pid=one.pid, press="OK")
            other = dialogs.read(title_contains="Twin", press="OK")

        assert (one.exit_code, pressed.exit_code, other.exit_code) == (FOUND, FOUND, FOUND)
        assert pressed.message == one.message
        assert {one.message, other.message} == {"first", "second"}
        assert other.pid != one.pid

    @pytest.mark.parametrize("unmatched", [
        {"title_contains": "No such caption"},
        {"process": "setup.exe"},
        {"pid": 1},
    ], ids=["caption", "process", "pid"])
    def test_gives_up_when_no_dialog_matches(self, wine, dialogs, msgboxdemo, unmatched):
        with wine.start(msgboxdemo, "Some other dialog", "text"):
            dialogs.read(title_contains="Some other")  # shown, so the miss below is real
            reading = dialogs.read(wait_seconds=1, **unmatched)

        assert reading.exit_code == NO_WINDOW
        assert "msgboxdemo.exe: #32770: Some other dialog" in reading.stderr


@pytest.mark.parametrize("lang, ui_language, code_page", [
    ("en_US.UTF-8", "0x0409", "1252"),
    ("de_DE.UTF-8", "0x0407", "1252"),
    ("es_ES.UTF-8", "0x0c0a", "1252"),
    ("zh_CN.UTF-8", "0x0804", "936"),
])
def test_lang_sets_the_windows_ui_language(wine, langprobe, lang, ui_language, code_page):
    reported = wine.run(langprobe, lang=lang)
    facts = dict(line.split(": ", 1) for line in reported.stdout.splitlines())

    assert facts["ui_language"] == ui_language
    assert facts["user_lcid"] == ui_language
    assert facts["ansi_code_page"] == code_page


class TestPaths:
    def test_setup_dir_maps_like_winepath(self, wine, tmp_setup_dir):
        windows = wine.run(WINEPATH, "-w", tmp_setup_dir).stdout.strip()
        assert wine.windows_path(tmp_setup_dir) == windows
        assert windows.startswith("C:\\lnxtests\\")
        assert wine.unix_path(windows) == tmp_setup_dir

    def test_paths_outside_the_prefix_map_to_drive_z(self, wine, tmp_path):
        windows = wine.run(WINEPATH, "-w", tmp_path).stdout.strip()
        assert wine.windows_path(tmp_path) == windows
        assert windows.startswith("Z:\\")
        assert wine.unix_path(windows) == tmp_path

    def test_windows_temp_is_where_programs_write_temporary_files(self, wine, windows_temp_dir):
        marker = windows_temp_dir / "world_marker.txt"
        marker.unlink(missing_ok=True)
        wine.run("C:\\windows\\system32\\cmd.exe", "/c", "echo marked> %TEMP%\\world_marker.txt")
        assert marker.read_text().strip() == "marked"


def test_user_folders_stay_inside_the_world(wine):
    profile = wine.temp_dir.parent
    linked = [entry for entry in profile.iterdir() if entry.is_symlink()]

    assert linked, "the prefix should link the user's folders to HOME"
    for entry in linked:
        assert wine.directory in entry.resolve().parents, f"{entry} -> {entry.resolve()}"


def test_a_program_past_its_time_limit_is_killed(wine, dialogs, msgboxdemo):
    with pytest.raises(WineTimeout):
        wine.run(msgboxdemo, "Never answered", "text", timeout=2)

    gone = dialogs.read(title_contains="Never answered", wait_seconds=1)
    assert gone.exit_code == NO_WINDOW
