#!/usr/bin/python3
"""Timing helpers for bench/peers.sh; each prints one line of figures that the script reads.

  lines STREAM REGEX LOG [--memory] -- COMMAND...
      Runs COMMAND, reads STREAM (stdout or stderr) through a pipe and stamps every line that
      matches REGEX as it arrives; everything else goes to LOG. Prints
        matched wall_ms first_ms median_ms exit_status
      where a line's time is the gap to the previous matching line (the first one's: to the
      launch), median_ms is the median of those gaps after the first, first_ms the time from
      the launch to the first line. Then come the medians of the first and of the last tenth
      of the gaps after the first: a long run that slows down as it goes shows there; last
      the mean of the gaps after the first (a program that converts two documents at once
      reports them in pairs, a short gap after a long one: their median says little). With
      --memory COMMAND is expected to be /usr/bin/time, and
      the process it starts is watched every 0.2 s: two more figures follow, that process's own
      peak resident set (VmHWM, last reading) and the largest sum of the resident sets of it
      and all its descendants seen at one reading, both in kB, before those two medians.

  img2pdf OUTDIR PICTURE...
      One PDF per picture through img2pdf's Python API, in this one process. Prints
        count median_ms first_ms mean_ms
      (the median and the mean of the calls after the first).

  pdfs FOLDER
      Prints how many files of FOLDER begin as a PDF does.

  startup RUNS NAME LOG -- COMMAND...
      Starts COMMAND RUNS times on the display of DISPLAY, polls until a visible window whose
      name matches NAME exists, ends the program with SIGTERM and waits for it; the program's
      output goes to LOG. Prints
        median_ms ms,ms,...
"""

import os
import re
import signal
import statistics
import subprocess
import sys
import threading
import time


def ms(seconds):
    return round(seconds * 1000)


def median_after_first(gaps):
    rest = gaps[1:]
    return ms(statistics.median(rest)) if rest else -1


def mean_after_first(gaps):
    rest = gaps[1:]
    return ms(statistics.mean(rest)) if rest else -1


def children(pid):
    found = []
    try:
        for task in os.listdir(f"/proc/{pid}/task"):
            with open(f"/proc/{pid}/task/{task}/children") as f:
                found += [int(c) for c in f.read().split()]
    except OSError:
        pass
    return found


def status_kb(pid, field):
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith(field + ":"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


class MemoryWatch(threading.Thread):
    """Samples the process that /usr/bin/time started, and the tree below it."""

    def __init__(self, time_pid):
        super().__init__(daemon=True)
        self.time_pid = time_pid
        self.main_hwm = 0
        self.tree_peak = 0
        self.done = threading.Event()

    def run(self):
        main = None
        while not self.done.is_set():
            if main is None:
                below = children(self.time_pid)
                main = below[0] if below else None
            if main is not None:
                hwm = status_kb(main, "VmHWM")
                self.main_hwm = max(self.main_hwm, hwm)
                tree, pending = 0, [main]
                while pending:
                    pid = pending.pop()
                    tree += status_kb(pid, "VmRSS")
                    pending += children(pid)
                self.tree_peak = max(self.tree_peak, tree)
            self.done.wait(0.2)


def lines(args):
    stream, pattern, log_path = args[0], re.compile(args[1]), args[2]
    memory = "--memory" in args[3:args.index("--")]
    command = args[args.index("--") + 1:]
    with open(log_path, "ab") as log:
        piped = {"stdout": subprocess.PIPE, "stderr": log}
        if stream == "stderr":
            piped = {"stdout": log, "stderr": subprocess.PIPE}
        start = time.monotonic()
        process = subprocess.Popen(command, stdin=subprocess.DEVNULL, **piped)
        watch = MemoryWatch(process.pid) if memory else None
        if watch:
            watch.start()
        source = process.stderr if stream == "stderr" else process.stdout
        stamps = []
        for raw in source:
            now = time.monotonic()
            if pattern.search(raw.decode("utf-8", "replace")):
                stamps.append(now)
            log.write(raw)
        status = process.wait()
        end = time.monotonic()
    if watch:
        watch.done.set()
        watch.join()
    gaps = [b - a for a, b in zip([start] + stamps, stamps)]
    figures = [len(stamps), ms(end - start), ms(stamps[0] - start) if stamps else -1,
               median_after_first(gaps), status]
    if watch:
        figures += [watch.main_hwm, watch.tree_peak]
    rest = gaps[1:]
    tenth = max(1, len(rest) // 10)
    figures += [median_after_first(gaps[:tenth + 1]), median_after_first([0] + rest[-tenth:])]
    figures.append(mean_after_first(gaps))
    print(*figures)


def pictures(args):
    import img2pdf

    outdir, files = args[0], args[1:]
    times = []
    for path in files:
        name = os.path.splitext(os.path.basename(path))[0] + ".pdf"
        begin = time.monotonic()
        with open(os.path.join(outdir, name), "wb") as out:
            out.write(img2pdf.convert(path))
        times.append(time.monotonic() - begin)
    print(len(times), median_after_first(times), ms(times[0]) if times else -1,
          mean_after_first(times))


def pdfs(args):
    count = 0
    for entry in os.scandir(args[0]):
        if entry.is_file(follow_symlinks=False):
            with open(entry.path, "rb") as f:
                count += f.read(5) == b"%PDF-"
    print(count)


def window_shown(name):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", name],
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    return found.returncode == 0 and found.stdout.strip() != b""


def startup(args):
    runs, name, log = int(args[0]), args[1], open(args[2], "ab")
    command = args[args.index("--") + 1:]
    # xvfb-run may hand over before its server answers: wait for it, outside the timing.
    waited = time.monotonic()
    while subprocess.run(["xdotool", "getmouselocation"], stdout=subprocess.DEVNULL,
                         stderr=subprocess.DEVNULL).returncode != 0:
        if time.monotonic() - waited > 30:
            sys.exit(f"the display {os.environ.get('DISPLAY')} does not answer")
        time.sleep(0.05)
    times = []
    for _ in range(runs):
        start = time.monotonic()
        process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=log, stderr=log)
        shown = None
        while process.poll() is None and time.monotonic() - start < 60:
            if window_shown(name):
                shown = time.monotonic()
                break
            time.sleep(0.01)
        process.send_signal(signal.SIGTERM)
        try:
            process.wait(timeout=30)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
        if shown is None:
            sys.exit(f"the window '{name}' was not shown within 60 s "
                     f"(exit status {process.returncode}, see {args[2]})")
        times.append(ms(shown - start))
    print(round(statistics.median(times)), ",".join(map(str, times)))


if __name__ == "__main__":
    modes = {"lines": lines, "img2pdf": pictures, "pdfs": pdfs, "startup": startup}
    if len(sys.argv) < 2 or sys.argv[1] not in modes:
        sys.exit(__doc__)
    modes[sys.argv[1]](sys.argv[2:])
