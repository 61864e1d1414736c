"""Helpers for end-to-end tests: start the real heyu.exe in the lab that
tests/lab/lab.py started, and look at it from outside through the probe
(windows, message boxes, properties), the file system and exit codes."""
import json
import os
import shutil
import signal
import subprocess
import time
import unittest
from pathlib import Path

BUILD = Path(os.environ.get("HEYU_BUILD_DIR", Path(__file__).resolve().parents[2] / "build"))
LAB = Path(os.environ.get("HEYU_LAB_DIR", BUILD / "lab"))
EXE = BUILD / "heyu.exe"
PROBE = BUILD / "probe.exe"

MAIN_TITLE = "墨川大自然背景音"
WM_CLOSE = 0x0010


def lab_env(**extra) -> dict:
    env = dict(os.environ)
    for line in (LAB / "env").read_text().splitlines():
        key, _, value = line.partition("=")
        env[key] = value
    env.update(extra)
    return env


def wait_until(condition, timeout=30.0, what="a condition", interval=0.1):
    """Polls condition() until it returns something truthy, which is returned."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("timed out after %.0f s waiting for %s" % (timeout, what))
        time.sleep(interval)


def windows_path(path: Path) -> str:
    """The Z: drive path under which Wine shows a Unix path."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def prefix_temp_dir() -> Path:
    return Path(lab_env()["WINEPREFIX"]) / "drive_c" / "users" / os.environ.get("USER", "root") / "Temp"


class Program:
    """One started copy of a Windows program."""

    def __init__(self, exe: Path, cwd=None, env=None, log=None):
        self.log = log
        out = open(log, "wb") if log else subprocess.DEVNULL
        # No pipes: a helper process Wine starts could hold them open.
        self.process = subprocess.Popen(["wine", str(exe)], cwd=cwd or str(Path(exe).parent),
                                        env=env or lab_env(), stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=out)
        if log:
            out.close()

    def running(self) -> bool:
        return self.process.poll() is None

    def exit_code(self, timeout=30.0) -> int:
        """The program's exit code as a signed byte (Wine keeps its low 8 bits)."""
        code = self.process.wait(timeout=timeout)
        return code - 256 if code > 127 else code

    def kill(self):
        if self.running():
            self.process.send_signal(signal.SIGKILL)
            self.process.wait(timeout=30)


def probe(*args) -> list:
    result = subprocess.run(["wine", str(PROBE)] + [str(a) for a in args], env=lab_env(),
                            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, timeout=60)
    return [json.loads(line) for line in result.stdout.decode("utf-8").splitlines() if line]


def windows(title=None, visible_only=True) -> list:
    return [w for w in probe("windows")
            if (title is None or w["text"] == title) and (w["visible"] or not visible_only)]


def wait_window(title=MAIN_TITLE, timeout=30.0) -> dict:
    def found():
        shown = windows(title)
        return shown[0] if shown else None
    return wait_until(found, timeout, "a window titled %r" % title)


def wait_no_window(title=MAIN_TITLE, timeout=30.0):
    wait_until(lambda: not windows(title, visible_only=False), timeout,
               "no window titled %r" % title)


def message_boxes(caption) -> list:
    return probe("msgbox", caption)


def wait_message_box(caption, timeout=30.0) -> dict:
    return wait_until(lambda: (message_boxes(caption) or [None])[0], timeout,
                      "a message box captioned %r" % caption)


def press(box: dict, button_text: str):
    """Presses a message box button by its text, e.g. "确定"."""
    for button in box["buttons"]:
        if button["text"].replace("&", "").startswith(button_text):
            probe("press", box["hwnd"], button["id"])
            return
    raise AssertionError("no button %r in %r" % (button_text, box["buttons"]))


def post(hwnd, message, wparam=0, lparam=0):
    probe("post", hwnd, message, wparam, lparam)


class ProgramTest(unittest.TestCase):
    """Starts programs for a test and makes sure none outlives it."""

    def setUp(self):
        self.programs = []
        wait_no_window()

    def tearDown(self):
        for program in self.programs:
            program.kill()
        wait_no_window()

    def start(self, exe=EXE, **kwargs) -> Program:
        program = Program(exe, **kwargs)
        self.programs.append(program)
        return program

    def scratch(self, name) -> Path:
        folder = BUILD / "e2e" / name
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        self.addCleanup(shutil.rmtree, folder, True)
        return folder
