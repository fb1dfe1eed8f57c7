#!/usr/bin/env python3
"""An unattended `corvanta -BATCH` run of a starting folder of N tiny XML files, measured.

    scripts/measure-folder-run.py [N ...]      (default: 1000 10000)

Each run gets a private HOME and XDG folders holding the stored folders, as README's "Preparing an
unattended run" shows. Printed per N: the time the program logs for listing and sorting the
folder, the seconds from the start to the first row reported on standard error (start-up, the
listing, the first document), the whole run's wall time, the program's resident memory when 10%,
50% and 90% of the rows were done, and its peak resident memory (the kernel's high-water mark of the program process; renderer processes
are not counted). Run ./scripts/build.sh first.
"""

import os
import re
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PROGRAM = os.path.join(ROOT, "build", "bin", "corvanta")
ROW = re.compile(rb"^\[(\d+)/(\d+)\] ")
LISTED = re.compile(rb"listed (\d+) entries in (\d+) ms")


def rss_kb(pid):
    try:
        with open(f"/proc/{pid}/status", "rb") as status:
            for line in status:
                if line.startswith(b"VmRSS:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def measure(count):
    with tempfile.TemporaryDirectory(prefix="corvanta-folder-") as home:
        start_folder = os.path.join(home, "in")
        destination = os.path.join(home, "out")
        config = os.path.join(home, ".config", "Corvanta")
        os.makedirs(start_folder)
        os.makedirs(destination)
        os.makedirs(config, mode=0o700)
        for i in range(count):
            with open(os.path.join(start_folder, f"order{i}.xml"), "w") as document:
                document.write(f'<order id="{i}"/>\n')
        settings = os.path.join(config, "settings.ini")
        with open(settings, "w") as stored:
            stored.write("[Software\\Corvanta\\Program]\n"
                         f"ConvertStartFolder=string:{start_folder}\n"
                         f"ConvertDestinationFolder=string:{destination}\n")
        os.chmod(settings, 0o600)

        env = dict(os.environ)
        for name in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"):
            env.pop(name, None)
        env.update(HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                   XDG_DATA_HOME=os.path.join(home, ".local", "share"),
                   XDG_CACHE_HOME=os.path.join(home, ".cache"),
                   QT_LOGGING_RULES="corvanta.batch.debug=true")

        began = time.monotonic()
        program = subprocess.Popen([PROGRAM, "-BATCH"], env=env, stderr=subprocess.PIPE,
                                   stdout=subprocess.DEVNULL)
        first_row = None
        marks = {}
        rows = 0
        listing = "not logged"
        for line in program.stderr:
            listed = LISTED.search(line)
            if listed:
                listing = f"{int(listed.group(2))} ms for {int(listed.group(1))} entries"
            match = ROW.match(line)
            if not match:
                continue
            rows = int(match.group(1))
            if first_row is None:
                first_row = time.monotonic() - began
            for share in (10, 50, 90):
                if share not in marks and rows * 100 >= share * count:
                    marks[share] = rss_kb(program.pid)
        _, status, usage = os.wait4(program.pid, 0)
        wall = time.monotonic() - began
        converted = len(os.listdir(destination))
        print(f"N={count}: exit {os.waitstatus_to_exitcode(status)}, {rows} rows reported, "
              f"{converted} PDFs")
        print(f"  listing and sorting the folder: {listing}")
        print(f"  start to first row: {first_row or 0:.3f} s")
        print(f"  wall time: {wall:.2f} s ({1000 * wall / max(count, 1):.1f} ms per document)")
        print("  resident at 10/50/90% of the rows: " +
              " / ".join(f"{marks.get(share, 0) / 1024:.0f}" for share in (10, 50, 90)) + " MB")
        print(f"  peak resident: {usage.ru_maxrss / 1024:.0f} MB")


def main():
    counts = [int(argument) for argument in sys.argv[1:]] or [1000, 10000]
    if not os.access(PROGRAM, os.X_OK):
        sys.exit(f"{PROGRAM} is missing: run ./scripts/build.sh first")
    for count in counts:
        measure(count)


if __name__ == "__main__":
    main()
