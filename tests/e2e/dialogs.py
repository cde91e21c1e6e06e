"""Reading and pressing dialogs of Windows programs through dialogprobe.exe.

dialogprobe prints one fact per line ("caption: ...", "class: ...", "process: ...",
"pid: ...", "control: <class>: <text>", "pressed: <button text>") with backslash escapes keeping each
text on one line; DialogReading holds those facts with the escapes undone. Beside them:
"rect: L T R B", "desktop: L T R B", "owner-class: ...", "iconic: 0|1", one
"item: <id> <visible> <class>: <text>" per child control (hidden ones too), one
"progress: <id> <low> <high> <pos>" per progress bar, "minimized: 0|1" after --minimize,
and "pings: <answered> <missed>", "ended: hidden|destroyed|timeout", "ended-after-ms: <ms>"
after --watch-ms.
"""

import re
from dataclasses import dataclass, field
from typing import Dict, List, NamedTuple, Optional, Tuple

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


class Item(NamedTuple):
    """A child control, visible or not."""
    control_id: int
    visible: bool
    window_class: str
    text: str


Rect = Tuple[int, int, int, int]  # left, top, right, bottom


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
    rect: Optional[Rect] = None
    desktop: Optional[Rect] = None
    owner_class: Optional[str] = None  # None: the window has no owner
    iconic: Optional[bool] = None
    items: List[Item] = field(default_factory=list)
    progress: Dict[int, Tuple[int, int, int]] = field(default_factory=dict)  # id: low, high, pos
    minimized: Optional[bool] = None  # None: not asked to minimise
    pings: Optional[Tuple[int, int]] = None  # answered, missed; None: not watched
    ended: Optional[str] = None  # "hidden", "destroyed" or "timeout"
    ended_after_ms: Optional[int] = None

    def item(self, control_id: int) -> Optional[Item]:
        """The first child control with that id, or None."""
        return next((item for item in self.items if item.control_id == control_id), None)

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


def _numbers(value: str) -> tuple:
    return tuple(int(number) for number in value.split())


def _item(value: str) -> Item:
    control_id, visible, rest = value.split(" ", 2)
    window_class, _, text = rest.partition(": ")
    return Item(int(control_id), visible == "1", unescape(window_class), unescape(text))


def parse_reading(result: WineResult) -> DialogReading:
    reading = DialogReading(result.returncode, result.stdout, result.stderr)
    # split, not splitlines: texts may hold U+2028 and the like, which the probe keeps.
    for line in result.stdout.split("\n"):
        name, _, value = line.partition(": ")
        if name == "control":
            window_class, _, text = value.partition(": ")
            reading.controls.append(Control(unescape(window_class), unescape(text)))
        elif name in ("caption", "process", "pressed", "ended"):
            setattr(reading, name, unescape(value))
        elif name == "class":
            reading.window_class = unescape(value)
        elif name == "owner-class":
            reading.owner_class = unescape(value)
        elif name in ("pid", "ended-after-ms"):
            setattr(reading, name.replace("-", "_"), int(value))
        elif name in ("rect", "desktop", "pings"):
            setattr(reading, name, _numbers(value))
        elif name in ("iconic", "minimized"):
            setattr(reading, name, value == "1")
        elif name == "item":
            reading.items.append(_item(value))
        elif name == "progress":
            control_id, *state = _numbers(value)
            reading.progress[control_id] = tuple(state)
    return reading


class PendingReading:
    """A probe started before the program whose dialog it waits for."""

    def __init__(self, started: BackgroundProgram, timeout: float, readings: List[DialogReading]):
        self._started = started
        self._timeout = timeout
        self._readings = readings

    def result(self) -> DialogReading:
        reading = parse_reading(self._started.wait(self._timeout))
        self._readings.append(reading)
        return reading


class DialogProbe:
    def __init__(self, world: WineWorld, probe_path):
        self._world = world
        self._probe_path = probe_path
        self.readings: List[DialogReading] = []  # this test's, for the report of a failure
        self._listing = False
        world.describe = self._open_windows

    def _open_windows(self) -> str:
        """The visible windows, for the message of a program that outlived its limit."""
        if self._listing:  # the listing itself hung
            return ""
        self._listing = True
        try:
            return "\nwindows open then:\n" + "\n".join(self.list_windows())
        except AssertionError as problem:
            return f"\nwindows open then: not listed ({problem})"
        finally:
            self._listing = False

    def start(self, *, press: Optional[str] = None, press_id: Optional[int] = None,
              title_contains: Optional[str] = None, process: Optional[str] = None,
              pid: Optional[int] = None, any_window: bool = False,
              window_class: Optional[str] = None, minimize: bool = False,
              watch_ms: Optional[int] = None, set_text: Optional[Tuple[int, str]] = None,
              wait_seconds: int = 20) -> PendingReading:
        """Starts waiting for a dialog; a program started afterwards may show it.
        press: a button label ("&" mnemonics ignored); press_id: a control id such as
        IDOK (1), for dialogs whose labels depend on the language. window_class: wait for
        a top-level window of that class (any case, caption or none) instead of a dialog.
        After the reading and before the press, minimize minimises the window and
        watch_ms pings it until it hides, is destroyed or that many ms have passed;
        set_text=(control id, text) then types into a control (found at any depth)."""
        arguments = ["--wait-seconds", str(wait_seconds)]
        for option, value in (("--press", press), ("--press-id", press_id),
                              ("--title-contains", title_contains), ("--process", process),
                              ("--pid", pid), ("--class", window_class),
                              ("--watch-ms", watch_ms)):
            if value is not None:
                arguments += [option, str(value)]
        if any_window:
            arguments.append("--any-window")
        if minimize:
            arguments.append("--minimize")
        if set_text is not None:
            arguments += ["--set-text", f"{set_text[0]}={set_text[1]}"]
        started = self._world.start(self._probe_path, *arguments)
        # Beyond the wait, time for reading, minimising, watching, pressing and waiting
        # for the close.
        watching = (watch_ms or 0) / 1000
        return PendingReading(started, wait_seconds + watching + 30, self.readings)

    def read(self, **options) -> DialogReading:
        """Waits for a dialog already shown or about to be shown, prints it, presses."""
        return self.start(**options).result()

    def list_windows(self) -> List[str]:
        """Visible top-level windows as "process: class: caption" lines."""
        listed = self._world.run(self._probe_path, "--list", timeout=30)
        return [unescape(line[len("window: "):]) for line in listed.stdout.split("\n")
                if line.startswith("window: ")]
