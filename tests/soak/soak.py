#!/usr/bin/env python3
"""A long run of the mixer: heyu-tones.exe plays for SOAK_MINUTES (10 by
default) while its sliders are moved now and then, and then:

- every channel kept looping: in the recording, each play of a channel's
  tone lasts the tone's length, each pause between plays at most one loop
  period, the number of restarts fits the time played, and the channel still
  loops at the end;
- the settings file stayed well-formed: the section line and a line for each
  slider moved so far, with the value last set (all six by the end);
- the memory stayed flat: the resident set and the private (anonymous)
  memory of the process, read from /proc every minute, end within a small
  margin of what they were after the warm-up;
- the program ends with exit code 0 after WM_CLOSE.

    SOAK_MINUTES=1 HEYU_BUILD_DIR=build/x86_64 HEYU_PROGRAM_DIR=build/x86_64 python3 tests/soak/soak.py

With HEYU_LAB_DIR set it uses that (started) lab, otherwise it starts one in
<build>/soak-lab and stops it at the end. Exits 1 when a check fails.
"""
import math
import os
import random
import shutil
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
BUILD = Path(os.environ.get("HEYU_BUILD_DIR", ROOT / "build")).resolve()
os.environ["HEYU_BUILD_DIR"] = str(BUILD)
OWN_LAB = "HEYU_LAB_DIR" not in os.environ
os.environ.setdefault("HEYU_LAB_DIR", str(BUILD / "soak-lab"))
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
import harness  # noqa: E402
import sound  # noqa: E402

MINUTES = float(os.environ.get("SOAK_MINUTES", "10"))
RECORDING = harness.LAB / "recording.wav"
CHANNELS = range(1, 7)
LOOP_PERIOD_S = 3.0        # the loop check's period
# How far a play's sounding time may fall short of its tone's length or run
# over it: the recording's windows, and the platform's output stalling on a
# busy machine.
PLAY_EARLY_S = 1.5
PLAY_LATE_S = 2.5
# How far a restart may come after a loop period: the track file's write,
# the device's open and start, on a busy machine.
PAUSE_SLACK_S = 1.5
# The memory is compared with its first sample after this share of the run
# (two minutes of ten): the platform's media playback grows to its working
# size over the first minutes, and moves by a few MB either way from then on.
WARM_UP_SHARE = 0.2
MEMORY_MARGIN_KB = 4096    # how far the last samples may lie above the reference
CHUNK_S = 60.0             # the recording is read a minute at a time


def memory_kb(pid):
    """The resident set and the private anonymous memory of a process, in kB."""
    fields = {}
    for line in Path("/proc/%d/status" % pid).read_text().splitlines():
        key, _, value = line.partition(":")
        fields[key] = value.split()
    return int(fields["VmRSS"][0]), int(fields["RssAnon"][0])


def settings_lines(folder):
    path = folder / "config.ini"
    if not path.exists():
        return None
    return [line for line in path.read_bytes().decode("gbk").splitlines() if line.strip()]


def check_settings(folder, last_set, problems, when):
    lines = settings_lines(folder)
    expected = {"v%d=%d" % (n, v) for n, v in last_set.items()}
    if (lines is None or lines[0] != "[config]" or len(lines) != len(expected) + 1
            or set(lines[1:]) != expected):
        problems.append("settings file %s: %r, expected [config] and %s"
                        % (when, lines, sorted(expected)))


def frames_between(start_s, end_s):
    frames = []
    at = start_s
    while at < end_s - 0.1:
        part = sound.levels(RECORDING, at, min(end_s, at + CHUNK_S))
        if not part:
            break
        frames += part
        at = part[-1][0] + (part[1][0] - part[0][0] if len(part) > 1 else 0.1)
    return frames


def loops_of(frames, channel, end_s, problems):
    """The restarts of one channel, from its pauses in the recording. A busy
    machine makes the platform's output drop out for a moment now and then,
    in the middle of a play; the pause that ends a play is the longest one
    that comes when the channel has sounded for about its tone's length."""
    length = sound.TONE_SECONDS[channel]
    first = sound.onset(frames, channel)
    if first is None:
        problems.append("channel %d never sounded" % channel)
        return None
    pauses = [g for g in sound.gaps(frames, channel) if g[0] > first]
    starts, dropouts, dropped_s = [first], 0, 0.0
    index = 0
    while True:
        begin, silent, chosen, silent_before = starts[-1], 0.0, None, 0.0
        for j in range(index, len(pauses)):
            pause = pauses[j]
            sounded = pause[0] - begin - silent
            if sounded > length + PLAY_LATE_S:
                break
            if sounded >= length - PLAY_EARLY_S and (
                    chosen is None or pause[1] - pause[0] > pauses[chosen][1] - pauses[chosen][0]):
                chosen, silent_before = j, silent
            silent += pause[1] - pause[0]
        if chosen is None:
            sounded = end_s - begin - sum(b - a for a, b in pauses[index:])
            if sounded > length + PLAY_LATE_S:
                problems.append("channel %d sounded %.1f s from %.1f s without the pause of "
                                "a restart" % (channel, sounded, begin))
            break
        dropouts += chosen - index
        dropped_s += silent_before
        stop, again = pauses[chosen]
        if again >= end_s - 0.2:  # silent when the soak ended
            if end_s - stop > LOOP_PERIOD_S + PAUSE_SLACK_S:
                problems.append("channel %d stopped at %.1f s and did not restart"
                                % (channel, stop))
            break
        if again - stop > LOOP_PERIOD_S + PAUSE_SLACK_S:
            problems.append("channel %d paused %.1f s from %.1f s"
                            % (channel, again - stop, stop))
        starts.append(again)
        index = chosen + 1
    restarts = len(starts) - 1
    played = end_s - first
    low = math.floor(played / (length + LOOP_PERIOD_S + PAUSE_SLACK_S))
    high = math.ceil(played / length)
    if not low <= restarts <= high:
        problems.append("channel %d restarted %d times in %.0f s, expected %d..%d"
                        % (channel, restarts, played, low, high))
    periods = [b - a for a, b in zip(starts, starts[1:])]
    return {"restarts": restarts, "low": low, "high": high, "dropouts": dropouts,
            "dropped_s": dropped_s, "period": sum(periods) / len(periods) if periods else 0.0}


