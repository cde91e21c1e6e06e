"""The launcher's start as users meet it: a damaged Payload, quiet runs, the log file and
the language of the messages, with setup files built by lnxpack."""

import re

import pytest

from setups import build_setup, inspect, log_files, patch, read_log, truncate

class TestDamagedPayload:
    def test_wrong_magic_shows_error_box_and_exits_1(self, wine, dialogs, launcher, lnxpack, tmp_setup_dir,
                                                     clean_logs):
        setup = build_setup(lnxpack, launcher, tmp_setup_dir)
        patch(setup, inspect(lnxpack, setup)["payloadStart"], b"\x00\x00\x00\x00")
        with wine.start(setup) as run:
            reading = dialogs.read(process="setup.exe", press_id=1)
            result = run.wait(timeout=30)

        assert reading.caption == "Error", "before the tables are read the caption is the default"
        assert reading.message.startswith("Internal Error: magic\n\nLog: C:\\")
        log = log_files(clean_logs)
        assert len(log) == 1
        named = reading.message.split("Log: ", 1)[1]
        assert wine.unix_path(named) == log[0], "the box names the run's log file, which is there to read"
        assert read_log(log[0]).startswith("Started executable " + wine.windows_path(setup))
        assert result.returncode == 1

    @pytest.mark.parametrize("where, reader", [
        ("message text", "readWString"),
        ("message id", "readInt"),
        ("config value", "readString"),
    ])
    def test_truncated_tables_fail_with_the_text_of_the_reader(self, wine, dialogs, launcher, lnxpack,
                                                               tmp_setup_dir, where, reader):
        setup = build_setup(lnxpack, launcher, tmp_setup_dir, {"config": {"mainClass": "a.Main"}})
        facts = inspect(lnxpack, setup)
        start = facts["payloadStart"]
        content = setup.read_bytes()
        if where == "config value":
            cut = content.index(b"a.Main", start) + 3
        elif where == "message text":
            cut = content.index("Wrong Parameter".encode("utf-16-le"), start) + 4
        else:
            cut = content.index("Wrong Parameter".encode("utf-16-le"), start) - 4 - 4 + 2
        truncate(setup, cut)
        with wine.start(setup) as run:
            reading = dialogs.read(process="setup.exe", press_id=1)
            result = run.wait(timeout=30)

        assert reading.message.split("\n\n")[0] == f"Internal Error: {reader}"
        assert reading.caption == "Error"
        assert result.returncode == 1


def file_records_cut(lnxpack, setup):
    """A setup whose tables are whole but whose file records end early."""
    facts = inspect(lnxpack, setup)
    truncate(setup, facts["tablesEnd"] + 10)


class TestErrorsOnStandardError:
    def test_quiet_run_reports_fatal_error_on_stderr_with_log_path(self, wine, launcher, lnxpack, tmp_setup_dir,
                                                                  clean_logs):
        setup = build_setup(lnxpack, launcher, tmp_setup_dir, files={"lnxruntime.jar": b"x" * 50000})
        file_records_cut(lnxpack, setup)
        result = wine.run(setup, "-q", timeout=30)

        assert result.returncode == 1
        log = log_files(clean_logs)
        assert len(log) == 1
        expected = f"An internal error occurred (error code: 34)\n\nLog: {wine.windows_path(log[0])}"
        assert expected.lower() in result.stderr.replace("\r\n", "\n").lower()
        assert "ERROR: check ReadFile failed 0 0 " in read_log(log[0])

    def test_payload_without_launcher_type_sends_errors_to_stderr(self, wine, launcher, lnxpack, tmp_setup_dir):
        setup = build_setup(lnxpack, launcher, tmp_setup_dir, {"config": {"launcherType": None}},
                            files={"lnxruntime.jar": b"x" * 50000})
        assert "107" not in inspect(lnxpack, setup)["config"]
        file_records_cut(lnxpack, setup)
        result = wine.run(setup, timeout=30)  # not quiet: only the missing entry turns boxes off

        assert result.returncode == 1
        assert "An internal error occurred (error code: 34)" in result.stderr

    def test_checksum_mismatch_is_a_box_even_when_quiet(self, wine, dialogs, launcher, lnxpack, tmp_setup_dir):
        setup = build_setup(lnxpack, launcher, tmp_setup_dir, files={"lnxruntime.jar": b"A" * 1000})
        facts = inspect(lnxpack, setup)
        patch(setup, facts["tablesEnd"] + 8 + 500, b"B")
        with wine.start(setup, "-q") as run:
            reading = dialogs.read(process="setup.exe", press_id=1)
            result = run.wait(timeout=30)
        assert reading.caption == "lanternix Wizard"
        assert reading.message == "The installation file is corrupted. If it is a download please try it again."
        assert result.returncode == 1

        unchecked = wine.run(setup, "-q", "-nocheck", timeout=30)
        assert unchecked.returncode == 83, "-nocheck skips the comparison; the run goes on to look for a runtime"


