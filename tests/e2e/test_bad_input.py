"""Damaged and hostile setup files as users may get them: each row names the damage, the
exit code, where the message shows (an error box or standard error) and its text, and
every run leaves no extraction directory, no unique file and no start-up marker behind.
Damage inside the checksummed range is resealed (the checksum recomputed) where the row
is about what comes after the integrity check."""

import json
import re
import struct
import zlib
from dataclasses import dataclass
from typing import Callable, Tuple

import pytest

from cleanup_lists import hold
from setups import NO_JAVA, build_setup, inspect, leftovers
from test_progress_dialog import clear_markers, markers

FILES = {"lnxruntime.jar": b"J" * 3000, "images\\logo.png": b"P" * 5000}
JAVA_SIDE_DATA = b"D" * 700

CORRUPTED = "The installation file is corrupted. If it is a download please try it again."
WIZARD = "lanternix Wizard"


def internal(code):
    return f"An internal error occurred (error code: {code})"


def seal(data: bytearray, start: int) -> None:
    covered = struct.unpack_from("<q", data, start + 12)[0]
    data[start + 8:start + 12] = struct.pack("<I", zlib.crc32(bytes(data[start + 20:start + 20 + covered])))


def setup_bytes(lnxpack, launcher, directory):
    """A setup file with Java-side data after its file records, the checksum covering it."""
    setup = build_setup(lnxpack, launcher, directory, {"config": {"mainClass": "a.Main"}}, files=FILES)
    facts = inspect(lnxpack, setup)
    data = bytearray(setup.read_bytes() + JAVA_SIDE_DATA)
    start = facts["payloadStart"]
    data[start + 12:start + 20] = struct.pack("<q", facts["coveredLength"] + len(JAVA_SIDE_DATA))
    seal(data, start)
    return setup, data, facts


# Damage: (setup bytes, inspected facts) -> damaged bytes.
Damage = Callable[[bytearray, dict], bytearray]


def config_value(data, facts):
    return data.index(b"a.Main", facts["payloadStart"])


def message_text(data, facts):
    return data.index("Wrong Parameter".encode("utf-16-le"), facts["payloadStart"])


def table_ends(data, facts):
    """Where the configuration table and the message table end (the next count begins)."""
    at = facts["payloadStart"] + 20
    ends = []
    for _ in range(2):
        (count,) = struct.unpack_from("<i", data, at)
        at += 4
        for _ in range(count):
            (length,) = struct.unpack_from("<i", data, at + 4)
            at += 8 + length
        ends.append(at)
    return ends


def configuration_end(data, facts):
    return table_ends(data, facts)[0]


def messages_end(data, facts):
    return table_ends(data, facts)[1]


def cut(where: Callable[[bytearray, dict], int], by: int = 0) -> Damage:
    return lambda data, facts: data[:where(data, facts) + by]


def header(offset):
    return lambda data, facts: facts["payloadStart"] + offset


def record(index):
    return lambda data, facts: facts["files"][index]["dataOffset"] - 8


def flip(where, by=0) -> Damage:
    def damage(data, facts):
        data[where(data, facts) + by] ^= 0xFF
        return data
    return damage


def put(where, value, layout="<i", sealed=False) -> Damage:
    def damage(data, facts):
        at = where(data, facts)
        data[at:at + struct.calcsize(layout)] = struct.pack(layout, value)
        if sealed:
            seal(data, facts["payloadStart"])
        return data
    return damage


def renamed(name: bytes) -> Damage:
    """The second file's name replaced by one of the same length, resealed."""
    def damage(data, facts):
        old = b"images\\logo.png"
        at = data.index(old, facts["payloadStart"])
        data[at:at + len(old)] = name.ljust(len(old), b"x")
        seal(data, facts["payloadStart"])
        return data
    return damage


@dataclass
class Row:
    damage: Damage
    exit_code: int
    shown: str  # "box", "stderr" or "" (the run goes on)
    text: str = ""
    caption: str = ""
    args: Tuple[str, ...] = ()


LENGTHS = {"negative": -1, "most negative": -2**31, "2^31-1": 2**31 - 1, "past the end": 100000}

