"""Start-up, the single-instance guard, the settings file's place and the
exit codes, seen from outside the running program."""
import re
import shutil
import subprocess
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402
from harness import MAIN_TITLE, WM_CLOSE  # noqa: E402

NOTICE = "墨川禾语听泉已经运行"
WS_EX_TOPMOST = 0x8


class StartAndClose(harness.ProgramTest):
    def test_window_comes_up_centred_and_a_close_request_ends_with_code_0(self):
        program = self.start()
        window = harness.wait_window()
        left, top, right, bottom = window["rect"]
        self.assertEqual((right - left, bottom - top), (770, 445))
        self.assertEqual((left, top), ((1280 - 770) // 2, (800 - 445) // 2))
        harness.post(window["hwnd"], WM_CLOSE)
        self.assertEqual(program.exit_code(), 0)

    def test_alt_f4_is_a_close_request_too(self):
        program = self.start()
        harness.wait_window()
        env = harness.lab_env()
        x_window = subprocess.run(["xdotool", "search", "--name", MAIN_TITLE], env=env,
                                  capture_output=True, text=True).stdout.split()[0]
        subprocess.run(["xdotool", "windowfocus", "--sync", x_window], env=env, check=True)
        subprocess.run(["xdotool", "key", "alt+F4"], env=env, check=True)
        self.assertEqual(program.exit_code(), 0)


class SingleInstance(harness.ProgramTest):
    def test_second_copy_shows_the_notice_and_ends_while_the_first_runs_on(self):
        first = self.start()
        window = harness.wait_window()

        second = self.start()
        box = harness.wait_message_box("提示")
        self.assertEqual(box["message"], NOTICE)
        self.assertTrue(box["icon"])
        self.assertEqual([b["text"] for b in box["buttons"]], ["确定"])
        self.assertEqual(box["owner"], 0)
        self.assertTrue(box["exstyle"] & WS_EX_TOPMOST)
        # The second copy never shows its own main window.
        self.assertEqual(len(harness.windows(MAIN_TITLE)), 1)
        self.assertTrue(second.running())

        harness.press(box, "确定")
        self.assertEqual(second.exit_code(), 0)
        self.assertTrue(first.running())
        self.assertEqual([w["hwnd"] for w in harness.windows(MAIN_TITLE)], [window["hwnd"]])

        harness.post(window["hwnd"], WM_CLOSE)
        self.assertEqual(first.exit_code(), 0)

        # With the first copy gone its mutex is gone: a new copy starts normally.
        third = self.start()
        window = harness.wait_window()
        self.assertEqual(harness.message_boxes("提示"), [])
        harness.post(window["hwnd"], WM_CLOSE)
        self.assertEqual(third.exit_code(), 0)


class SettingsFilePlace(harness.ProgramTest):
    def test_the_file_beside_the_executable_is_read_from_any_working_directory(self):
        # A folder name the ANSI code page cannot spell, and spaces.
        home = self.scratch("settings place/音 नमस्ते")
        elsewhere = self.scratch("settings elsewhere")
        exe = home / "heyu.exe"
        shutil.copy(harness.EXE, exe)
        (home / "config.ini").write_bytes(b"[config]\r\nv1=5\r\n")
        (elsewhere / "config.ini").write_bytes(b"[config]\r\nv1=6\r\n")

        log = elsewhere / "profile.log"
        program = self.start(exe, cwd=str(elsewhere),
                             env=harness.lab_env(WINEDEBUG="+profile"), log=log)
        window = harness.wait_window()
        harness.post(window["hwnd"], WM_CLOSE)
        self.assertEqual(program.exit_code(), 0)

        reads = re.findall(r'GetPrivateProfileStringW L"config",L"(v\d)",L"-1",\w+,10240,L"([^"]*)"',
                           log.read_text(errors="replace"))
        self.assertEqual([key for key, _ in reads], ["v1", "v2", "v3", "v4", "v5", "v6"])
        # Wine writes characters beyond ASCII as \xxxx escapes in its trace.
        expected = harness.windows_path(home / "config.ini").replace("\\", "\\\\")
        expected = "".join(c if ord(c) < 128 else "\\%04x" % ord(c) for c in expected)
        self.assertEqual({path for _, path in reads}, {expected})


if __name__ == "__main__":
    unittest.main()
