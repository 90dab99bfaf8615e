"""Start-up, memory and idle cost of tolvan beside bare Qt windows.

Under a private Xvfb with openbox (the UI tests' world, with the
accessibility bridge left off), each subject is launched in turn, round-robin:
the time from just before fork to its first mapped window and to its first
drawn frame, its RSS and PSS three seconds after the window, and, once per
subject after the rounds, its CPU ticks and wake-ups over an idle spell.
Prints medians with minimum and maximum, and tolvan's figures as a ratio to
the bare Qt Quick window of the same scene-graph backend.

Usage: startupbench.py BUILD   (ROUNDS, WARMUP, IDLE_SECONDS in the environment)
"""

import ctypes
import glob
import os
import signal
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "ui"))
from uiworld import World, wait  # noqa: E402

BUILD = os.path.abspath(sys.argv[1])
ROUNDS = int(os.environ.get("ROUNDS", "20"))
WARMUP = int(os.environ.get("WARMUP", "3"))
IDLE_SECONDS = int(os.environ.get("IDLE_SECONDS", "30"))
MEMORY_DELAY = 3
PR_SET_CHILD_SUBREAPER = 36
BACKENDS = {"software": {"QT_QUICK_BACKEND": "software"},
            "opengl": {"QSG_RHI_BACKEND": "opengl", "LIBGL_ALWAYS_SOFTWARE": "1"}}


def program(path):
    return os.path.join(BUILD, path)


class Subject:
    def __init__(self, name, argv, backend, env):
        self.name, self.argv, self.backend, self.env = name, argv, backend, env
        self.samples = {"map": [], "frame": [], "rss": [], "pss": []}
        self.idle = None

    @property
    def label(self):
        return f"{self.name} ({self.backend})"


def smaps(pid):
    values = {}
    with open(f"/proc/{pid}/smaps_rollup") as rollup:
        for line in rollup:
            parts = line.split()
            if parts[0] in ("Rss:", "Pss:"):
                values[parts[0][:-1].lower()] = int(parts[1]) / 1024
    return values


def cpu_and_wakeups(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    ticks = int(fields[11]) + int(fields[12])
    switches = 0
    for status in glob.glob(f"/proc/{pid}/task/*/status"):
        try:
            with open(status) as text:
                for line in text:
                    if line.startswith("voluntary_ctxt_switches:"):
                        switches += int(line.split()[1])
        except FileNotFoundError:
            pass
    return ticks, switches


def stop(pid):
    try:
        os.kill(pid, signal.SIGTERM)
    except ProcessLookupError:
        return
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        if os.waitpid(pid, os.WNOHANG) != (0, 0):
            return
        time.sleep(0.05)
    os.kill(pid, signal.SIGKILL)
    os.waitpid(pid, 0)


def run_once(world, subject, record, idle=False):
    report = tempfile.NamedTemporaryFile(prefix="frame-", dir=world.home, delete=False).name
    env = dict(world.env, TOLVAN_REPORT_FIRST_FRAME=report, **subject.env)
    launcher = subprocess.run([program("bench/startup/tolvan_bench_launch"), "20", *subject.argv],
                              env=env, capture_output=True, text=True, timeout=60)
    lines = dict(line.split() for line in launcher.stdout.splitlines())
    pid = int(lines["pid"])
    try:
        if launcher.returncode != 0:
            raise RuntimeError(f"{subject.label}: {launcher.stderr.strip()}")
        launched, mapped = int(lines["launch"]), int(lines["map"])

        def first_frame():
            with open(report) as text:
                found = [line.split()[1] for line in text if line.startswith("first-frame ")]
            return int(found[0]) if found else None
        frame = wait(first_frame, f"the first frame of {subject.label}", timeout=20)
        time.sleep(MEMORY_DELAY)
        memory = smaps(pid)
        if record:
            subject.samples["map"].append((mapped - launched) / 1e6)
            subject.samples["frame"].append((frame - launched) / 1e6)
            subject.samples["rss"].append(memory["rss"])
            subject.samples["pss"].append(memory["pss"])
        if idle:
            ticks, switches = cpu_and_wakeups(pid)
            time.sleep(IDLE_SECONDS)
            later_ticks, later_switches = cpu_and_wakeups(pid)
            subject.idle = (later_ticks - ticks, (later_switches - switches) * 60 / IDLE_SECONDS)
    finally:
        stop(pid)
        os.unlink(report)


def row(values):
    return (f"{statistics.median(values):8.1f} {min(values):8.1f} {max(values):8.1f}"
            if values else f"{'-':>8} {'-':>8} {'-':>8}")


def main():
    # The launcher leaves each subject behind; as their reaper, this process
    # can wait for them to end.
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)
    with World(BUILD, "bench-startup") as world:
        # The bench measures the app as a user starts it: no accessibility bridge.
        world.env.pop("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", None)
        world.save_session("bench@example.com")
        signed_in = world.env["TOLVAN_CREDENTIAL_STORE"]
        signed_out = "file:" + os.path.join(world.home, "no-session.json")
        tolvan = program("src/app/tolvan")
        subjects = []
        for backend, env in BACKENDS.items():
            subjects += [
                Subject("tolvan signed out", [tolvan], backend,
                        dict(env, TOLVAN_CREDENTIAL_STORE=signed_out)),
                Subject("tolvan signed in", [tolvan], backend,
                        dict(env, TOLVAN_CREDENTIAL_STORE=signed_in)),
                Subject("bare Qt Quick", [program("bench/startup/tolvan_bench_barequick")],
                        backend, env),
                Subject("bare Qt Widgets", [program("bench/startup/tolvan_bench_barewidgets")],
                        backend, env),
            ]
        for round_number in range(WARMUP + ROUNDS):
            for subject in subjects:
                run_once(world, subject, record=round_number >= WARMUP)
            print(f"round {round_number + 1} of {WARMUP + ROUNDS}", file=sys.stderr)
        for subject in subjects:
            run_once(world, subject, record=False, idle=True)

    print(f"{ROUNDS} rounds after {WARMUP} warm-up rounds; idle over {IDLE_SECONDS} s")
    print(f"{'subject':34} {'figure':18} {'median':>8} {'min':>8} {'max':>8} {'× bare Quick':>12}")
    figures = {"map": "launch→map ms", "frame": "launch→frame ms", "rss": "RSS MB",
               "pss": "PSS MB"}
    bare = {subject.backend: subject for subject in subjects if subject.name == "bare Qt Quick"}
    for subject in subjects:
        for key, title in figures.items():
            values = subject.samples[key]
            ratio = ""
            if subject.name.startswith("tolvan") and values:
                ratio = f"{statistics.median(values) / statistics.median(bare[subject.backend].samples[key]):12.2f}"
            print(f"{subject.label:34} {title:18} {row(values)} {ratio}")
        ticks, wakeups = subject.idle
        print(f"{subject.label:34} {'idle CPU ticks':18} {ticks:8d}")
        print(f"{subject.label:34} {'idle wake-ups/min':18} {wakeups:8.1f}")


if __name__ == "__main__":
    main()