def soak(problems):
    folder = BUILD / "soak"
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    shutil.copy(harness.TONES_EXE, folder / "heyu.exe")
    harness.wait_no_window()
    program = harness.Program(folder / "heyu.exe")
    try:
        window = harness.wait_window()
        clock = sound.clock(RECORDING)
        began = time.monotonic()
        shown = clock(began)
        bars = {n: harness.control(window, "volumeBar%d" % n)["hwnd"] for n in CHANNELS}
        duration = MINUTES * 60.0
        sample_every = min(60.0, duration / 6)
        moves = max(8, int(MINUTES * 2))
        move_every = duration / (moves + 1)
        choose = random.Random(1)
        last_set, samples = {}, []
        next_sample, next_move, moved = 0.0, move_every, 0
        while True:
            elapsed = time.monotonic() - began
            if elapsed >= duration:
                break
            if not program.running():
                problems.append("the program ended by itself after %.0f s" % elapsed)
                return None
            if elapsed >= next_sample:
                samples.append((elapsed,) + memory_kb(program.process.pid))
                next_sample += sample_every
            if elapsed >= next_move:
                # Channels in turn, so that all six are stored by the end; never
                # down to silence, which would read as a gap in the loop.
                channel = CHANNELS[moved % 6]
                value = choose.randrange(40, 101)
                harness.set_property(bars[channel], harness.PROPERTY_POSITION, value)
                last_set[channel] = value
                moved += 1
                check_settings(folder, last_set, problems, "after move %d" % moved)
                next_move += move_every
            time.sleep(min(1.0, max(0.05, min(next_sample, next_move) - elapsed)))
        samples.append((time.monotonic() - began,) + memory_kb(program.process.pid))
        ended = clock(time.monotonic())
        harness.post(window["hwnd"], harness.WM_CLOSE)
        code = program.exit_code(timeout=60)
        if code != 0:
            problems.append("exit code %d after WM_CLOSE" % code)
        harness.wait_no_window()
    finally:
        program.kill()
    check_settings(folder, last_set, problems, "at the end")
    if len(last_set) != 6:
        problems.append("only sliders %s were moved" % sorted(last_set))
    return shown, ended, samples, last_set, moved


def report_memory(samples, warm_up_s, problems):
    print("memory (minute: resident MB / private MB):")
    print("  " + "  ".join("%.1f: %.1f/%.1f" % (t / 60, rss / 1024, anon / 1024)
                           for t, rss, anon in samples))
    reference = next(sample for sample in samples if sample[0] >= warm_up_s)
    for t, rss, anon in samples[-2:]:
        for name, value, base in (("resident", rss, reference[1]),
                                  ("private", anon, reference[2])):
            if value - base > MEMORY_MARGIN_KB:
                problems.append("%s memory at %.1f min is %.1f MB, %.1f MB above %.1f min"
                                % (name, t / 60, value / 1024, (value - base) / 1024,
                                   reference[0] / 60))


def main():
    problems = []
    lab = ROOT / "tests" / "lab" / "lab.py"
    if OWN_LAB:
        subprocess.run([sys.executable, str(lab), "start", str(harness.LAB)],
                               check=True)
    try:
        result = soak(problems)
        if result:
            shown, ended, samples, last_set, moved = result
            harness.wait_until(lambda: sound.position(RECORDING) >= ended, 60,
                               "the recording to reach the end")
            frames = frames_between(shown, ended)
            print("soak of %.1f min: %d slider moves, last values %s"
                  % ((ended - shown) / 60, moved,
                     ", ".join("v%d=%d" % item for item in sorted(last_set.items()))))
            for n in CHANNELS:
                loops = loops_of(frames, n, ended, problems)
                if loops:
                    print("channel %d (%2d s tone): %3d restarts (expected %d..%d), mean period "
                          "%.1f s; %d dropouts inside plays, %.1f s in all"
                          % (n, sound.TONE_SECONDS[n], loops["restarts"], loops["low"],
                             loops["high"], loops["period"], loops["dropouts"],
                             loops["dropped_s"]))
            report_memory(samples, WARM_UP_SHARE * MINUTES * 60.0, problems)
    finally:
        if OWN_LAB:
            subprocess.run([sys.executable, str(lab), "stop", str(harness.LAB)])
    for problem in problems:
        print("FAILED:", problem)
    print("soak %s" % ("failed" if problems else "passed"))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
