#!/usr/bin/env python3
"""The private lab in which the Windows program runs and is observed.

    lab.py start LABDIR   start Xvfb with a window manager (openbox),
                          PulseAudio with a null sink and a recorder on its
                          monitor, and a persistent wineserver on the build
                          tree's own Wine prefix
    lab.py stop LABDIR    stop everything start started, by PID

start writes LABDIR/env (KEY=VALUE lines, for tests/lab/in-lab and the test
helpers) and LABDIR/pids. The Wine prefix lives in LABDIR/wineprefix and is
made once: code page 936, Chinese font replacements, full-window
dragging, no crash dialog, and a browser stand-in that records what it opens.
On a machine that runs no 32-bit code the prefix is a 64-bit one and the lab
puts its own wine, wineboot and wineserver (64-bit Wine) first on PATH.
"""
import os
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

FONT_REPLACEMENTS = ["Tahoma", "MS Shell Dlg", "MS Shell Dlg 2", "SimSun",
                     "Microsoft YaHei", "微软雅黑"]
REPLACEMENT_FONT = "WenQuanYi Micro Hei"
PREFIX_VERSION = "4"  # bump to rebuild prefixes made by an older lab


WINE64 = "/usr/lib/wine/wine64"
WINESERVER64 = "/usr/lib/wine/wineserver64"


def lab_arch() -> str:
    """i686 where this machine runs 32-bit code under Wine, else x86_64."""
    script = Path(__file__).resolve().parent / "lab-arch.sh"
    return subprocess.run(["sh", str(script)], capture_output=True, text=True,
                          check=True).stdout.strip()


def write_wine64_commands(lab: Path) -> Path:
    """wine, wineboot and wineserver for a machine that runs no 32-bit code.
    Debian's own commands pick the 32-bit loader whenever it is installed,
    whether or not the kernel can run it; these go straight to 64-bit Wine."""
    folder = lab / "bin"
    folder.mkdir(parents=True, exist_ok=True)
    loader = "export WINELOADER=%s WINESERVER=%s\n" % (WINE64, WINESERVER64)
    commands = {
        "wine": loader + 'exec %s "$@"\n' % WINE64,
        "wineboot": loader + 'exec %s wineboot "$@"\n' % WINE64,
        "wineserver": 'exec %s "$@"\n' % WINESERVER64,
    }
    for name, body in commands.items():
        script = folder / name
        script.write_text("#!/bin/sh\n" + body)
        script.chmod(0o755)
    return folder


def base_env(lab: Path, arch: str = None) -> dict:
    env = dict(os.environ)
    arch = arch or lab_arch()
    if arch == "x86_64":
        env["PATH"] = str(write_wine64_commands(lab)) + os.pathsep + env["PATH"]
    env.update({
        "WINEPREFIX": str(lab / "wineprefix"),
        "WINEDEBUG": "-all",
        "WINEDLLOVERRIDES": "mscoree,mshtml=",
        "WINEARCH": "win32" if arch == "i686" else "win64",
        "LC_ALL": "zh_CN.UTF-8",
        "XDG_RUNTIME_DIR": str(lab / "xdg"),
        "PULSE_SERVER": "unix:" + str(lab / "xdg" / "pulse" / "native"),
        "HEYU_LAB_DIR": str(lab),
        "HEYU_RECORDING": str(lab / "recording.wav"),
        "HEYU_BROWSER_LOG": str(lab / "browser.log"),
    })
    return env


def wait_for(condition, timeout, what):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return
        time.sleep(0.1)
    raise RuntimeError("lab: timed out waiting for " + what)


def quiet():
    return {"stdin": subprocess.DEVNULL, "stdout": subprocess.DEVNULL,
            "stderr": subprocess.DEVNULL}


def start_display(lab: Path, env: dict, screen: str) -> int:
    # -displayfd lets Xvfb pick a free display number and tell us.
    read_end, write_end = os.pipe()
    proc = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", screen + "x24",
         "-nolisten", "tcp"], pass_fds=(write_end,), **quiet())
    os.close(write_end)
    number = b""
    with os.fdopen(read_end, "rb") as pipe:
        while not number.endswith(b"\n"):
            chunk = pipe.read(1)
            if not chunk:
                break
            number += chunk
    if not number.strip():
        raise RuntimeError("lab: Xvfb did not start")
    env["DISPLAY"] = ":" + number.decode().strip()
    return proc.pid


