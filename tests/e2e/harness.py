"""Helpers for end-to-end tests: start the real heyu.exe in the lab that
tests/lab/lab.py started, and look at it from outside through the probe
(windows, message boxes, properties), the file system and exit codes."""
import json
import os
import re
import shutil
import signal
import subprocess
import time
import unittest
from pathlib import Path

BUILD = Path(os.environ.get("HEYU_BUILD_DIR", Path(__file__).resolve().parents[2] / "build"))
LAB = Path(os.environ.get("HEYU_LAB_DIR", BUILD / "lab"))
PROBE = BUILD / "probe.exe"
# The programs under test may come from another build than the test tools:
# on a 32-bit lab they are the shipped ones, built for Windows XP.
PROGRAMS = Path(os.environ.get("HEYU_PROGRAM_DIR", BUILD))
EXE = PROGRAMS / "heyu.exe"
TONES_EXE = PROGRAMS / "heyu-tones.exe"

MAIN_TITLE = "墨川大自然背景音"
WM_CLOSE = 0x0010


def lab_env(**extra) -> dict:
    env = dict(os.environ)
    for line in (LAB / "env").read_text().splitlines():
        key, _, value = line.partition("=")
        env[key] = value
    env.update(extra)
    return env


def lab_arch() -> str:
    """i686 when the lab runs 32-bit Wine, x86_64 when it runs 64-bit Wine."""
    return "i686" if lab_env()["WINEARCH"] == "win32" else "x86_64"


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


def program_pids(exe: Path) -> list:
    """The Unix processes that run exe now, found by the program name at the
    start of their command line: Wine shows the path it was started with,
    the Unix path or a Windows one."""
    names = (str(Path(exe).resolve()).lower(), windows_path(exe).lower())
    pids = []
    for entry in Path("/proc").iterdir():
        try:
            command = (entry / "cmdline").read_bytes().replace(b"\0", b" ")
        except OSError:
            continue
        program = command.decode(errors="replace").strip().strip('"').lower()
        if entry.name.isdigit() and program.startswith(names):
            pids.append(int(entry.name))
    return pids


