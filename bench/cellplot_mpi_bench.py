"""cellplot-mpi on 1 and 2 processes against cellplot, side by side in one
run: one output of 8 pieces of 250,000 cells, text and binary input, ASCII
and binary output; wall time (best of --runs, mpiexec's start included) and
the speed-up of 2 processes over 1, with and without mpiexec's own start
and end (measured alone, as cellplot-mpi --version).

    python3 bench/cellplot_mpi_bench.py BUILD_DIR [--cells N] [--pieces P] [--runs R]
                                              [--vtkhdf]

--vtkhdf measures instead, on binary input, one VTKHDF file written by all
processes together: cellplot --format=vtkhdf, cellplot-mpi --format=vtkhdf
at P = 1 and 2 and cellplot-mpi --format=binary at the same P, on P pieces
and on twice as many.

BUILD_DIR is a build with MPI found (it has converter/cellplot-mpi).  The
work folder is on /dev/shm when it exists, so that disk write-back does not
blur the figures.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

MPI_ENV = dict(os.environ, OMPI_ALLOW_RUN_AS_ROOT="1", OMPI_ALLOW_RUN_AS_ROOT_CONFIRM="1")


def timed(args, cwd):
    t0 = time.perf_counter()
    done = subprocess.run(args, cwd=cwd, env=MPI_ENV, stdout=subprocess.DEVNULL)
    seconds = time.perf_counter() - t0
    if done.returncode != 0:
        sys.exit(f"{' '.join(args)} failed with status {done.returncode}")
    return seconds


def clean(folder):
    for name in os.listdir(folder):
        if name.endswith((".vtu", ".pvtu", ".hdf")):
            os.remove(os.path.join(folder, name))


def best_of(runs, args, cwd):
    best = 1e30
    for _ in range(runs):
        clean(cwd)
        best = min(best, timed(args, cwd))
    return best


def vtkhdf(a, cellplot, mpi, mpiexec, make_results, work, start):
    """One VTKHDF file by all processes against cellplot and against
    cellplot-mpi's piece files, side by side."""
    print("speed-up: P=1 / P=2 of the same format; without start: less mpiexec's start and end")
    print(f"{'pieces':>6} {'format':7} {'out MB':>7} {'cellplot':>9} {'mpi P=1':>8} {'mpi P=2':>8}"
          f" {'speed-up':>9} {'without start':>14}")
    for npieces in (a.pieces, 2 * a.pieces):
        folder = os.path.join(work, f"vtkhdf-{npieces}")
        os.mkdir(folder)
        subprocess.run([make_results, "--pieces", str(npieces), "--cells", str(a.cells),
                        "--species", str(a.species), "--binary"], cwd=folder, check=True,
                       stdout=subprocess.DEVNULL)
        for fmt in ("vtkhdf", "binary"):
            opts = ["--encoding", "binary", "--format", fmt]
            serial = best_of(a.runs, [cellplot] + opts, folder)
            out_mb = sum(os.path.getsize(os.path.join(folder, n)) for n in os.listdir(folder)
                         if n.endswith((".vtu", ".pvtu", ".hdf"))) / 1e6
            per_p = {p: best_of(a.runs, [mpiexec, "-n", str(p), "--oversubscribe", mpi] + opts,
                                folder) for p in (1, 2)}
            bare = {p: max(per_p[p] - start[p], 1e-3) for p in (1, 2)}
            print(f"{npieces:6} {fmt:7} {out_mb:7.0f} {serial:8.2f}s {per_p[1]:7.2f}s"
                  f" {per_p[2]:7.2f}s {per_p[1] / per_p[2]:8.2f}x {bare[1] / bare[2]:13.2f}x")
        shutil.rmtree(folder)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("build")
    ap.add_argument("--cells", type=int, default=250000)
    ap.add_argument("--pieces", type=int, default=8)
    ap.add_argument("--species", type=int, default=3)
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--vtkhdf", action="store_true")
    a = ap.parse_args()
    build = os.path.abspath(a.build)
    cellplot = os.path.join(build, "converter", "cellplot")
    mpi = os.path.join(build, "converter", "cellplot-mpi")
    make_results = os.path.join(build, "tests", "converter", "make_results")
    mpiexec = shutil.which("mpiexec") or sys.exit("no mpiexec")
    base = "/dev/shm" if os.path.isdir("/dev/shm") else None
    work = tempfile.mkdtemp(prefix="cellplot-mpi-bench-", dir=base)
    try:
        start = {p: best_of(a.runs, [mpiexec, "-n", str(p), "--oversubscribe", mpi, "--version"],
                            work) for p in (1, 2)}
        print(f"one output: {a.pieces} pieces of {a.cells} cells, {a.species} species;"
              f" best of {a.runs}; {os.cpu_count()} cores; mpiexec start and end alone:"
              f" {start[1]:.2f} s (P=1), {start[2]:.2f} s (P=2)")
        if a.vtkhdf:
            vtkhdf(a, cellplot, mpi, mpiexec, make_results, work, start)
            return
        # What the machine gives two processes at all: cellplot on half the
        # pieces alone, then two cellplots at once on two such halves.
        halves = os.path.join(work, "halves")
        os.mkdir(halves)
        for outnum in ("1", "2"):
            subprocess.run([make_results, "--pieces", str(a.pieces // 2), "--cells", str(a.cells),
                            "--species", str(a.species), "--binary", "--outnum", outnum],
                           cwd=halves, check=True)
        one = best_of(a.runs, [cellplot, "--encoding", "binary", "--output", "1"], halves)
        both = 1e30
        for _ in range(a.runs):
            clean(halves)
            t0 = time.perf_counter()
            children = [subprocess.Popen([cellplot, "--encoding", "binary", "--output", n], cwd=halves)
                        for n in ("1", "2")]
            if any(c.wait() != 0 for c in children):
                sys.exit("cellplot failed")
            both = min(both, time.perf_counter() - t0)
        shutil.rmtree(halves)
        print(f"the machine's own ceiling: two cellplots at once on {a.pieces // 2} pieces each,"
              f" {both:.2f} s, against one alone, {one:.2f} s: {2 * one / both:.2f}x")
        print("speed-up: wall time P=1 / P=2; without start: the same less mpiexec's start and end")
        print(f"{'input':7} {'output':7} {'in MB':>6} {'out MB':>7} {'cellplot':>9}"
              f" {'mpi P=1':>8} {'mpi P=2':>8} {'speed-up':>9} {'without start':>14}"
              f" {'P=2 MB/s in+out':>16}")
        for encoding in ("text", "binary"):
            folder = os.path.join(work, encoding)
            os.mkdir(folder)
            gen = [make_results, "--pieces", str(a.pieces), "--cells", str(a.cells),
                   "--species", str(a.species)]
            subprocess.run(gen + (["--binary"] if encoding == "binary" else []), cwd=folder,
                           check=True)
            in_mb = sum(os.path.getsize(os.path.join(folder, n)) for n in os.listdir(folder)) / 1e6
            for fmt in ("ascii", "binary"):
                opts = ["--encoding", encoding, "--format", fmt]
                serial = best_of(a.runs, [cellplot] + opts, folder)
                out_mb = sum(os.path.getsize(os.path.join(folder, n)) for n in os.listdir(folder)
                             if n.endswith((".vtu", ".pvtu"))) / 1e6
                per_p = {}
                for p in (1, 2):
                    per_p[p] = best_of(a.runs, [mpiexec, "-n", str(p), "--oversubscribe", mpi] + opts,
                                       folder)
                bare = {p: max(per_p[p] - start[p], 1e-3) for p in (1, 2)}
                print(f"{encoding:7} {fmt:7} {in_mb:6.0f} {out_mb:7.0f} {serial:8.2f}s"
                      f" {per_p[1]:7.2f}s {per_p[2]:7.2f}s {per_p[1] / per_p[2]:8.2f}x"
                      f" {bare[1] / bare[2]:13.2f}x {(in_mb + out_mb) / per_p[2]:16.0f}")
            shutil.rmtree(folder)
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
