"""What arrives while something else is going on: a close request or the
close label inside the start sequence's first wait, the close label inside
its second wait, a close request while a message box is open, and twenty
copies started at the same instant. Each ends with no crash, exit code 0
and nothing of the program left behind: no window, no process."""
import shutil
import subprocess
import sys
import unittest
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402
from harness import MAIN_TITLE, WM_CLOSE, count_calls, file_calls  # noqa: E402

TONES_EXE = harness.TONES_EXE
CHANNELS = range(1, 7)
WM_LBUTTONDOWN = 0x0201
PROGRAM_CLASSES = {"heyu.Form", "Halyx.Shadow", "HalyxMask", "#32770"}
NOTICE_CAPTION = "提示"
NOTICE = "墨川禾语听泉已经运行"
COPIES = 20


class Concurrency(harness.ProgramTest):
    def start_tones(self, name, settings=b""):
        """Starts a copy of heyu-tones.exe in a scratch folder with the file
        trace on; returns the program and its trace."""
        folder = self.scratch(name)
        shutil.copy(TONES_EXE, folder / "heyu.exe")
        if settings:
            (folder / "config.ini").write_bytes(settings)
        log = folder / "trace.log"
        program = self.start(folder / "heyu.exe", log=log,
                             env=harness.lab_env(WINEDEBUG=harness.FILE_TRACE))
        return program, log

    def start_until(self, name, kind, channel, what):
        """Starts heyu-tones.exe and waits for the first call of a kind on
        a channel's file; returns the program, its trace and its window."""
        program, log = self.start_tones(name)
        window = harness.wait_window()
        harness.wait_until(lambda: count_calls(file_calls(log), kind, channel), 60, what)
        return program, log, window

    def press(self, window, name):
        harness.post(harness.control(window, name)["hwnd"], WM_LBUTTONDOWN)

    def post_on_show(self, control_id, message):
        """A probe that posts message to a control of the main window (0: the
        window) 300 ms after it shows: after the first activation, inside
        the start sequence's first wait of a second. Start it before the
        program."""
        poster = subprocess.Popen(
            ["wine", str(harness.PROBE), "postonshow", MAIN_TITLE, str(control_id),
             str(message), "300", "60000"], env=harness.lab_env(), stdin=subprocess.DEVNULL,
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.addCleanup(poster.stdout.close)
        self.addCleanup(poster.kill)
        self.assertEqual(poster.stdout.readline().strip(), b"ready")
        return poster

    def assert_nothing_left(self, program):
        harness.wait_until(lambda: not [w for w in harness.windows(visible_only=False)
                                        if w["class"] in PROGRAM_CLASSES], 30,
                           "the program's windows to go")
        harness.wait_until(lambda: not harness.program_pids(program.exe), 30,
                           "the program's processes to end")

    def test_a_close_request_and_the_close_label_in_the_first_wait(self):
        # A close request: the close query runs inside the wait, and the
        # start sequence writes no track once the window is gone.
        poster = self.post_on_show(0, WM_CLOSE)
        program, log = self.start_tones("first-wait-close", settings=b"[config]\r\nv1=30\r\n")
        self.assertEqual(poster.wait(timeout=60), 0)
        self.assertEqual(program.exit_code(), 0)
        self.assert_nothing_left(program)
        calls = file_calls(log)
        self.assertTrue(count_calls(calls, "settings", 0))  # the first activation ran
        for n in CHANNELS:
            self.assertEqual((count_calls(calls, "write", n), count_calls(calls, "delete", n)),
                             (0, 1), "channel %d" % n)

        # The close label: the process ends at once; no device is open yet,
        # so it ends cleanly on every Wine.
        poster = self.post_on_show(harness.MAIN_WINDOW_IDS["closeLabel"], WM_LBUTTONDOWN)
        program, log = self.start_tones("first-wait-x")
        self.assertEqual(poster.wait(timeout=60), 0)
        self.assertEqual(program.exit_code(), 0)
        self.assert_nothing_left(program)
        calls = file_calls(log)
        self.assertEqual([(k, n) for _, k, n in calls if k != "settings"], [])

    def test_the_close_label_in_the_second_wait(self):
        program, log, window = self.start_until("second-wait-x", "open", 1, "channel 1 to open")
        self.press(window, "closeLabel")
        # Channel 1's device is open and playing: it is closed before the
        # process ends, which ends cleanly on every Wine.
        self.assertEqual(program.exit_code(), 0)
        self.assert_nothing_left(program)
        # No close query: never a deletion beyond the one after each write.
        calls = file_calls(log)
        for n in CHANNELS:
            self.assertLessEqual(count_calls(calls, "delete", n), count_calls(calls, "write", n))

    def test_a_close_request_while_a_message_box_is_open(self):
        program, log, window = self.start_until("box-close", "delete", 6,
                                                "the six channels to start")
        self.press(window, "poppyHotSpot")
        harness.wait_message_box("不语")
        harness.post(window["hwnd"], WM_CLOSE)
        self.assertEqual(program.exit_code(), 0)
        self.assert_nothing_left(program)
        # The close query ran: one more deletion of every file than writes.
        calls = file_calls(log)
        for n in CHANNELS:
            self.assertEqual(count_calls(calls, "delete", n), count_calls(calls, "write", n) + 1)

    def test_twenty_copies_started_at_once(self):
        folder = self.scratch("copies")
        exe = folder / "heyu.exe"
        shutil.copy(TONES_EXE, exe)
        copies = [self.start(exe) for _ in range(COPIES)]

        # One runs; each of the others waits on its notice.
        harness.wait_until(lambda: len(harness.message_boxes(NOTICE_CAPTION)) == COPIES - 1,
                           180, "%d notices" % (COPIES - 1), interval=1.0)
        window = harness.wait_window()
        self.assertEqual(len(harness.windows(MAIN_TITLE)), 1)  # the others never show theirs
        boxes = harness.message_boxes(NOTICE_CAPTION)
        self.assertEqual({box["message"] for box in boxes}, {NOTICE})
        self.assertEqual(len({box["pid"] for box in boxes} | {window["pid"]}), COPIES)
        self.assertTrue(all(copy.running() for copy in copies))

        with ThreadPoolExecutor(4) as pool:
            list(pool.map(lambda box: harness.press(box, "确定"), boxes))
        harness.wait_until(lambda: sum(not copy.running() for copy in copies) == COPIES - 1,
                           120, "the other copies to end")
        survivors = [copy for copy in copies if copy.running()]
        self.assertEqual([copy.exit_code() for copy in copies if copy not in survivors],
                         [0] * (COPIES - 1))
        self.assertEqual(harness.message_boxes(NOTICE_CAPTION), [])
        self.assertEqual([w["hwnd"] for w in harness.windows(MAIN_TITLE)], [window["hwnd"]])

        harness.post(window["hwnd"], WM_CLOSE)
        self.assertEqual(survivors[0].exit_code(), 0)
        self.assert_nothing_left(survivors[0])


if __name__ == "__main__":
    unittest.main()