class Program:
    """One started copy of a Windows program. windows_env sets variables of
    its Windows environment: Wine takes TEMP, TMP and the like of a program
    started from Unix from the prefix's registry, whatever the Unix
    environment says, but a program started by cmd inherits cmd's. args go
    on its command line."""

    def __init__(self, exe: Path, cwd=None, env=None, log=None, windows_env=None, args=()):
        self.exe = Path(exe)
        self.log = log
        command = ["wine", str(exe)] + [str(arg) for arg in args]
        if windows_env:
            command = ["wine", "cmd", "/c", "".join("set %s=%s&& " % pair
                                                    for pair in windows_env.items())
                       + windows_path(exe)]
        out = open(log, "wb") if log else subprocess.DEVNULL
        # No pipes: a helper process Wine starts could hold them open.
        self.process = subprocess.Popen(command, cwd=cwd or str(Path(exe).parent),
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
        # A program started through cmd outlives cmd.
        for pid in program_pids(self.exe):
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass


def probe(*args) -> list:
    result = subprocess.run(["wine", str(PROBE)] + [str(a) for a in args], env=lab_env(),
                            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, timeout=60)
    return [json.loads(line) for line in result.stdout.decode("utf-8").splitlines() if line]


def run_json(exe: Path, *args, timeout=300) -> dict:
    """Runs a Windows program in the lab and returns the JSON object it
    prints last (the benchmarks report that way)."""
    result = subprocess.run(["wine", str(exe)] + [str(a) for a in args], env=lab_env(),
                            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, timeout=timeout,
                            check=True)
    return json.loads(result.stdout.decode().strip().splitlines()[-1])


def windows(title=None, visible_only=True) -> list:
    return [w for w in probe("windows")
            if (title is None or w["text"] == title) and (w["visible"] or not visible_only)]


def wait_window(title=MAIN_TITLE, timeout=30.0) -> dict:
    def found():
        shown = windows(title)
        return shown[0] if shown else None
    try:
        return wait_until(found, timeout, "a window titled %r" % title)
    except AssertionError as missing:
        # What the screen holds instead (a notice, a hidden window) tells a
        # slow start from a program that went another way.
        seen = ["%r%s" % (w["text"], "" if w["visible"] else " (hidden)")
                for w in windows(visible_only=False) if w["text"]]
        raise AssertionError("%s; top-level windows: %s" % (missing, ", ".join(seen) or "none"))


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
        # The program keeps every slider change in config.ini beside itself:
        # each test starts the build's copy with no settings file.
        (PROGRAMS / "config.ini").unlink(missing_ok=True)

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


# --- the program's controls, the pointer and the screen --------------------

# Property numbers and identifiers the program's controls answer to.
PROPERTY_POSITION = 17
# The main window's 29 controls in z-order from the top: name, identifier,
# client rectangle (x, y, width, height) and whether it is shown.
CONTROLS = [
    ("brandLabel", 0x1601027B, (13, 8, 76, 24), True),
    ("edgeHotSpot", 0x16010233, (0, 248, 24, 48), True),
    ("leftFlowerHotSpot", 0x1601022B, (56, 280, 48, 64), True),
    ("meadowHotSpot", 0x16010223, (496, 272, 192, 128), True),
    ("poppyHotSpot", 0x1601021B, (152, 312, 48, 64), True),
    ("girlHotSpot", 0x16010213, (427, 120, 48, 152), True),
    ("boyHotSpot", 0x160101F1, (336, 96, 88, 168), True),
    ("loopTimer", 0x16010176, (608, 384, 26, 26), False),
    ("helpLabel", 0x16010170, (683, 3, 24, 32), True),
    ("minimizeLabel", 0x16010167, (711, 2, 24, 32), True),
    ("closeLabel", 0x16010166, (740, -1, 24, 32), True),
    ("player6", 0x16010165, (672, 376, 26, 26), False),
    ("volumeBar6", 0x1601015D, (113, 179, 160, 32), True),
    ("channelLabel6", 0x1601015E, (45, 177, 64, 32), True),
    ("volumeBar5", 0x1601015C, (113, 155, 160, 32), True),
    ("volumeBar4", 0x1601015B, (113, 127, 160, 32), True),
    ("volumeBar3", 0x1601015A, (113, 99, 160, 32), True),
    ("volumeBar2", 0x16010159, (113, 71, 160, 32), True),
    ("volumeBar1", 0x16010151, (113, 43, 160, 32), True),
    ("channelLabel5", 0x16010150, (45, 152, 64, 32), True),
    ("channelLabel4", 0x1601014F, (45, 124, 64, 32), True),
    ("channelLabel3", 0x1601014E, (45, 96, 64, 32), True),
    ("channelLabel2", 0x1601014D, (45, 68, 64, 32), True),
    ("channelLabel1", 0x1601014C, (45, 40, 64, 32), True),
    ("player5", 0x16010142, (640, 376, 26, 26), False),
    ("player4", 0x1601013D, (672, 344, 26, 26), False),
    ("player3", 0x16010136, (640, 344, 26, 26), False),
    ("player2", 0x1601012B, (608, 344, 26, 26), False),
    ("player1", 0x16010127, (576, 344, 26, 26), False),
]
MAIN_WINDOW_IDS = {name: ident for name, ident, _, _ in CONTROLS}


# A client point of the finished window and its colour: the aurora in the
# background picture.
BACKGROUND_POINT = (700, 130, "6ab49b")


def paint_watcher(point=BACKGROUND_POINT, title=MAIN_TITLE) -> subprocess.Popen:
    """A probe that watches the screen for the window titled title to show
    the colour at the point; start it before the program (see painted_at)."""
    x, y, colour = point
    watcher = subprocess.Popen(
        ["wine", str(PROBE), "waitpaint", title, str(x), str(y), colour, "12", "60000"],
        env=lab_env(), stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
        stderr=subprocess.DEVNULL)
    if watcher.stdout.readline().strip() != b"ready":
        raise AssertionError("the probe did not start")
    return watcher


def painted_at(watcher) -> float:
    """The time.monotonic() at which the watched window was painted."""
    line = watcher.stdout.readline()
    seen = time.monotonic()
    watcher.wait(timeout=30)
    watcher.stdout.close()
    if not line.startswith(b"{"):
        raise AssertionError("the window was never painted")
    return seen


def children(hwnd) -> list:
    """The child windows in z-order from the top, with "id" and "inparent"."""
    return probe("children", hwnd)


def control(window: dict, name: str) -> dict:
    """A control of the main window by its name in the control table."""
    wanted = MAIN_WINDOW_IDS[name]
    for child in children(window["hwnd"]):
        if child["id"] == wanted:
            return child
    raise AssertionError("no control %s" % name)


# Where Wine shows notification icons when no desktop's notification area
# takes them: Wine 8 in its stand-alone "Wine System Tray" window, Wine 10 in
# a visible Shell_TrayWnd. The class of each tray and of its icons.
TRAYS = {"__winex11_standalone_tray": "__winex11_tray_icon",
         "Shell_TrayWnd": "__wine_tray_icon"}


def tray_icons() -> list:
    """The notification icons shown now, as child windows of Wine's tray."""
    trays = [w for w in windows(visible_only=False) if w["class"] in TRAYS]
    return [c for t in trays for c in children(t["hwnd"])
            if c["class"] == TRAYS[t["class"]] and c["visible"]]


def get_property(hwnd, number) -> int:
    return probe("get", hwnd, number)[0]["value"]


def set_property(hwnd, number, value):
    probe("set", hwnd, number, value)


def xdotool(*args):
    subprocess.run(["xdotool"] + [str(a) for a in args], env=lab_env(), check=True,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)


def set_desktop_value(name, value):
    """Sets a value of HKCU\\Control Panel\\Desktop in the lab's prefix; the
    programs started after it read it."""
    subprocess.run(["wine", "reg", "add", r"HKCU\Control Panel\Desktop", "/v", name, "/d", value,
                    "/f"], env=lab_env(), check=True, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def client_to_screen(window: dict, x, y):
    """Screen point of a client point; the main window has no frame."""
    return window["rect"][0] + x, window["rect"][1] + y


def click_client(window: dict, x, y):
    sx, sy = client_to_screen(window, x, y)
    xdotool("mousemove", "--sync", sx, sy, "click", "1")


def drag_screen(start, end, steps=10, pause=0.03):
    """Presses the left button at start, moves to end in steps, releases."""
    xdotool("mousemove", "--sync", start[0], start[1])
    xdotool("mousedown", "1")
    time.sleep(0.2)
    for i in range(1, steps + 1):
        xdotool("mousemove", start[0] + (end[0] - start[0]) * i // steps,
                start[1] + (end[1] - start[1]) * i // steps)
        time.sleep(pause)
    xdotool("mouseup", "1")


def x_window(window: dict) -> str:
    """The X window of a top-level window, found by its title."""
    return subprocess.run(["xdotool", "search", "--name", window["text"]], env=lab_env(),
                          capture_output=True, text=True).stdout.split()[0]


def focus(window: dict):
    """Gives the window the keyboard, by its X window."""
    xdotool("windowfocus", "--sync", x_window(window))


def screenshot(path: Path, window: dict = None) -> Path:
    """The whole screen, or just the window's rectangle, as a PNG."""
    subprocess.run(["import", "-window", "root", str(path)], env=lab_env(), check=True,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    if window:
        left, top, right, bottom = window["rect"]
        subprocess.run(["convert", str(path), "-crop",
                        "%dx%d+%d+%d" % (right - left, bottom - top, left, top),
                        "+repage", str(path)], check=True)
    return path


def settled_screenshot(path: Path, window: dict, pause=0.2, tries=50) -> bool:
    """Screenshots the window into path until its picture stops changing;
    False if it was still changing after the last try."""
    previous = path.with_name("previous-" + path.name)
    for _ in range(tries):
        screenshot(path, window)
        if previous.exists() and differing_pixels(previous, path, 0) == 0:
            return True
        shutil.copy(path, previous)
        time.sleep(pause)
    return False


def check_main_window(test, window: dict, shot: Path, reference: Path, tolerance: float) -> int:
    """The main window as a lane sees it on an 1280 x 800 screen: centred at
    770 x 445, its controls at their rectangles, and its screenshot (saved
    to shot, the difference beside it) within tolerance of the reference.
    Returns how many pixels differ."""
    left, top, right, bottom = window["rect"]
    test.assertEqual((left, top, right - left, bottom - top),
                     ((1280 - 770) // 2, (800 - 445) // 2, 770, 445))
    placed = {c["id"]: (c["inparent"], c["visible"]) for c in children(window["hwnd"])}
    for name, ident, (x, y, width, height), visible in CONTROLS:
        test.assertEqual(placed.get(ident), ([x, y, x + width, y + height], visible), name)
    test.assertEqual(len(placed), len(CONTROLS))
    settled_screenshot(shot, window, pause=0.5)
    differing = differing_pixels(reference, shot, 10, shot.parent / "difference.png")
    test.assertLessEqual(differing, tolerance * 770 * 445,
                         "see %s and difference.png beside it" % shot)
    return differing


def differing_pixels(a: Path, b: Path, fuzz_percent=10, diff: Path = None) -> int:
    """How many pixels differ by more than fuzz_percent between two pictures
    of the same size (ImageMagick's absolute error count)."""
    result = subprocess.run(["compare", "-metric", "AE", "-fuzz", "%d%%" % fuzz_percent,
                             str(a), str(b), str(diff or "null:")],
                            stdin=subprocess.DEVNULL, capture_output=True, text=True)
    return int(float(result.stderr.split()[0]))


def pixels_near(path: Path, rect, colour="white", fuzz_percent=20) -> int:
    """How many pixels of the rectangle (left, top, right, bottom) lie within
    fuzz_percent of the colour."""
    left, top, right, bottom = rect
    result = subprocess.run(
        ["convert", str(path), "-crop", "%dx%d+%d+%d" % (right - left, bottom - top, left, top),
         "+repage", "-fuzz", "%d%%" % fuzz_percent, "-fill", "black", "+opaque", colour,
         "-fill", "white", "-opaque", colour, "-colorspace", "gray",
         "-format", "%[fx:mean*w*h]", "info:"],
        stdin=subprocess.DEVNULL, capture_output=True, text=True, check=True)
    return round(float(result.stdout))


# --- what the program does with its files, from Wine's file trace ----------

# Started with FILE_TRACE in its environment, the program's stderr log holds
# a line for every CreateFileW and DeleteFileW it makes, in order, each with
# Wine's timestamp: seconds of the system's monotonic clock, as time.monotonic()
# counts them.
FILE_TRACE = "-all,trace+file,+timestamp"
_TRACK_CALL = re.compile(r'^(\d+\.\d+):.*trace:file:(CreateFileW|DeleteFileW) '
                         r'L"[^"]*tmmmA0([1-6])\.tmp"(?: (GENERIC_\w+))?')
_SETTINGS_WRITE = re.compile(r'^(\d+\.\d+):.*trace:file:CreateFileW L"[^"]*config\.ini"'
                             r'.*GENERIC_WRITE')


def file_calls(log: Path) -> list:
    """The track-file and settings-file calls in a file-trace log, in order,
    as (time, kind, channel): kind "write" for a track file opened for
    writing, "open" for one opened for reading (by a media device), "delete"
    for an attempted deletion, "settings" (channel 0) for config.ini opened
    for writing."""
    calls = []
    text = Path(log).read_text(errors="replace") if Path(log).exists() else ""
    for line in text.splitlines():
        match = _TRACK_CALL.search(line)
        if match:
            at, function, channel, access = match.groups()
            kind = "delete" if function == "DeleteFileW" else (
                "write" if access == "GENERIC_WRITE" else "open")
            calls.append((float(at), kind, int(channel)))
            continue
        match = _SETTINGS_WRITE.search(line)
        if match:
            calls.append((float(match.group(1)), "settings", 0))
    return calls


def calls_of(calls: list, kind: str, channel: int) -> list:
    """The times of one kind of call on one channel's file."""
    return [at for at, k, n in calls if (k, n) == (kind, channel)]


def count_calls(calls: list, kind: str, channel: int) -> int:
    return len(calls_of(calls, kind, channel))