def write_window_manager_settings(path: Path):
    """openbox's own settings, but for the stand-in notification area that
    Wine shows where a desktop has none: it does not take the keyboard when
    it appears, as a desktop's notification area never does. Otherwise it
    takes it from a program whose icon it shows whenever the icon comes
    after the program's window, and a key meant for that window goes to it."""
    settings = Path("/etc/xdg/openbox/rc.xml").read_text()
    rule = ('<application class="explorer.exe" title="Wine System Tray">'
            '<focus>no</focus></application>\n')
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_text(settings.replace("</applications>", rule + "</applications>", 1))


def start_window_manager(lab: Path, env: dict) -> int:
    """openbox on the lab's display, as a user's desktop has a window
    manager: without one Wine waits up to 2 s for every managed window it
    hides (a message box) to be withdrawn. Its settings and cache are the
    lab's own, so no user's openbox configuration comes in."""
    config = lab / "wm" / "config"
    write_window_manager_settings(config / "openbox" / "rc.xml")
    wm_env = dict(env, XDG_CONFIG_HOME=str(config), XDG_CACHE_HOME=str(lab / "wm" / "cache"))
    proc = subprocess.Popen(["openbox", "--sm-disable"], env=wm_env, **quiet())

    def managing() -> bool:
        # A running window manager names its check window on the root window.
        if proc.poll() is not None:
            raise RuntimeError("lab: openbox ended with %d" % proc.returncode)
        return "window id" in subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"],
                                             env=env, capture_output=True, text=True).stdout
    wait_for(managing, 20, "openbox")
    return proc.pid


def start_sound(lab: Path, env: dict) -> list:
    xdg = lab / "xdg"
    xdg.mkdir(mode=0o700, parents=True, exist_ok=True)
    os.chmod(xdg, 0o700)
    subprocess.run(
        ["pulseaudio", "--daemonize=yes", "--exit-idle-time=-1", "-n",
         "--load=module-null-sink sink_name=cap",
         "--load=module-native-protocol-unix"], env=env, check=True, **quiet())
    pid_file = xdg / "pulse" / "pid"
    wait_for(pid_file.exists, 20, "PulseAudio")
    pulse_pid = int(pid_file.read_text().split()[0])
    subprocess.run(["pactl", "set-default-sink", "cap"], env=env, check=True, **quiet())
    recorder = subprocess.Popen(
        # A short latency keeps the file's length close to the time of day,
        # so a test can tell where in the recording an event happened.
        ["parec", "-d", "cap.monitor", "--latency-msec=20", "--format=s16le", "--rate=44100",
         "--channels=2", "--file-format=wav", env["HEYU_RECORDING"]],
        env=env, **quiet())
    return [recorder.pid, pulse_pid]


def write_browser_stand_in(lab: Path, env: dict) -> Path:
    script = lab / "browser.sh"
    script.write_text('#!/bin/sh\nprintf "%%s\\n" "$*" >> "%s"\n' % env["HEYU_BROWSER_LOG"])
    script.chmod(0o755)
    return script


def reg_add(env, key, name, value, kind="REG_SZ"):
    subprocess.run(["wine", "reg", "add", key, "/v", name, "/t", kind, "/d", value, "/f"],
                   env=env, check=True, **quiet())


def prepare_prefix(lab: Path, env: dict, sound: bool = True):
    prefix = Path(env["WINEPREFIX"])
    marker = prefix / ".heyu-lab"
    version = PREFIX_VERSION + " " + env["WINEARCH"] + ("" if sound else " silent")
    if marker.exists() and marker.read_text() == version:
        return
    if prefix.exists():
        shutil.rmtree(prefix)
    subprocess.run(["wineboot", "-i"], env=env, check=True, **quiet())
    for face in FONT_REPLACEMENTS:
        reg_add(env, r"HKCU\Software\Wine\Fonts\Replacements", face, REPLACEMENT_FONT)
    # Windows' default; Wine's is "0", which moves a dragged window only at release.
    reg_add(env, r"HKCU\Control Panel\Desktop", "DragFullWindows", "1")
    reg_add(env, r"HKCU\Software\Wine\WineDbg", "ShowCrashDialog", "0", "REG_DWORD")
    if not sound:
        # No audio driver at all: the media devices fail to open, as on a
        # machine without a sound card, and nothing decodes the tracks.
        reg_add(env, r"HKCU\Software\Wine\Drivers", "Audio", "")
    subprocess.run(["wineserver", "-w"], env=env, check=True, **quiet())
    marker.write_text(version)


