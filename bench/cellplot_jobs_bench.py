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
import tempfile

from cellplot_bench import timed


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
    load_before = os.getloadavg()[0]  # other work on the machine blurs the figures
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
            """Best (seconds, peak RSS, processor seconds, bytes written) of
            each, the two run in turn so that a change in the machine's load
            falls on both."""
            got = ([], [])
            for _ in range(a.runs):
                for k, args in enumerate((args_one, args_many)):
                    clean()
                    got[k].append(timed(args, work, cpu=True))
            size = output_bytes()
            return min(got[0]) + (size,), min(got[1]) + (size,)

        def dd_same_bytes():
            """Best time of dd writing the output now in the folder (its piece
            files in one stream, as one process without threads can) into the
            same folder."""
            pieces = sorted(n for n in os.listdir(work) if n.endswith(".vtu"))
            source = work + "-source"
            with open(source, "wb") as out:
                for n in pieces:
                    with open(os.path.join(work, n), "rb") as f:
                        shutil.copyfileobj(f, out, 1 << 22)
            best_s = 1e30
            for _ in range(a.runs):
                clean()
                best_s = min(best_s, timed(["dd", f"if={source}", "of=copy", "bs=4M",
                                            "status=none"], work, cpu=True)[0])
            os.remove(source)
            return best_s

        # Binary output with shared points (the default) merges corners,
        # which costs computing; with per-cell points it is mostly copying.
        styles = [("ascii", []), ("binary", ["--format=binary"]),
                  ("binary, per-cell points", ["--format=binary", "--points=per-cell"]),
                  ("zlib", ["--format=binary", "--compress=zlib"])]
        rows = []
        for label, options in styles:
            one, many = pair([cellplot, "--jobs=1"] + options,
                             [cellplot, f"--jobs={a.jobs}"] + options)
            dd_s = dd_same_bytes() if label.startswith("binary") else None
            rows.append((label, one, many, dd_s))

        print(f"{a.pieces} pieces of {a.cells} cells, 18 species, binary input, in {work[:8]}; "
              f"best of {a.runs}; load average before: {load_before:.2f}")
        print(f"  {'format':<24} {'MB':>5} {'1 job s':>8} {f'{a.jobs} jobs s':>9} {'speed-up':>8}"
              f" {'dd s':>6} {'x dd':>5} {'cpu 1':>6} {f'cpu {a.jobs}':>6}"
              f" {'RSS 1 MiB':>9} {f'RSS {a.jobs} MiB':>9}")
        for label, (s1, rss1, cpu1, bytes1), (sn, rssn, cpun, _), dd_s in rows:
            dd = f"{dd_s:6.3f} {dd_s / sn:5.2f}" if dd_s else f"{'':6} {'':5}"
            print(f"  {label:<24} {bytes1 / 1e6:5.0f} {s1:8.3f} {sn:9.3f} {s1 / sn:7.2f}x"
                  f" {dd} {cpu1 / s1:6.2f} {cpun / sn:6.2f} {rss1:9.0f} {rssn:9.0f}")
        print(f"  (x dd: dd's time for the same bytes into the same folder over cellplot's with"
              f" {a.jobs} jobs; 1.0 is dd's rate.  cpu: processors kept busy, processor"
              f" seconds over wall seconds)")
        print(f"  load average after: {os.getloadavg()[0]:.2f}")
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
