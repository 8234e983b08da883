#!/usr/bin/python3
"""What the tray program costs while it lives: CPU, memory and the time to its tray icon.

  bench/tray_cpu.py PROGRAM [--seconds 600] [--video FILE]

Runs PROGRAM (build/app/kestrel-e2e) with --camera-file on a video made from a photo of Debian's
opencv-doc package, checking once a minute with the camera dozing between checks, under Xvfb
with private session and system buses and a StatusNotifierWatcher of its own, in a temporary
home. Samples /proc/PID/stat and /proc/PID/status once a second and prints:
  - the average CPU over the run as a share of one core, and per phase (dozing, check: the
    seconds with a check, burst included);
  - the peak and the steady resident memory (the median of the second half);
  - the time from the start to the tray icon's registration.
Figures are measured, never asserted.
"""
import argparse
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
PHOTO = "/usr/share/doc/opencv-doc/opencv4/html/Cascade_Classifier_Tutorial_Result_Haar.jpg"
TICKS = os.sysconf("SC_CLK_TCK")

WATCHER = os.path.join(HERE, "..", "tests", "e2e", "status_notifier_watcher.py")


def make_video(path):
    import cv2
    photo = cv2.imread(PHOTO)
    if photo is None:
        sys.exit("the photo is missing: install opencv-doc (scripts/setup does)")
    photo = photo[24:, :]
    writer = cv2.VideoWriter(path, cv2.VideoWriter_fourcc(*"MJPG"), 10, (photo.shape[1], photo.shape[0]))
    for _ in range(100):
        writer.write(photo)
    writer.release()


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


def resident_mb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("program")
    ap.add_argument("--seconds", type=float, default=600)
    ap.add_argument("--video")
    a = ap.parse_args()
    work = tempfile.mkdtemp(prefix="kestrel-bench-")
    started = []
    try:
        env = dict(os.environ, HOME=work, XDG_RUNTIME_DIR=work + "/run", XDG_DATA_HOME=work + "/data",
                   XDG_CONFIG_HOME=work + "/config", QT_QPA_PLATFORM="xcb")
        os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
        os.makedirs(env["XDG_CONFIG_HOME"] + "/Larkspur")
        with open(env["XDG_CONFIG_HOME"] + "/Larkspur/settings.json", "w") as f:
            f.write('{"checkInterval": 60, "cameraBetweenChecks": "off", "chimeEnabled": false}')
        video = a.video or work + "/camera.avi"
        if not a.video:
            make_video(video)
        display = ":%d" % (90 + os.getpid() % 100)
        started.append(subprocess.Popen(["Xvfb", display, "-screen", "0", "1280x800x24", "-noreset"],
                                        stderr=subprocess.DEVNULL, start_new_session=True))
        env["DISPLAY"] = display
        for variable in ("DBUS_SESSION_BUS_ADDRESS", "DBUS_SYSTEM_BUS_ADDRESS"):
            bus = subprocess.run(["dbus-daemon", "--session", "--fork", "--print-address=1", "--print-pid=1"],
                                 capture_output=True, text=True, env=env, check=True).stdout.split()
            env[variable] = bus[0]
            started.append(int(bus[1]))
        time.sleep(0.5)
        watcher = subprocess.Popen([sys.executable, WATCHER], env=env, stdout=subprocess.PIPE, text=True,
                                   start_new_session=True)
        started.append(watcher)
        assert watcher.stdout.readline().strip() == "ready"
        log = open(work + "/program.log", "w")
        t0 = time.time()
        program = subprocess.Popen([a.program, "--camera-file", video], env=env, stderr=log,
                                   stdout=subprocess.DEVNULL, start_new_session=True)
        started.append(program)
        # The watcher says when the item registers: that is when a tray shows the icon.
        tray = time.time() - t0 if '"registered"' in watcher.stdout.readline() else None

        samples = []  # (seconds since start, cpu seconds, resident MB)
        end = t0 + a.seconds
        while time.time() < end and program.poll() is None:
            samples.append((time.time() - t0, cpu_seconds(program.pid), resident_mb(program.pid)))
            time.sleep(1)
        program.send_signal(signal.SIGTERM)
        program.wait(timeout=20)
        log.close()

        with open(work + "/program.log") as f:
            text = f.read()
        check_count = text.count("Larkspur check head=")
        if len(samples) < 3:
            sys.exit("the program ended early:\n" + text[-2000:])
        total = samples[-1][1] - samples[0][1]
        span = samples[-1][0] - samples[0][0]
        steps = [(samples[i + 1][1] - samples[i][1]) / (samples[i + 1][0] - samples[i][0])
                 for i in range(len(samples) - 1)]
        busy = [s for s in steps if s > 0.05]
        quiet = [s for s in steps if s <= 0.05]
        memory = [s[2] for s in samples]
        print(f"run: {span:.0f} s, {check_count} checks")
        print(f"CPU average: {100 * total / span:.3f} % of one core")
        if quiet:
            print(f"  dozing (seconds under 5 %): {100 * statistics.mean(quiet):.3f} % over {len(quiet)} s")
        if busy:
            print(f"  checking (seconds over 5 %): {100 * statistics.mean(busy):.1f} % over {len(busy)} s")
        print(f"resident memory: peak {max(memory):.1f} MB, steady {statistics.median(memory[len(memory) // 2:]):.1f} MB")
        print(f"time to the tray icon: {tray:.3f} s" if tray is not None else "time to the tray icon: never registered")
    finally:
        for p in reversed(started):
            try:
                if isinstance(p, int):
                    os.kill(p, signal.SIGTERM)
                else:
                    os.killpg(p.pid, signal.SIGTERM)
                    p.wait(timeout=5)
            except Exception:
                pass
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