def start(lab: Path, arch: str = None, sound: bool = True, screen: str = "1280x800"):
    """Starts a lab for Wine of the given architecture (by default the one
    this machine runs, see lab-arch.sh); without sound it has no sound
    server and its prefix no audio driver. The screen is WIDTHxHEIGHT."""
    stop(lab)
    lab.mkdir(parents=True, exist_ok=True)
    env = base_env(lab, arch)
    pids = []
    try:
        # Stopped in this order: the recorder, the sound server, the window
        # manager, the display.
        pids.append(start_display(lab, env, screen))
        pids.insert(0, start_window_manager(lab, env))
        if sound:
            pids[:0] = start_sound(lab, env)
        prepare_prefix(lab, env, sound)
        # The browser stand-in path is per lab, so it is set on every start.
        reg_add(env, r"HKCU\Software\Wine\WineBrowser", "Browsers",
                str(write_browser_stand_in(lab, env)))
        subprocess.Popen(["wineserver", "-p"], env=env, **quiet()).wait()
    finally:
        (lab / "pids").write_text("".join("%d\n" % p for p in pids))
    keys = ["PATH", "DISPLAY", "WINEPREFIX", "WINEDEBUG", "WINEDLLOVERRIDES", "WINEARCH",
            "LC_ALL", "XDG_RUNTIME_DIR", "PULSE_SERVER", "HEYU_LAB_DIR",
            "HEYU_RECORDING", "HEYU_BROWSER_LOG"]
    (lab / "env").write_text("".join("%s=%s\n" % (k, env[k]) for k in keys))
    print("lab started on display", env["DISPLAY"])


def set_dpi(lab: Path, dpi: int):
    """Gives the lab's prefix a display scale: Wine takes the dots per inch
    of every program from LogPixels, which it reads when its server starts,
    so the lab's persistent server starts anew."""
    env = dict(os.environ)
    env.update(read_env(lab))
    reg_add(env, r"HKCU\Control Panel\Desktop", "LogPixels", str(dpi), "REG_DWORD")
    subprocess.run(["wineserver", "-k"], env=env, **quiet())
    subprocess.run(["wineserver", "-w"], env=env, **quiet())
    subprocess.Popen(["wineserver", "-p"], env=env, **quiet()).wait()


def alive(pid: int) -> bool:
    try:
        os.kill(pid, 0)
        return True
    except ProcessLookupError:
        return False


def stop(lab: Path):
    if (lab / "env").exists():
        env = dict(os.environ)
        env.update(read_env(lab))
        subprocess.run(["wineserver", "-k"], env=env, **quiet())
        (lab / "env").unlink()
    pid_file = lab / "pids"
    if pid_file.exists():
        # The recorder first, gently, so that it finishes its WAV file.
        for pid in [int(p) for p in pid_file.read_text().split()]:
            if alive(pid):
                os.kill(pid, signal.SIGTERM)
                deadline = time.monotonic() + 5
                while alive(pid) and time.monotonic() < deadline:
                    time.sleep(0.05)
                if alive(pid):
                    os.kill(pid, signal.SIGKILL)
        pid_file.unlink()


def read_env(lab: Path) -> dict:
    env = {}
    for line in (lab / "env").read_text().splitlines():
        key, _, value = line.partition("=")
        env[key] = value
    return env


def main(argv):
    if len(argv) != 3 or argv[1] not in ("start", "stop"):
        print(__doc__, file=sys.stderr)
        return 2
    lab = Path(argv[2]).resolve()
    if argv[1] == "start":
        start(lab)
    else:
        stop(lab)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
