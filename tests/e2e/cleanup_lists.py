"""Temp-cleanup lists as the installer's Java side writes them, processes that hold what
the cleanup wants to delete, and the registry values a cleanup leaves."""

import time

PRODUCT_KEY = "SOFTWARE\\qorvane-systems\\lanternix"
SESSION_MANAGER = "HKLM\\System\\CurrentControlSet\\Control\\Session Manager"
QUESTION = "Some files are still in use.\nRestart the computer now?"
RESTART_FAILED = "The computer could not be restarted."


def write_list(path, semaphore="", mode="", files=(), directories=(), question=QUESTION, failed=RESTART_FAILED):
    """A list as the installer's Java side writes it: UTF-16LE lines ended by CR LF."""
    lines = [semaphore, mode]
    if mode:
        lines += [*question.split("\n"), "EOSMARKER", *failed.split("\n"), "EOSMARKER"]
    lines += [*files, "", *directories]
    path.write_bytes("".join(line + "\r\n" for line in lines).encode("utf-16-le"))
    return path


def registry_value(wine, key, name):
    """The data of a value as reg.exe prints it, or None when it is missing."""
    result = wine.run("C:\\windows\\system32\\reg.exe", "query", key, "/v", name, timeout=30)
    for line in result.stdout.splitlines():
        parts = line.split(None, 2)
        if len(parts) == 3 and parts[0] == name:
            return parts[2].strip()
    return None


def delete_registry_value(wine, key, name):
    wine.run("C:\\windows\\system32\\reg.exe", "delete", key, "/v", name, "/f", timeout=30)


def pending_deletions(wine):
    return registry_value(wine, SESSION_MANAGER, "PendingFileRenameOperations") or ""


def restart_deletions(wine):
    """What a restart does to scheduled deletions: Wine's `wineboot -r` carries them out."""
    wine.run("wineboot", "-r", timeout=60)


def hold(wine, holder, kind, target, milliseconds=120000):
    """Starts holder.exe on a file or semaphore and returns once it holds it."""
    started = wine.start(holder, kind, target, milliseconds)
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline and started.running():
        time.sleep(0.1)
        if "held" in started.peek_stdout():
            return started
    raise AssertionError(f"holder.exe did not hold {target}: {started.wait(5)}")