ROWS = {
    # The tables are read before anything else: their reader's text in a box, even when quiet.
    "cut inside the magic": Row(cut(header(2)), 1, "box", "Internal Error: readInt", "Error"),
    "cut after the magic": Row(cut(header(4)), 1, "box", "Internal Error: readInt", "Error"),
    "cut inside the covered length": Row(cut(header(12)), 1, "box", "Internal Error: readLong", "Error"),
    "cut one byte short of the header": Row(cut(header(19)), 1, "box", "Internal Error: readLong", "Error"),
    "cut at the header's end": Row(cut(header(20)), 1, "box", "Internal Error: readInt", "Error"),
    "cut before a configuration value's length": Row(cut(config_value, -2), 1, "box", "Internal Error: readInt",
                                                     "Error"),
    "cut inside a configuration value": Row(cut(config_value, 3), 1, "box", "Internal Error: readString", "Error"),
    "cut inside a message": Row(cut(message_text, 4), 1, "box", "Internal Error: readWString", "Error"),
    "cut at the configuration table's end": Row(cut(configuration_end), 1, "box", "Internal Error: readInt", "Error"),
    "cut one byte short of the configuration table's end": Row(cut(configuration_end, -1), 1, "box",
                                                               "Internal Error: readString", "Error"),
    "cut at the message table's end": Row(cut(messages_end), 1, "box", "Internal Error: readInt", "Error"),
    "cut one byte short of the message table's end": Row(cut(messages_end, -1), 1, "box",
                                                         "Internal Error: readWString", "Error"),
    "cut one byte short of the tables' end": Row(cut(lambda d, f: f["tablesEnd"], -1), 1, "box",
                                                 "Internal Error: readInt", "Error"),
    "wrong magic": Row(flip(header(0)), 1, "box", "Internal Error: magic", "Error"),
    **{f"configuration value length {name}": Row(put(lambda d, f: config_value(d, f) - 4, value), 1, "box",
                                                 "Internal Error: readString", "Error")
       for name, value in LENGTHS.items()},
    **{f"message length {name}": Row(put(lambda d, f: message_text(d, f) - 4, value), 1, "box",
                                     "Internal Error: readWString", "Error")
       for name, value in LENGTHS.items()},
    "odd message length": Row(put(lambda d, f: message_text(d, f) - 4, 3), 1, "box", "Internal Error: readWString",
                              "Error"),
    "configuration count 2^31-1": Row(put(header(20), 2**31 - 1), 1, "box", "Internal Error: readString", "Error"),
    # Then the integrity check: a short file is internal error 34, a mismatch the corrupted box.
    "cut at the tables' end": Row(cut(lambda d, f: f["tablesEnd"]), 1, "stderr", internal(34)),
    "cut one byte short of a file record": Row(cut(record(0), 7), 1, "stderr", internal(34)),
    "cut inside a file's data": Row(cut(record(0), 108), 1, "stderr", internal(34)),
    "cut at the second file record": Row(cut(record(1)), 1, "stderr", internal(34)),
    "cut inside the Java-side data": Row(cut(lambda d, f: f["unextractedPosition"], 100), 1, "stderr", internal(34)),
    "covered length past the end": Row(flip(header(14)), 1, "stderr", internal(34)),
    "wrong checksum": Row(flip(header(9)), 1, "box", CORRUPTED, WIZARD),
    "covered length one short": Row(put(header(12), 0, "<q"), 1, "box", CORRUPTED, WIZARD),
    "flipped file size": Row(flip(record(0), 2), 1, "box", CORRUPTED, WIZARD),
    # Past the check: extraction's failures.
    "cut inside a file's data, unchecked": Row(cut(record(0), 108), 1, "stderr", CORRUPTED, args=("-nocheck",)),
    "file size 2^62": Row(put(record(0), 2**62, "<q", sealed=True), 1, "stderr", CORRUPTED),
    "cut inside the Java-side data, unchecked": Row(cut(lambda d, f: len(d), -1), 83, "", args=("-nocheck",)),
    "name leading up": Row(renamed(b"..\\images\\logo"), 1, "stderr", CORRUPTED),
    "absolute name": Row(renamed(b"C:\\images\\logo"), 1, "stderr", CORRUPTED),
    "network name": Row(renamed(b"\\\\srv\\share\\lo"), 1, "stderr", CORRUPTED),
    "name with a stream": Row(renamed(b"images\\lo:o.png"), 1, "stderr", CORRUPTED),
    "name climbing out of its folder": Row(renamed(b"images\\..\\..\\x"), 1, "stderr", CORRUPTED),
    "name two folders deep": Row(renamed(b"a\\b\\c\\logo.png"), 1, "stderr", internal(11)),
    "device name": Row(renamed(b"images\\CON.png"), 1, "stderr", internal(11)),
}


def expected_message(text: str, shown: str, names_the_log: bool = True) -> None:
    """shown is text, followed by the kept log's path unless names_the_log is False (the
    corrupted-file box names no log)."""
    head, _, log = shown.partition("\n\nLog: ")
    assert head == text
    if names_the_log:
        assert re.fullmatch(r"C:\\.*\\lnx_nlog_\d+\.log", log), "the message names the kept log"