class TestLogFile:
    @pytest.mark.parametrize("value, kept", [("yes", True), ("YES", False), (None, False)])
    def test_morva_log_keeps_the_log_only_for_exact_yes(self, wine, launcher, lnxpack, tmp_setup_dir, clean_logs,
                                                        value, kept):
        setup = build_setup(lnxpack, launcher, tmp_setup_dir)
        result = wine.run(setup, "-q", env={"MORVA_LOG": value} if value else None, timeout=30)

        assert result.returncode == 83, result.stderr  # no runtime: a normal end with its own code
        assert len(log_files(clean_logs)) == (1 if kept else 0)

    def test_new_run_takes_the_first_free_number(self, wine, launcher, lnxpack, tmp_setup_dir, clean_logs):
        for number in (1, 2, 3):
            (clean_logs / f"lnx_nlog_{number}.log").write_text("older run")
        setup = build_setup(lnxpack, launcher, tmp_setup_dir)
        result = wine.run(setup, "-q", env={"LANTERNIX_LOG": "yes"}, timeout=30)

        assert result.returncode == 83, result.stderr
        assert [p.name for p in log_files(clean_logs)][-1] == "lnx_nlog_4.log"
        assert (clean_logs / "lnx_nlog_1.log").read_text() == "older run"
        text = read_log(clean_logs / "lnx_nlog_4.log")
        assert text.startswith(f"Started executable {wine.windows_path(setup)} at ")
        assert re.search(r"^\[\d+:\d+\] Init done$", text, re.MULTILINE)
        assert "\n\n[0:" in text, "ctime's own line feed leaves an empty line after the first"


class TestLocale:
    @pytest.mark.parametrize("lang, locale, caption", [
        ("zh_CN.UTF-8", "zh_CN", "安装向导"),
        ("de_DE.UTF-8", "de_DE", "Installationsassistent"),
        ("en_US.UTF-8", "en_US", "lanternix Wizard"),
    ])
    def test_display_language_selects_the_localised_set(self, wine, dialogs, launcher, lnxpack, tmp_setup_dir,
                                                        clean_logs, lang, locale, caption):
        project = {"localisedSets": [
            {"locale": "zh", "messages": {"20013": "向导"}},
            {"locale": "zh_CN", "messages": {"20013": "安装向导"}},
            {"locale": "de", "messages": {"20013": "Installationsassistent"}},
        ]}
        setup = build_setup(lnxpack, launcher, tmp_setup_dir, project, files={"lnxruntime.jar": b"A" * 1000})
        patch(setup, inspect(lnxpack, setup)["tablesEnd"] + 8 + 500, b"B")
        with wine.start(setup, lang=lang, env={"MORVA_LOG": "yes"}) as run:
            reading = dialogs.read(process="setup.exe", press_id=1)
            run.wait(timeout=30)

        assert reading.caption == caption
        text = read_log(log_files(clean_logs)[-1])
        assert re.search(rf"^\[\d+:\d+\] language/country is {locale}$", text, re.MULTILINE)
