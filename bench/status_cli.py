#!/usr/bin/python3
"""What a status bar pays to ask Kestrel how the day goes: `kestrel status --json`.

  bench/status_cli.py PROGRAM [--calls 20]

Runs PROGRAM (build/app/kestrel-e2e) `status --json` CALLS times in a temporary home with a
day log of 960 checks, first with no Kestrel running (the answer comes from the day's log),
then with one running (offscreen, on a private session bus, playing a video as its camera), and
prints the median and the worst wall time and peak resident memory of the calls, and the
shared libraries one call maps. Figures are measured, never asserted.
"""
import argparse
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from tray_cpu import BASELINES, make_video, models_folder  # noqa: E402


def day_log(folder):
    """A full day of checks, one a minute for 16 hours, with a few alerts."""
    logs = os.path.join(folder, "Larkspur", "logs")
    os.makedirs(logs)
    day = time.strftime("%Y-%m-%d", time.gmtime())
    with open(os.path.join(logs, day + ".jsonl"), "w") as f:
        for minute in range(960):
            stamp = f"{day}T{6 + minute // 60:02d}:{minute % 60:02d}:00Z"
            verdict = "BAD" if minute % 7 == 0 else "GOOD"
            f.write(json.dumps({"type": "check", "schema": 2, "t": stamp, "ms": 41.5, "hand": "GOOD",
                                "head": {"verdict": verdict, "basis": "shoulders", "clearOK": verdict == "GOOD"},
                                "stale": False},
                               separators=(",", ":")) + "\n")
            if minute % 120 == 0:
                f.write(json.dumps({"type": "event", "schema": 2, "t": stamp, "event": "alert_raise",
                                    "module": "head", "alertId": f"A{minute}", "hint": "Head forward"},
                                   separators=(",", ":")) + "\n")


def calls(program, env, count):
    """Wall time and peak resident memory of COUNT calls. The peak is GNU time's: measured from
    Python, a child's peak would start at the size of this script at the fork."""
    walls, peaks, answer = [], [], ""
    for _ in range(count):
        with tempfile.NamedTemporaryFile("r") as peak:
            began = time.monotonic()
            out = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", peak.name, program, "status", "--json"],
                                 env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout
            walls.append((time.monotonic() - began) * 1000)
            peaks.append(int(peak.read().split()[-1]) / 1024)
        answer = out.decode().strip()
    return walls, peaks, answer


def report(name, walls, peaks, answer):
    print(f"{name}: wall median {statistics.median(walls):.1f} ms (worst {max(walls):.1f} ms), "
          f"peak resident median {statistics.median(peaks):.1f} MB (worst {max(peaks):.1f} MB)")
    print(f"  answer: {answer}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("--calls", type=int, default=20)
    args = parser.parse_args()
    program = os.path.abspath(args.program)
    home = tempfile.mkdtemp(prefix="kestrel-status-bench-")
    processes = []
    try:
        data, config = os.path.join(home, "data"), os.path.join(home, "config")
        day_log(data)
        with open(os.path.join(data, "Larkspur", "baselines.json"), "w") as f:
            f.write(BASELINES)
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                               stdout=subprocess.PIPE, text=True)
        processes.append(bus)
        env = dict(os.environ, HOME=home, XDG_DATA_HOME=data, XDG_CONFIG_HOME=config, XDG_RUNTIME_DIR=home, TZ="UTC",
                   DBUS_SESSION_BUS_ADDRESS=bus.stdout.readline().strip(), QT_QPA_PLATFORM="offscreen",
                   DBUS_SYSTEM_BUS_ADDRESS=f"unix:path={home}/no-system-bus", KESTREL_MODELS=models_folder())
        libraries = subprocess.run(["ldd", program], capture_output=True, text=True).stdout.count("=>")
        print(f"{program}: {libraries} shared libraries")
        report("no Kestrel running", *calls(program, env, args.calls))

        video = os.path.join(home, "camera.avi")
        make_video(video)
        tray_log = open(os.path.join(home, "tray.log"), "w")
        tray = subprocess.Popen([program, "--camera-file", video], env=env, stdout=tray_log, stderr=tray_log)
        processes.append(tray)
        deadline = time.monotonic() + 30
        while '"running":true' not in calls(program, env, 1)[2]:
            if time.monotonic() > deadline or tray.poll() is not None:
                tray_log.flush()
                sys.exit("the tray program did not come up on the bus:\n" +
                         open(os.path.join(home, "tray.log")).read()[-2000:])
            time.sleep(0.2)
        report("Kestrel running", *calls(program, env, args.calls))
    finally:
        for process in reversed(processes):
            process.terminate()
            process.wait(10)
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    main()