@pytest.mark.parametrize("name", list(ROWS))
def test_damaged_setup(name, wine, dialogs, launcher, lnxpack, tmp_setup_dir, clean_temp):
    row = ROWS[name]
    setup, data, facts = setup_bytes(lnxpack, launcher, tmp_setup_dir)
    setup.write_bytes(bytes(row.damage(data, facts)))
    clear_markers(wine)
    pending = dialogs.start(process="setup.exe", press_id=1) if row.shown == "box" else None
    result = wine.run(setup, "-q", *row.args, env=NO_JAVA, timeout=60)

    assert result.returncode == row.exit_code, result.stderr
    if row.shown == "box":
        reading = pending.result()
        assert reading.caption == row.caption
        expected_message(row.text, reading.message, names_the_log=row.caption != WIZARD)
    elif row.shown == "stderr":
        expected_message(row.text, result.stderr.replace("\r\n", "\n").strip())
    assert leftovers(clean_temp) == []
    assert markers(wine) == {}


def test_full_disk_is_reported_and_leaves_nothing(wine, launcher, lnxpack, tmp_setup_dir, clean_temp):
    """No file of the run may grow past 2 MB, so writing the 5 MB file fails as on a full disk."""
    setup = build_setup(lnxpack, launcher, tmp_setup_dir, files={"lnxruntime.jar": b"J", "big.bin": b"B" * 5000000})
    result = wine.run(setup, "-q", env=NO_JAVA, timeout=60, file_size_limit=2 * 1024 * 1024)

    assert result.returncode == 1
    expected_message("Not Enough Disk Space", result.stderr.replace("\r\n", "\n").strip())
    assert leftovers(clean_temp) == []


class TestHostileStarts:
    """Runs that reach main with a stand-in runtime (the TempDir is the Java side's to remove then)."""

    @pytest.fixture
    def java(self, runtimes, tmp_setup_dir):
        return runtimes.make(tmp_setup_dir / "java8", "1.8.0_201")

    def start(self, wine, lnxpack, launcher, directory, java, *args):
        setup = build_setup(lnxpack, launcher, directory, {"config": {"searchSequence": "EJAVA_HOME;"}})
        return setup, self.run(wine, setup, java, *args)

    def run(self, wine, setup, java, *args):
        result = wine.run(setup, "-q", *args, env={**NO_JAVA, "JAVA_HOME": wine.windows_path(java.home)}, timeout=120)
        report = json.loads((java.home / "bin" / "server" / "jvm-report.json").read_text(encoding="utf-8"))
        return result, report

    @pytest.mark.parametrize("arguments", [
        [f"arg{index}" for index in range(1000)],
        ["x" * 30000],
    ], ids=["1000 arguments", "a 30000-character argument"])
    def test_every_argument_reaches_main(self, wine, launcher, lnxpack, tmp_setup_dir, java, clean_temp, arguments):
        _, (result, report) = self.start(wine, lnxpack, launcher, tmp_setup_dir, java, *arguments)

        assert result.returncode == 0, result.stderr
        main = [c for c in report["calls"] if c.get("kind") == "callStatic" and c.get("method") == "main"]
        assert main[0]["arguments"][0][-len(arguments) - 1:] == ["-q", *arguments]

    def test_options_file_including_itself_is_read_a_bounded_number_of_times(self, wine, launcher, lnxpack,
                                                                             tmp_setup_dir, java, clean_temp):
        setup = build_setup(lnxpack, launcher, tmp_setup_dir,
                            {"config": {"searchSequence": "EJAVA_HOME;", "readDefaultVmOptionsFile": True}})
        include = "-include-options setup.vmoptions\r\n"
        (tmp_setup_dir / "setup.vmoptions").write_text("-Dloop=1\r\n" + include * 3)
        result, report = self.run(wine, setup, java)

        assert result.returncode == 0, result.stderr
        assert report["options"].count("-Dloop=1") == 101, "the file itself and 100 inclusions"


def test_setup_file_held_by_another_program_is_reported_and_leaves_nothing(wine, dialogs, holder, launcher, lnxpack,
                                                                           tmp_setup_dir, clean_temp):
    """A program that opened the setup file with delete access (as a scanner may) keeps out
    the launcher's own reads, which do not share deleting; Windows still starts it."""
    setup = build_setup(lnxpack, launcher, tmp_setup_dir, files=FILES)
    with hold(wine, holder, "file-to-delete", wine.windows_path(setup)):
        pending = dialogs.start(process="setup.exe", press_id=1)
        result = wine.run(setup, "-q", env=NO_JAVA, timeout=60)
        reading = pending.result()

    assert result.returncode == 1
    assert reading.caption == "Error"
    expected_message("Error opening media file.", reading.message)
    assert leftovers(clean_temp) == []
