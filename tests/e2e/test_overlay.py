"""The eight places that show a text, pressed with the real pointer in one
run of the program: each box's text, caption, buttons and owner; the window
blurred and darkened behind the box and sharp again once it is closed; no
input reaching the window while a box is open; the sound going on; and the
about box opening the maker's page in the browser on Yes only.

The program is heyu-tones.exe, so the recording shows whether the channels
sound while a box is open. The author's and the maker's details are build
settings; they are read from the build's CMake cache."""
import shutil
import subprocess
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402
import sound  # noqa: E402
from harness import PROPERTY_POSITION  # noqa: E402

TONES_EXE = harness.TONES_EXE
RECORDING = harness.LAB / "recording.wav"
BROWSER_LOG = harness.LAB / "browser.log"
MASK_CLASS = "HalyxMask"


def build_setting(name: str) -> str:
    for line in (harness.PROGRAMS / "CMakeCache.txt").read_text().splitlines():
        if line.startswith(name + ":"):
            return line.split("=", 1)[1]
    raise AssertionError("%s is not in the build's CMake cache" % name)


EMAIL = build_setting("HEYU_AUTHOR_EMAIL")
QQ = build_setting("HEYU_AUTHOR_QQ")
DOMAIN = build_setting("HEYU_MAKER_DOMAIN")
ADDRESS = build_setting("HEYU_MAKER_URL")

WORDLESS = "不语"
WELCOME = "欢迎使用 墨川禾语听泉"
OK = ["确定"]
YES_NO = ["是", "否"]

# (control, a client point inside it, caption, text, buttons), in the order
# the run presses them; the "?" comes last, twice (No, then Yes).
PLACES = [
    ("edgeHotSpot", (12, 272), WORDLESS,
     "这么偏的角落你都点到了？墨川懂你的寂寞和情怀。 缘份一场，给墨川发邮件倾诉您的故事吧。邮箱："
     + EMAIL + " ", OK),
    ("girlHotSpot", (451, 196), WORDLESS,
     "记得她曾说过，我们会在某个阳光灿烂的日子里重逢\r\n"
     "阳光灿烂的日子常有，她却再未出现。", OK),
    ("leftFlowerHotSpot", (80, 312), WORDLESS,
     "多少人等待，是因为相信念念不忘必有回响。但多少人千辛万苦等来的回响，却只是冰冷的一句，别再念念不忘。", OK),
    ("meadowHotSpot", (592, 336), WORDLESS,
     "愿你以后的人生有酒有肉有姑娘，无风无雨年复年。\r\n"
     "遗憾的是，我不能奉陪。", OK),
    ("brandLabel", (51, 20), WORDLESS,
     "人之心若镜，物来相应，物去不留\r\n"
     "是时候听听自己内心的声音了。", OK),
    ("poppyHotSpot", (176, 344), WORDLESS,
     "已识乾坤大，犹怜草木青。", OK),
    ("boyHotSpot", (380, 180), WORDLESS,
     "点击手指向的滑动条，单独设置各种背景音的音量。\r\n"
     "已经有多久，没有人为你指路，今后的路，你要一个人走。\r\n"
     "前路会有那么多的风雪，和那么多的忧伤，陪伴你的，只有坚强。", OK),
    ("helpLabel", (695, 19), WELCOME,
     "\u3000\u3000本程序绿色温纯，情深意重。\u3000用于在您工作/睡觉/冥想时，模仿自然界各种风雨雷电虫鸣等声音，"
     "并可自由单独设置每种声音的音量大小，以让你工作效率增加，更容易入眠。\r\n"
     "\r\n"
     "作者：墨川 , 联系QQ：" + QQ + " , 邮箱: " + EMAIL + "\r\n"
     "欢迎OEM，定制软件。\r\n"
     "\r\n"
     "点击 [是] 访问墨川软件 官网 " + DOMAIN, YES_NO),
]

WIDTH, HEIGHT = 770, 445
# Tolerated share of pixels that differ from the sharp picture by more than
# the fuzz once the mask is gone (font smoothing, as in the window's own test).
SHARP_TOLERANCE = 0.003
# While masked, each channel keeps 205/255 of its brightness; the blur moves
# the mean of a picture full of small bright details a few per cent more.
DARKENED_RANGE = (0.70, 0.86)
# The blur leaves well under half of the differences between neighbours.
BLURRED_AT_MOST = 0.5


