#!/usr/bin/python3
"""Benchmark of the real build/tamrel under Xvfb, measured from outside the
process, with a mock logind on a private bus (nothing reaches the machine's
own power-off). Prints a table; it is not a test.

  (a) launched program's exit -> shutdown screen mapped       target <= 100 ms
  (b) CPU time of tamrel during a 10 s wait                    target <= 10 ms
  (c) first number shown -> PowerOff, Seconds to cancel = 5    target 5000 +- 25 ms
  (d) peak resident memory during the wait                    target <= 20 MB
  (e) start -> setup window mapped, no settings file           target <= 300 ms
      (the "not found" box's time on screen left out: start -> box mapped,
      plus box unmapped -> setup window mapped)
  (f) resident memory with the setup window open               target <= 40 MB
  (g) "Done!" key -> settings file written and process ended   target <= 100 ms
      (from just before xdotool sends the Enter that chooses it)
  (h) joystick button pressed -> shutdown screen closed        target <= 50 ms
      (in one process, bench/JoystickLatency.cpp: SDL's virtual joystick,
      the worst of 10 presses a run)
  (i) CPU time during a wait with idle power-off on and no input, scaled
      to 10 minutes                                             target <= 50 ms
  (l) the same with a key every 3 s (each key wakes the wait once)
  (j) peak resident memory during that wait                   target <= 20 MB
  (k) a key 100 ms before the one-minute limit keeps the program running
      (1 yes, 0 no; the only case that takes a minute, so it runs once)

Usage: bench/run.py [BUILD_DIR] [RUNS]
"""

import os
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))

from harness import PrivateDisplay, PrivateSystemBus, ProgramFolder, kill, run_tamrel, wait_for  # noqa: E402

WAIT_SECONDS = 10


def cpu_ns(pid):
    with open(f"/proc/{pid}/schedstat") as stat:
        return int(stat.read().split()[0])


