#!/usr/bin/env python3
"""make run: starts the program so that a person can see and hear it.

With a display and a sound server at hand, the program runs there under Wine
until it is closed. On a headless machine it runs in a private lab for
RUN_SECONDS (20 by default); then a screenshot and the recorded sound are
left in BUILD/run and their paths printed."""
import os
import subprocess
import sys
import time
from pathlib import Path

import lab

MAIN_TITLE = "墨川大自然背景音"


def sound_server_reachable() -> bool:
    try:
        return subprocess.run(["pactl", "info"], stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=10).returncode == 0
    except (OSError, subprocess.TimeoutExpired):
        return False


def run_on_desktop(build: Path, exe: Path) -> int:
    place = build / "desktop"
    place.mkdir(parents=True, exist_ok=True)
    env = lab.base_env(place)
    for key in ("DISPLAY", "XDG_RUNTIME_DIR", "PULSE_SERVER"):
        if key in os.environ:
            env[key] = os.environ[key]
        else:
            env.pop(key, None)
    lab.prepare_prefix(place, env)
    return subprocess.run(["wine", str(exe)], env=env, stdin=subprocess.DEVNULL).returncode


def window_shown(env) -> bool:
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", MAIN_TITLE], env=env,
                          stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0


def run_in_lab(build: Path, exe: Path, seconds: float) -> int:
    place = build / "run"
    lab.start(place)
    program = None
    try:
        env = dict(os.environ)
        env.update(lab.read_env(place))
        program = subprocess.Popen(["wine", str(exe)], cwd=str(exe.parent), env=env,
                                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        # The time counts from the moment the window is there (a cold Wine
        # prefix takes a while); then the program simply runs.
        lab.wait_for(lambda: window_shown(env), 120, "the program's window")
        time.sleep(seconds)
        shot = place / "screenshot.png"
        subprocess.run(["import", "-window", "root", str(shot)], env=env, check=True)
    finally:
        if program and program.poll() is None:
            program.kill()
            program.wait()
        lab.stop(place)
    print("screenshot:", place / "screenshot.png")
    print("sound:     ", place / "recording.wav")
    return 0


def main() -> int:
    build = Path(sys.argv[1]).resolve()
    exe = build / "heyu.exe"
    if os.environ.get("DISPLAY") and sound_server_reachable():
        return run_on_desktop(build, exe)
    return run_in_lab(build, exe, float(os.environ.get("RUN_SECONDS", "20")))


if __name__ == "__main__":
    sys.exit(main())