def magick_mean(args) -> float:
    result = subprocess.run(["convert"] + [str(a) for a in args] + ["-format", "%[fx:mean]",
                                                                    "info:"],
                            stdin=subprocess.DEVNULL, capture_output=True, text=True, check=True)
    return float(result.stdout)


def crop(rect):
    left, top, right, bottom = rect
    return ["-crop", "%dx%d+%d+%d" % (right - left, bottom - top, left, top), "+repage"]


def brightness(path, rect) -> float:
    return magick_mean([path] + crop(rect))


def edges(path, rect) -> float:
    """The mean difference between horizontally neighbouring pixels."""
    return magick_mean([path] + crop(rect) + ["(", "+clone", "-roll", "+1+0", ")",
                                              "-compose", "difference", "-composite"])


def clear_of(box: dict, window: dict):
    """The largest full-width or full-height strip of the window that the
    box does not cover, in window coordinates."""
    left = box["rect"][0] - window["rect"][0]
    top = box["rect"][1] - window["rect"][1]
    right = box["rect"][2] - window["rect"][0]
    bottom = box["rect"][3] - window["rect"][1]
    strips = [(0, 0, min(max(left, 0), WIDTH), HEIGHT),
              (max(min(right, WIDTH), 0), 0, WIDTH, HEIGHT),
              (0, 0, WIDTH, min(max(top, 0), HEIGHT)),
              (0, max(min(bottom, HEIGHT), 0), WIDTH, HEIGHT)]
    return max(strips, key=lambda r: (r[2] - r[0]) * (r[3] - r[1]))


def masks(window: dict) -> list:
    return [c for c in harness.children(window["hwnd"]) if c["class"] == MASK_CLASS]


def browser_lines() -> list:
    return BROWSER_LOG.read_text().splitlines() if BROWSER_LOG.exists() else []


