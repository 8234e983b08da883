#!/usr/bin/python3
"""What the tray program costs while it lives: CPU, memory and the time to its tray icon.

  bench/tray_cpu.py PROGRAM [--seconds 600] [--video FILE]

Runs PROGRAM (build/app/kestrel-e2e) with --camera-file on a video made from a photo of Debian's
opencv-doc package, checking once a minute with the camera dozing between checks, under Xvfb
with private session and system buses and a StatusNotifierWatcher of its own, in a temporary
home with a calibration in place (without one the program asks for it and never checks). Samples /proc/PID/stat and /proc/PID/status once a second and prints:
  - the average CPU over the run as a share of one core, and per phase (check: the seconds
    over 5 % and the two either side of them, which hold the camera's wake and the burst's
    last frames; dozing: the others);
  - the peak and the steady resident memory (the median of the second half), and how much of
    it at the end is the video file camera's own libraries, which a run on a real camera
    never loads;
  - the time from the start to the tray icon's registration;
  - the CPU seconds of each thread that used any, dozing and checking (the main thread is the
    Qt event loop; threads are told apart by their number and, where they set one, name).
Figures are measured, never asserted.
"""
import argparse
import glob
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
# The stand-in calibration the demo uses: one laptop baseline, any camera.
BASELINES = ('{"baselines":[{"faceHeight":0.3,"noseShoulderRatio":0.7,"pitch":0.0,"screen":"laptop",'
             '"shoulderWidth":0.25,"yaw":0.0}],"cameraID":"","id":"perf","reach":{"faceGrowth":0.3,"noseDrop":0.4},'
             '"schema":3}')

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


def models_folder():
    """Where scripts/setup put the vision models: the benchmarks run in a home of their own."""
    return os.environ.get("KESTREL_MODELS") or os.path.join(
        os.environ.get("XDG_DATA_HOME") or os.path.expanduser("~/.local/share"), "Kestrel", "models")


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


def libraries(path):
    """The real paths of the shared libraries `path` needs, as ldd lists them."""
    listing = subprocess.run(["ldd", path], capture_output=True, text=True).stdout
    return {os.path.realpath(f.split()[2]) for f in listing.splitlines() if "=> /" in f}


def resident_by_file(pid):
    """{mapped file's real path: resident MB} of the process."""
    sizes = {}
    name = None
    with open(f"/proc/{pid}/smaps") as f:
        for line in f:
            parts = line.split()
            if not parts[0].endswith(":"):
                name = os.path.realpath(parts[5]) if len(parts) > 5 and parts[5].startswith("/") else None
            elif parts[0] == "Rss:" and name:
                sizes[name] = sizes.get(name, 0) + int(parts[1]) / 1024
    return sizes


def thread_ticks(pid):
    """{thread id: (name, CPU ticks)} of each of the process's threads."""
    threads = {}
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/stat") as f:
                head, tail = f.read().rsplit(")", 1)
        except OSError:
            continue  # the thread ended
        fields = tail.split()
        threads[int(tid)] = (head.split("(", 1)[1], int(fields[11]) + int(fields[12]))
    return threads


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
                   XDG_CONFIG_HOME=work + "/config", QT_QPA_PLATFORM="xcb", KESTREL_MODELS=models_folder())
        os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
        os.makedirs(env["XDG_CONFIG_HOME"] + "/Larkspur")
        with open(env["XDG_CONFIG_HOME"] + "/Larkspur/settings.json", "w") as f:
            f.write('{"checkInterval": 60, "cameraBetweenChecks": "off", "chimeEnabled": false}')
        data = env["XDG_DATA_HOME"] + "/Larkspur"
        os.makedirs(data, mode=0o700)
        with open(data + "/baselines.json", "w") as f:
            f.write(BASELINES)
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
        threads = []  # thread_ticks() at each sample
        end = t0 + a.seconds
        while time.time() < end and program.poll() is None:
            samples.append((time.time() - t0, cpu_seconds(program.pid), resident_mb(program.pid)))
            threads.append(thread_ticks(program.pid))
            time.sleep(1)
        module = os.path.join(os.path.dirname(os.path.abspath(a.program)), "kestrel-file-camera.so")
        files = resident_by_file(program.pid) if program.poll() is None else {}
        program.send_signal(signal.SIGTERM)
        program.wait(timeout=20)
        log.close()

        with open(work + "/program.log") as f:
            text = f.read()
        # The checks as the day's logs have them (the system log may be journald's alone).
        check_count = 0
        for name in glob.glob(data + "/logs/*.jsonl"):
            with open(name) as f:
                check_count += sum('"type":"check"' in line for line in f)
        if len(samples) < 3:
            sys.exit("the program ended early:\n" + text[-2000:])
        total = samples[-1][1] - samples[0][1]
        span = samples[-1][0] - samples[0][0]
        # (CPU seconds, seconds) of each second between two samples.
        steps = [(samples[i + 1][1] - samples[i][1], samples[i + 1][0] - samples[i][0]) for i in range(len(samples) - 1)]
        over = [i for i, (cpu, dt) in enumerate(steps) if cpu > 0.05 * dt]
        in_check = {j for i in over for j in range(i - 2, i + 3)}
        phase_cpu = {p: sum(steps[i][0] for i in range(len(steps)) if (i in in_check) == p) for p in (False, True)}
        phase_time = {p: sum(steps[i][1] for i in range(len(steps)) if (i in in_check) == p) for p in (False, True)}
        memory = [s[2] for s in samples]
        print(f"run: {span:.0f} s, {check_count} checks")
        print(f"CPU average: {100 * total / span:.3f} % of one core")
        if phase_time[False]:
            print(f"  dozing: {100 * phase_cpu[False] / phase_time[False]:.3f} % over {phase_time[False]:.0f} s")
        if phase_time[True]:
            print(f"  checking: {100 * phase_cpu[True] / phase_time[True]:.2f} % over {phase_time[True]:.0f} s "
                  f"({phase_cpu[True] / max(check_count, 1):.3f} CPU s a check)")
        print(f"resident memory: peak {max(memory):.1f} MB, steady {statistics.median(memory[len(memory) // 2:]):.1f} MB")
        if files and os.path.exists(module):
            own = (libraries(module) | {os.path.realpath(module)}) - libraries(a.program)
            print(f"  of it at the end in the video file camera's own libraries: "
                  f"{sum(mb for name, mb in files.items() if name in own):.1f} MB")
        print(f"time to the tray icon: {tray:.3f} s" if tray is not None else "time to the tray icon: never registered")
        print(f"CPU before the first sample (start-up): {samples[0][1]:.2f} s")
        # Each thread's ticks per phase, the phase being the whole process's in that second.
        per_thread = {}  # tid -> [name, dozing ticks, checking ticks]
        for i in range(len(steps)):
            for tid, (name, ticks) in threads[i + 1].items():
                entry = per_thread.setdefault(tid, [name, 0, 0])
                entry[2 if i in in_check else 1] += ticks - threads[i].get(tid, (name, 0))[1]
        print("threads (CPU seconds dozing, checking):")
        for tid, (name, dozing, checking) in sorted(per_thread.items(), key=lambda kv: -(kv[1][1] + kv[1][2])):
            if dozing + checking > 0:
                label = "main" if tid == program.pid else name
                print(f"  {tid:>8} {label:<16} {dozing / TICKS:7.2f} {checking / TICKS:7.2f}")
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
