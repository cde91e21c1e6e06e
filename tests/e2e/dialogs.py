"""Reading and pressing dialogs of Windows programs through dialogprobe.exe.

dialogprobe prints one fact per line ("caption: ...", "class: ...", "process: ...",
"pid: ...", "control: <class>: <text>", "pressed: <button text>") with backslash escapes keeping each
text on one line; DialogReading holds those facts with the escapes undone.
"""

import re
from dataclasses import dataclass, field
from typing import List, NamedTuple, Optional

from winenv import BackgroundProgram, WineResult, WineWorld

# dialogprobe's exit codes.
FOUND = 0
USAGE = 2
NO_WINDOW = 3
NO_SUCH_BUTTON = 4
BUTTON_DISABLED = 5
STILL_OPEN = 6
NO_ANSWER = 7

_ESCAPE = re.compile(r"\\(x[0-9a-f]{2}|.)")
_ESCAPED = {"\\": "\\", "n": "\n", "r": "\r", "t": "\t"}


def unescape(text: str) -> str:
    def replace(match: re.Match) -> str:
        code = match.group(1)
        return chr(int(code[1:], 16)) if code.startswith("x") else _ESCAPED[code]
    return _ESCAPE.sub(replace, text)


class Control(NamedTuple):
    window_class: str
    text: str


@dataclass
class DialogReading:
    exit_code: int
    stdout: str
    stderr: str
    caption: Optional[str] = None
    window_class: Optional[str] = None
    process: Optional[str] = None
    pid: Optional[int] = None
    controls: List[Control] = field(default_factory=list)
    pressed: Optional[str] = None

    def texts(self, window_class: str) -> List[str]:
        """Texts of the visible controls of one class ("Static", "Button", ...), in order."""
        return [c.text for c in self.controls if c.window_class.lower() == window_class.lower()]

    @property
    def message(self) -> str:
        """A message box's text: the non-empty Static texts (the icon has none)."""
        return "\n".join(text for text in self.texts("Static") if text)

    @property
    def buttons(self) -> List[str]:
        return self.texts("Button")


def parse_reading(result: WineResult) -> DialogReading:
    reading = DialogReading(result.returncode, result.stdout, result.stderr)
    # split, not splitlines: texts may hold U+2028 and the like, which the probe keeps.
    for line in result.stdout.split("\n"):
        name, _, value = line.partition(": ")
        if name == "control":
            window_class, _, text = value.partition(": ")
            reading.controls.append(Control(unescape(window_class), unescape(text)))
        elif name in ("caption", "process", "pressed"):
            setattr(reading, name, unescape(value))
        elif name == "class":
            reading.window_class = unescape(value)
        elif name == "pid":
            reading.pid = int(value)
    return reading


class PendingReading:
    """A probe started before the program whose dialog it waits for."""

    def __init__(self, started: BackgroundProgram, timeout: float):
        self._started = started
        self._timeout = timeout

    def result(self) -> DialogReading:
        return parse_reading(self._started.wait(self._timeout))


class DialogProbe:
    def __init__(self, world: WineWorld, probe_path):
        self._world = world
        self._probe_path = probe_path

    def start(self, *, press: Optional[str] = None, press_id: Optional[int] = None,
              title_contains: Optional[str] = None, process: Optional[str] = None,
              pid: Optional[int] = None, any_window: bool = False,
              wait_seconds: int = 20) -> PendingReading:
        """Starts waiting for a dialog; a program started afterwards may show it.
        press: a button label ("&" mnemonics ignored); press_id: a control id such as
        IDOK (1), for dialogs whose labels depend on the language."""
        arguments = ["--wait-seconds", str(wait_seconds)]
        for option, value in (("--press", press), ("--press-id", press_id),
                              ("--title-contains", title_contains), ("--process", process),
                              ("--pid", pid)):
            if value is not None:
                arguments += [option, str(value)]
        if any_window:
            arguments.append("--any-window")
        started = self._world.start(self._probe_path, *arguments)
        # Beyond the wait, time for reading, pressing and waiting for the close.
        return PendingReading(started, timeout=wait_seconds + 30)

    def read(self, **options) -> DialogReading:
        """Waits for a dialog already shown or about to be shown, prints it, presses."""
        return self.start(**options).result()

    def list_windows(self) -> List[str]:
        """Visible top-level windows as "process: class: caption" lines."""
        listed = self._world.run(self._probe_path, "--list", timeout=30)
        return [unescape(line[len("window: "):]) for line in listed.stdout.split("\n")
                if line.startswith("window: ")]