def peak_rss_kb(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return 0


def one_run(build):
    display = PrivateDisplay()
    bus = PrivateSystemBus({"CanPowerOff": "yes"})
    folder = ProgramFolder(os.path.join(build, "tamrel"))
    env = dict(os.environ, DISPLAY=display.display)
    watcher = subprocess.Popen([os.path.join(build, "bench", "tamrel_mapwatch")], env=env,
                               stdout=subprocess.PIPE, text=True)
    tamrel = None
    try:
        assert watcher.stdout.readline().strip() == "watching"
        folder.write_front_end(seconds=WAIT_SECONDS)
        folder.write_settings("Shutdown method =2", "Seconds to cancel =5")
        tamrel = run_tamrel(folder, display, bus)
        time.sleep(1.0)
        cpu_start = cpu_ns(tamrel.pid)
        time.sleep(WAIT_SECONDS - 2.0)
        cpu_used_ms = (cpu_ns(tamrel.pid) - cpu_start) / 1e6
        rss_mb = peak_rss_kb(tamrel.pid) / 1024.0
        times = {}
        for line in watcher.stdout:
            name, stamp = line.split()
            times[name] = float(stamp)
            if name == "drawn":
                break
        wait_for(lambda: bus.call_times("PowerOff"), timeout=15, what="PowerOff")
        with open(folder.file("ended.txt")) as ended:
            program_ended = float(ended.read())
        return {
            "a": (times["mapped"] - program_ended) * 1000,
            "b": cpu_used_ms,
            "c": (bus.call_times("PowerOff")[0] - times["drawn"]) * 1000,
            "d": rss_mb,
        }
    finally:
        if tamrel:
            kill(tamrel)
        kill(watcher)
        folder.close()
        bus.close()
        display.close()


def rss_kb(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def watch_maps(build, display):
    watcher = subprocess.Popen([os.path.join(build, "bench", "tamrel_mapwatch"), "--all"],
                               env=dict(os.environ, DISPLAY=display.display), stdout=subprocess.PIPE, text=True)
    assert watcher.stdout.readline().strip() == "watching"
    return watcher


def next_event(watcher, kind, test=lambda fields: True):
    for line in watcher.stdout:
        fields = line.split()
        if fields[0] == kind and test(fields):
            return fields
    raise AssertionError(f"no {kind} event")


def setup_run(build):
    display = PrivateDisplay()
    bus = PrivateSystemBus({"CanPowerOff": "yes"})
    folder = ProgramFolder(os.path.join(build, "tamrel"))
    watcher = watch_maps(build, display)
    processes = [watcher]
    full = lambda fields: int(fields[2]) >= display.width and int(fields[3]) >= display.height
    try:
        # No settings file: the box, answered at once, then the setup window.
        started = time.time()
        tamrel = run_tamrel(folder, display, bus)
        processes.append(tamrel)
        box = next_event(watcher, "map")
        display.xdotool("key", "Return")
        box_gone = next_event(watcher, "unmap", lambda fields: fields[1] == box[1])
        window = next_event(watcher, "map", full)
        shown_ms = (float(box[4]) - started + float(window[4]) - float(box_gone[2])) * 1000
        time.sleep(1.0)
        resident_mb = rss_kb(tamrel.pid) / 1024.0
        kill(tamrel)

        # "Run Setup = yes": the setup window at once; "Done!" from the keyboard
        # (Alt, open the first menu, up past "Cancel and Exit" to "Done!").
        folder.write_settings("Run Setup = yes", "Shutdown method =0")
        tamrel = run_tamrel(folder, display, bus)
        processes.append(tamrel)
        window = next_event(watcher, "map", full)
        display.xdotool("windowfocus", "--sync", window[1])
        display.xdotool("key", "--delay", "80", "alt", "Down", "Up", "Up")
        time.sleep(0.3)
        before = os.stat(folder.file("tamrel.set")).st_mtime_ns
        done = time.time()
        display.xdotool("key", "Return")
        while tamrel.poll() is None:
            assert time.time() - done < 10, "Done! did not end the program"
            time.sleep(0.0005)
        ended = time.time()
        assert os.stat(folder.file("tamrel.set")).st_mtime_ns != before, "Done! wrote nothing"
        assert "Run Setup = no" in folder.lines("tamrel.set")
        return {"e": shown_ms, "f": resident_mb, "g": (ended - done) * 1000}
    finally:
        for process in processes:
            kill(process)
        folder.close()
        bus.close()
        display.close()


def joystick_run(build):
    display = PrivateDisplay()
    try:
        out = subprocess.run([os.path.join(build, "bench", "tamrel_joystick_latency"), "10"],
                             env=dict(os.environ, DISPLAY=display.display), stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL, text=True, timeout=120, check=True).stdout.split()
        assert out[0] == "button-cancel-ms", out
        return {"h": max(float(value) for value in out[1:])}
    finally:
        display.close()


IDLE_SAMPLE_SECONDS = 18


def idle_run(build, key_before_limit, keys=False):
    """A front end that runs 75 s under a one-minute idle limit on Xvfb -noreset."""
    display = PrivateDisplay(noreset=True)
    bus = PrivateSystemBus({"CanPowerOff": "yes"})
    folder = ProgramFolder(os.path.join(build, "tamrel"))
    tamrel = None
    try:
        folder.write_front_end(seconds=75 if key_before_limit else IDLE_SAMPLE_SECONDS + 2)
        folder.write_settings("Shutdown method =2", "Seconds to cancel =5", "Idle minutes to power off =1")
        tamrel = run_tamrel(folder, display, bus)
        wait_for(lambda: os.path.exists(folder.file("started.txt")), what="the front end")
        started = time.monotonic()
        if key_before_limit:
            time.sleep(60 - 0.1)
            display.xdotool("key", "shift")
            wait_for(lambda: os.path.exists(folder.file("ended.txt")), timeout=30, what="the front end's end")
            return {"k": 0.0 if any(line.startswith("No input") for line in folder.events()) else 1.0}
        time.sleep(0.5)
        cpu_start = cpu_ns(tamrel.pid)
        while time.monotonic() - started < IDLE_SAMPLE_SECONDS:
            if keys:
                display.xdotool("key", "shift")
            time.sleep(3)
        cpu_ms = (cpu_ns(tamrel.pid) - cpu_start) / 1e6
        sampled = time.monotonic() - started - 0.5
        if keys:
            return {"l": cpu_ms * 600 / sampled}
        return {"i": cpu_ms * 600 / sampled, "j": peak_rss_kb(tamrel.pid) / 1024.0}
    finally:
        if tamrel:
            kill(tamrel)
        folder.close()
        bus.close()
        display.close()


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "build")
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    results = [dict(one_run(build), **setup_run(build), **joystick_run(build), **idle_run(build, False),
                    **idle_run(build, False, keys=True)) for _ in range(runs)]
    kept = idle_run(build, True)
    for result in results:
        result.update(kept)
    rows = [
        ("a", "program exit -> screen mapped", "ms", "<= 100", lambda v: v <= 100),
        ("b", "CPU during a 10 s wait (8 s sampled)", "ms", "<= 10", lambda v: v <= 10),
        ("c", "first number -> PowerOff (5 s)", "ms", "5000 +- 25", lambda v: abs(v - 5000) <= 25),
        ("d", "peak RSS during the wait", "MB", "<= 20", lambda v: v <= 20),
        ("e", "start -> setup window mapped (box left out)", "ms", "<= 300", lambda v: v <= 300),
        ("f", "RSS with the setup window open", "MB", "<= 40", lambda v: v <= 40),
        ("g", "Done! -> file written, process ended", "ms", "<= 100", lambda v: v <= 100),
        ("h", "joystick button -> screen closed", "ms", "<= 50", lambda v: v <= 50),
        ("i", "CPU, idle watch on, no input, per 10 min", "ms", "<= 50", lambda v: v <= 50),
        ("j", "peak RSS during the watched wait", "MB", "<= 20", lambda v: v <= 20),
        ("k", "key 100 ms before the limit keeps it running", "", "1", lambda v: v == 1),
        ("l", "CPU, idle watch on, a key every 3 s, per 10 min", "ms", "-", lambda v: True),
    ]
    print(f"{'':3}{'measure':46}{'median':>10}{'worst':>10}  {'unit':5}{'target':>12}  ok")
    for key, label, unit, target, ok in rows:
        values = [r[key] for r in results]
        worst = max(values, key=lambda v: abs(v - 5000)) if key == "c" else max(values)
        print(f"({key}){label:46}{statistics.median(values):10.1f}{worst:10.1f}  {unit:5}{target:>12}  "
              f"{'yes' if all(ok(v) for v in values) else 'NO'}")
    print(f"{runs} runs; each value is one run of build/tamrel under Xvfb without a window manager.")


if __name__ == "__main__":
    main()
