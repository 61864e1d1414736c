"""The shipped 32-bit program in a lab of its own: a 32-bit Wine prefix
without sound, its own display and window manager. Wine runs natively where
the kernel runs 32-bit code; elsewhere every 32-bit process of the lab goes
through qemu-user, registered for i386 programs by binfmt_misc inside a
private user namespace, so nothing else on the machine sees it.

One run of the program checks its window, every control's rectangle, its
picture against the reference, a slider moved by keys and stored, the second
copy's notice and the end by Esc. No sound is judged: emulated, six tracks
could not be decoded in real time.

HEYU_LANE_EMULATE=1 takes the emulated road where the kernel could run the
program itself. When what the road needs cannot be had (wine32, the
emulator, binfmt_misc in a user namespace) the script says why on one line
and ends with SKIP, CTest's skip return code; a fault of the program fails it.
"""
import os
import shutil
import struct
import subprocess
import sys
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
sys.path.insert(0, str(HERE.parents[0] / "lab"))
import harness  # noqa: E402
import lab  # noqa: E402
from harness import PROPERTY_POSITION  # noqa: E402

SKIP = 77
LANE = harness.BUILD / "lane32"
QEMU_DIR = Path(os.environ.get("HEYU_QEMU_DIR", harness.BUILD / "qemu-user"))
QEMU_HELPER = HERE.parents[0] / "lab" / "qemu-user.sh"
WINE32 = Path("/usr/lib/wine/wine")
REFERENCE = HERE / "reference" / "main_window.png"
# Pixels further from the reference than the fuzz, at most: the builds draw
# alike, so only a few glyph edges may differ.
REFERENCE_TOLERANCE = 0.003
NOTICE = "墨川禾语听泉已经运行"
# Time-outs for an emulated lab, where a Wine process needs seconds to start.
SLOW = 180.0


# binfmt_misc's usual entry for i386 ELF programs; F opens the emulator now,
# so it is found whatever the namespace of the program it runs.
I386_MAGIC = r"\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00"
I386_MASK = r"\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff"
BINFMT = Path("/proc/sys/fs/binfmt_misc")
# The emulator that runs the lab's 32-bit processes; None on the native road.
emulator = None


def pe_machine(path: Path) -> int:
    """The machine field of a Windows program's header: 0x14C for i386."""
    with open(path, "rb") as image:
        image.seek(0x3C)
        header = struct.unpack("<I", image.read(4))[0]
        image.seek(header + 4)
        return struct.unpack("<H", image.read(2))[0]


class ShippedProgram(unittest.TestCase):
    def test_window_controls_picture_slider_second_copy_and_escape(self):
        folder = LANE / "program"
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        exe = folder / "heyu.exe"
        shutil.copy(harness.EXE, exe)
        first = harness.Program(exe, log=folder / "first.log")
        self.addCleanup(first.kill)
        window = harness.wait_window(timeout=SLOW)
        # The program's process is the emulator's, or runs on the processor.
        self.assertEqual(os.readlink("/proc/%d/exe" % first.process.pid) == emulator,
                         emulator is not None)
        differing = harness.check_main_window(self, window, folder / "main_window.png",
                                              REFERENCE, REFERENCE_TOLERANCE)
        print("lane: %d pixels of 770 x 445 differ from the reference by more than 10%%"
              % differing)

        # A click on the right arrow at 100 changes nothing but gives the
        # slider the focus; two Left keys then take it to 80. The position
        # is stored inside the change, so the file holds it once it reads 80.
        bar = harness.control(window, "volumeBar2")
        harness.click_client(window, bar["inparent"][0] + 152, bar["inparent"][1] + 16)
        harness.xdotool("key", "Left", "Left")
        harness.wait_until(lambda: harness.get_property(bar["hwnd"], PROPERTY_POSITION) == 80,
                           SLOW, "the slider at 80 after two Left keys")
        self.assertEqual((folder / "config.ini").read_bytes(), b"[config]\r\nv2=80\r\n")

        second = harness.Program(exe, log=folder / "second.log")
        self.addCleanup(second.kill)
        box = harness.wait_message_box("提示", timeout=SLOW)
        self.assertEqual(box["message"], NOTICE)
        harness.press(box, "确定")
        self.assertEqual(second.exit_code(timeout=SLOW), 0)
        self.assertTrue(first.running())

        harness.focus(window)
        harness.xdotool("key", "Escape")
        self.assertEqual(first.exit_code(timeout=SLOW), 0)
        for log in ("first.log", "second.log"):
            self.assertNotIn("nhandled", (folder / log).read_text(errors="replace"), log)


def skip(reason: str) -> int:
    print("SKIP: " + reason)
    return SKIP


def register_emulator(qemu: str):
    """Mounts a binfmt_misc of this user namespace's own and hands it i386
    programs; None, or why that cannot be done."""
    try:
        subprocess.run(["mount", "-t", "binfmt_misc", "binfmt_misc", str(BINFMT)], check=True,
                       capture_output=True, text=True)
        (BINFMT / "register").write_text(":heyu-i386:M::%s:%s:%s:F\n"
                                         % (I386_MAGIC, I386_MASK, qemu))
    except (subprocess.CalledProcessError, OSError) as failure:
        detail = getattr(failure, "stderr", "") or str(failure)
        return "binfmt_misc in a user namespace needs Linux 6.7 or later (%s)" % (
            detail.strip().splitlines() or ["?"])[-1]
    return None


def run_lane(road: str) -> int:
    started = time.monotonic()
    lab.start(LANE, arch="i686", sound=False)
    harness.LAB = LANE
    try:
        result = unittest.main(argv=[sys.argv[0], "-v"], exit=False).result
    finally:
        lab.stop(LANE)
    print("lane: %s road, %.0f s" % (road, time.monotonic() - started))
    return 0 if result.wasSuccessful() else 1


def main() -> int:
    if len(sys.argv) == 3 and sys.argv[1] == "--in-namespace":
        global emulator
        emulator = sys.argv[2]
        why = register_emulator(emulator)
        return skip(why) if why else run_lane("emulated (qemu-user)")

    for program in (harness.EXE, harness.PROBE):
        if pe_machine(program) != 0x14C:
            print("lane: %s is not a 32-bit program" % program)
            return 1
    if not os.access(WINE32, os.X_OK):
        return skip("wine32:i386 is not installed (%s is missing)" % WINE32)
    if os.environ.get("HEYU_LANE_EMULATE") != "1" and lab.lab_arch() == "i686":
        return run_lane("native")

    fetched = subprocess.run(["sh", str(QEMU_HELPER), str(QEMU_DIR)], stdin=subprocess.DEVNULL,
                             capture_output=True, text=True)
    if fetched.returncode != 0:
        return skip((fetched.stderr.strip().splitlines() or ["qemu-user failed"])[-1])
    unshare = ["unshare", "--user", "--map-root-user", "--mount"]
    trial = subprocess.run(unshare + ["true"], capture_output=True, text=True)
    if trial.returncode != 0:
        return skip("no private user namespace here: " + trial.stderr.strip())
    return subprocess.run(unshare + [sys.executable, __file__, "--in-namespace",
                                     fetched.stdout.strip()]).returncode


if __name__ == "__main__":
    sys.exit(main())