class Messages(harness.ProgramTest):
    def settled_screenshot(self, window, path: Path) -> Path:
        """A screenshot of the window once its picture stops changing."""
        if not harness.settled_screenshot(path, window):
            self.fail("the window's picture never settled")
        return path

    def keep(self, *paths):
        kept = harness.BUILD / "e2e-failures"
        kept.mkdir(exist_ok=True)
        for path in paths:
            shutil.copy(path, kept / ("overlay-" + path.name))
        return kept

    def sounding_share(self, start_s, end_s) -> float:
        """The share of 0.1 s windows between start_s and end_s in which at
        least one channel sounds."""
        harness.wait_until(lambda: sound.position(RECORDING) >= end_s + 0.5, 60,
                           "the recording to reach %.1f s" % (end_s + 0.5))
        frames = sound.levels(RECORDING, start_s, end_s)
        self.assertGreater(len(frames), 5)
        return sum(1 for _, level in frames if max(level.values()) >= sound.SOUNDING_DB) / len(frames)

    def open_box(self, window, place):
        name, point, caption, text, buttons = place
        harness.click_client(window, *point)
        box = harness.wait_message_box(caption)
        self.assertEqual(box["message"], text, name)
        shown = [b["text"].replace("&", "") for b in box["buttons"]]
        self.assertEqual(len(shown), len(buttons), name)
        for text_shown, wanted in zip(shown, buttons):
            self.assertTrue(text_shown.startswith(wanted), "%s: %r" % (name, shown))
        self.assertTrue(box["icon"], name)
        self.assertEqual(box["owner"], window["hwnd"], name)
        self.assertEqual(len(harness.message_boxes(caption)), 1, name)
        return box

    def assert_masked(self, window, box, sharp: Path, name):
        """The whole client area lies under the mask, and the window's
        picture beside the box is darker and blurred."""
        covering = masks(window)
        self.assertEqual(len(covering), 1, name)
        self.assertEqual(covering[0]["inparent"], [0, 0, WIDTH, HEIGHT], name)
        shot = sharp.with_name("masked-%s.png" % name)
        strip = clear_of(box, window)
        # The mask is painted when the picture beside the box is no longer
        # the sharp one.
        darkened = harness.wait_until(
            lambda: (brightness(harness.screenshot(shot, window), strip)
                     / brightness(sharp, strip) <= DARKENED_RANGE[1]) and shot, 10,
            "the window behind the %s box to darken" % name)
        ratio = brightness(darkened, strip) / brightness(sharp, strip)
        softened = edges(darkened, strip) / edges(sharp, strip)
        if not (DARKENED_RANGE[0] <= ratio <= DARKENED_RANGE[1] and softened <= BLURRED_AT_MOST):
            kept = self.keep(sharp, darkened)
            self.fail("%s: brightness kept %.3f, edges kept %.3f in %r; see %s"
                      % (name, ratio, softened, strip, kept))

    def close_box(self, window, box, button, sharp: Path, name):
        """Presses the button; the box and the mask go and the window is
        sharp again."""
        harness.press(box, button)
        harness.wait_until(lambda: not harness.message_boxes(box["text"]) and not masks(window),
                           10, "the %s box and its mask to go" % name)
        shot = sharp.with_name("after-%s.png" % name)
        limit = SHARP_TOLERANCE * WIDTH * HEIGHT

        def sharp_again():
            return harness.differing_pixels(sharp, harness.screenshot(shot, window), 10) <= limit
        try:
            harness.wait_until(sharp_again, 10, "the window to be sharp after the %s box" % name)
        except AssertionError:
            self.fail("%s: the window is not sharp again; see %s" % (name, self.keep(sharp, shot)))

    def test_the_eight_places_over_the_blurred_window(self):
        folder = self.scratch("overlay")
        shutil.copy(TONES_EXE, folder / "heyu.exe")
        program = self.start(folder / "heyu.exe")
        window = harness.wait_window()
        clock = sound.clock(RECORDING)

        # All six channels have started once the last of them sounds.
        def channels_sound():
            now = sound.position(RECORDING)
            frames = sound.levels(RECORDING, max(0.0, now - 0.6), now)
            return frames and all(max(level[n] for _, level in frames) >= sound.SOUNDING_DB
                                  for n in range(1, 7))
        harness.wait_until(channels_sound, 30, "the six channels to sound", interval=0.5)
        sharp = self.settled_screenshot(window, folder / "sharp.png")
        pages_before = browser_lines()
        volume_bar = harness.control(window, "volumeBar1")

        for place in PLACES:
            name = place[0]
            box = self.open_box(window, place)
            self.assert_masked(window, box, sharp, name)

            if name == "edgeHotSpot":
                opened = clock(time.monotonic())
                # Presses on the window reach nothing while the box is open:
                # not a hot spot, not the brand name, not a slider's track.
                for point in ((451, 196), (51, 20), (113 + 30, 43 + 16)):
                    harness.click_client(window, *point)
                # No second box appears over some seconds, the first stays.
                deadline = time.monotonic() + 3
                while time.monotonic() < deadline:
                    shown = harness.message_boxes(WORDLESS)
                    self.assertEqual([b["hwnd"] for b in shown], [box["hwnd"]])
                    self.assertEqual(shown[0]["message"], box["message"])
                self.assertEqual(harness.get_property(volume_bar["hwnd"], PROPERTY_POSITION), 100)
                closed = clock(time.monotonic())

            if name == "helpLabel":
                # No opens nothing; the box is shown again and Yes opens the
                # maker's page.
                self.close_box(window, box, "否", sharp, name + "-no")
                box = self.open_box(window, place)
                self.close_box(window, box, "是", sharp, name + "-yes")
                harness.wait_until(lambda: len(browser_lines()) > len(pages_before), 30,
                                   "the browser to be started")
                self.assertEqual(browser_lines()[len(pages_before):], [ADDRESS])
            else:
                self.close_box(window, box, "确定", sharp, name)

            if name == "brandLabel":
                self.assertEqual(harness.wait_window()["rect"], window["rect"])  # not moved

        self.assertGreaterEqual(closed - opened, 2)
        self.assertGreaterEqual(self.sounding_share(opened, closed), 0.9)
        self.assertTrue(program.running())
        harness.post(window["hwnd"], harness.WM_CLOSE)
        self.assertEqual(program.exit_code(), 0)


if __name__ == "__main__":
    unittest.main()
