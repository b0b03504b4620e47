"""cellplot with several jobs against one, side by side in one run: an output
of 8 pieces of 250,000 cells and 18 species (binary result files) converted
to ASCII, binary and zlib-compressed binary with --jobs=1 and with --jobs=N,
and the binary run against dd writing the same bytes into the same folder.
Each figure is the best of --runs runs; peak RSS gives the memory of a job.

    python3 bench/cellplot_jobs_bench.py BUILD_DIR [--jobs N] [--pieces P] [--cells N]

BUILD_DIR is a build of cellplot and make_results.  The work folder is on
/dev/shm when it exists, so that disk write-back does not blur the figures.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time


def timed(args, cwd):
    """Runs args; returns (seconds, peak RSS in MiB)."""
    t0 = time.perf_counter()
    child = subprocess.Popen(args, cwd=cwd, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    seconds = time.perf_counter() - t0
    if status != 0:
        sys.exit(f"{args[0]} failed with status {status}")
    return seconds, usage.ru_maxrss / 1024.0


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("build")
    ap.add_argument("--jobs", type=int, default=2)
    ap.add_argument("--pieces", type=int, default=8)
    ap.add_argument("--cells", type=int, default=250000)
    ap.add_argument("--runs", type=int, default=3)
    a = ap.parse_args()
    build = os.path.abspath(a.build)
    cellplot = os.path.join(build, "converter", "cellplot")
    make_results = os.path.join(build, "tests", "converter", "make_results")
    base = "/dev/shm" if os.path.isdir("/dev/shm") else None
    work = tempfile.mkdtemp(prefix="cellplot-jobs-bench-", dir=base)
    try:
        subprocess.run([make_results, "--pieces", str(a.pieces), "--cells", str(a.cells),
                        "--species", "18", "--binary"], cwd=work, check=True,
                       stdout=subprocess.DEVNULL)
        with open(os.path.join(work, "contview.dat"), "w") as f:
            f.write("\n" * 6 + "0\n\n\n0\n")

        def clean():
            for name in os.listdir(work):
                if name.endswith((".vtu", ".pvtu")) or name.startswith("copy"):
                    os.remove(os.path.join(work, name))

        def output_bytes():
            return sum(os.path.getsize(os.path.join(work, n)) for n in os.listdir(work)
                       if n.endswith((".vtu", ".pvtu")))

        def pair(args_one, args_many):
            """Best (seconds, peak RSS, bytes written) of each, the two run
            in turn so that a change in the machine's load falls on both."""
            got = ([], [])
            for _ in range(a.runs):
                for k, args in enumerate((args_one, args_many)):
                    clean()
                    got[k].append(timed(args, work))
            size = output_bytes()
            return min(got[0]) + (size,), min(got[1]) + (size,)

        styles = [("ascii", []), ("binary", ["--format=binary"]),
                  ("zlib", ["--format=binary", "--compress=zlib"])]
        rows = []
        for label, options in styles:
            one, many = pair([cellplot, "--jobs=1"] + options,
                             [cellplot, f"--jobs={a.jobs}"] + options)
            rows.append((label, one, many))

        # dd writing the binary output's bytes into the same folder: the
        # piece files in one stream, as one process without threads can.
        clean()
        subprocess.run([cellplot, "--format=binary", "--jobs=1"], cwd=work, check=True)
        size = output_bytes()
        pieces = sorted(n for n in os.listdir(work) if n.endswith(".vtu"))
        source = os.path.join(os.path.dirname(work), os.path.basename(work) + "-source")
        with open(source, "wb") as out:
            for n in pieces:
                with open(os.path.join(work, n), "rb") as f:
                    shutil.copyfileobj(f, out, 1 << 22)
        dd = []
        for _ in range(a.runs):
            clean()
            dd.append(timed(["dd", f"if={source}", "of=copy", "bs=4M", "status=none"], work)[0])
        os.remove(source)
        dd_s = min(dd)

        print(f"{a.pieces} pieces of {a.cells} cells, 18 species, binary input, in {work[:8]}; "
              f"best of {a.runs}; load average before: {os.getloadavg()[0]:.2f}")
        print(f"  {'format':<7} {'MB':>6} {'1 job s':>8} {f'{a.jobs} jobs s':>9} {'speed-up':>8}"
              f" {'MB/s':>6} {'RSS 1 MiB':>9} {f'RSS {a.jobs} MiB':>9}")
        for label, (s1, rss1, bytes1), (sn, rssn, _) in rows:
            print(f"  {label:<7} {bytes1 / 1e6:6.0f} {s1:8.3f} {sn:9.3f} {s1 / sn:7.2f}x"
                  f" {bytes1 / 1e6 / sn:6.0f} {rss1:9.0f} {rssn:9.0f}")
        binary_s = rows[1][2][0]
        print(f"  dd of the binary output's {size / 1e6:.0f} MB into the same folder: {dd_s:.3f} s,"
              f" {size / 1e6 / dd_s:.0f} MB/s; binary with {a.jobs} jobs runs at"
              f" {dd_s / binary_s:.2f} of dd's rate")
        print(f"  load average after: {os.getloadavg()[0]:.2f}")
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
